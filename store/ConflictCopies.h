#pragma once
// Copies of the database that synchronising programs leave beside it when two machines changed it before
// either had the other's change: the notes in them are the other machine's, and must not be lost.

#include <string>
#include <vector>

// Whether a file name is one a synchronising program gives a conflict copy of a database: it names a
// conflict the way those programs do ("conflicted copy", ".sync-conflict-", "(Ütköző példány)" ...) and
// ends in ".db". The database itself and its journal never are.
bool isconflictcopyname(const std::string& filename);

// The conflict copies in the folder that hold notes of this program, as full paths (UTF-8), sorted. A file
// that cannot be read, or holds something else, is left out. Never throws.
std::vector<std::string> conflictcopies(const std::string& folder);
