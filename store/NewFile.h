#pragma once
// Putting a whole new file in place without ever replacing one that is there.

#include <string>

// Writes the bytes to a temporary file in the target's folder, forces them to the disk, and only then
// gives the file the target's name, in a step that fails rather than replace an existing file. So the
// target either does not exist or holds all of the bytes, whatever happens meanwhile (a crash, a full
// disk, a second process doing the same).
//
// Returns true when the file was created, false when a file of that name already existed (it is left as it
// was). Throws std::runtime_error "Cannot create file "<full path>". <system description>" when the folder is
// missing or cannot be written, or the bytes cannot be written; no file is left behind then. Another
// program holding the fresh file for a moment (a virus scanner, a sync client) is waited out for about half
// a second before that counts as a failure.
bool createnewfile(const std::string& target, const std::string& bytes);
