#pragma once
// Taking the notes elsewhere as plain files: one UTF-8 text file per live note, and one Markdown file
// holding them all.

#include "store/Backups.h"

#include <cstddef>
#include <string>

class Tzkpldm;

// A note's name as a file name that Windows and Linux file systems both take, at most `maxbytes` bytes of
// UTF-8 (so at most as many UTF-16 units too): the characters < > : " / \ | ? * and control characters
// become "_", as does every byte of a broken UTF-8 sequence; blanks and dots at either end go (Windows
// drops them at the end); a device name of Windows (CON, PRN, AUX, NUL, COM0-9, LPT0-9, before any dot, any
// case) gets a leading "_"; the name is cut at a character boundary. An empty result is "jegyzet".
std::string safefilename(const std::string& name, std::size_t maxbytes = 251);

// The longest name an exported file gets, in bytes: 255 less the room for the temporary name each file is
// written under first.
constexpr std::size_t exportnamebytes = 231;

struct Texport {
    std::string folder; // the new folder holding the files
    int notes = 0;      // text files written, one per live note
};

// Makes a new folder "Pinlet jegyzetek YYYY-MM-DD" inside `parent` ("... (2)" and on when one exists) and
// writes into it "<name>.txt" (at most exportnamebytes) for every live note, holding its text exactly, in
// id order; names that clash (also by letter case, as on Windows) are numbered "<name> (2).txt"; then
// "Összes jegyzet.md", every note under its name as a heading, its text in a fenced block so it reads
// back exactly.
//
// Nothing existing is ever overwritten, and every file is written aside and named only when complete,
// so a failure part way leaves whole files only. Throws std::runtime_error naming the file and the reason
// (a missing or read-only folder, a full disk).
Texport exportnotes(Tzkpldm& store, const std::string& parent, const Tdate& today);
