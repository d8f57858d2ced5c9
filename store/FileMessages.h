#pragma once
// Wording shared by every place the store creates a file, so the user reads one message for one fault.

#include <string>

// "Cannot create file "<full path>". <reason>". The path is made absolute against the current folder:
// a relative database folder from the configuration file would otherwise leave the user guessing where
// the program looked. A path that cannot be made absolute is named as given.
std::string cannotcreatefilemessage(const std::string& path, const std::string& reason);
