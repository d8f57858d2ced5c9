#pragma once
// Small routines shared by every part of the program.

#include <cstdint>
#include <string>

// The path of the user folder named in Hungarian: "dokumentumok" (Documents) or "képek" (Pictures),
// compared byte for byte as UTF-8. Any other name gives the empty string.
std::string getspecialfolder(const std::string& name);

// The file-system path of a shell special folder by its id (5 Documents, 39 Pictures); the empty string
// when there is none. On Windows this asks the shell. Elsewhere 5 and 39 map to the platform's documents
// and pictures directories and every other id gives the empty string. Everywhere a missing documents
// folder is created. Throws std::runtime_error only when the Windows shell allocator cannot be had.
std::string getfolderpath(int csidl);

// The number at the start of the text: blanks (code 32 only) skipped, an optional "-" or "+", then either
// hexadecimal digits after a "$", "x", "X", "0x" or "0X" prefix, or decimal digits; reading stops at the
// first other character. No digits gives 0. Never fails.
//
// Overflow saturates: a magnitude beyond the 64-bit range gives INT64_MAX, or INT64_MIN after a "-"
// ("-9223372036854775808" is exact). A saturated value is at least visibly extreme, where a wrapped one
// could pass for a real note id or coordinate.
std::int64_t strtoint64(const std::string& text);

// Asks a yes/no/cancel question in a modal box titled "Confirm" and returns 6 (Yes), 7 (No) or 2
// (Cancel, also given by Escape and by closing the box). Only 6 is consent.
int confirmdlg(const std::string& question);

// Shows an error message in a modal box titled "Error" with one OK button; returns when dismissed.
void errordlg(const std::string& message);
