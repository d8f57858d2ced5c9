#pragma once
// Wording shared by every place the store creates a file, so the user reads one message for one fault.

#include <string>

// "Cannot create file "<full path>". <reason>". The path is made absolute against the current folder:
// a relative database folder from the configuration file would otherwise leave the user guessing where
// the program looked. A path that cannot be made absolute is named as given.
std::string cannotcreatefilemessage(const std::string& path, const std::string& reason);

#ifdef _WIN32
// The system's description of a Win32 error code (GetLastError), as UTF-8 without the trailing line end.
// The narrow runtime texts are in the ANSI code page, which would garble every accented letter.
std::string windowserrortext(unsigned long code);
#endif
