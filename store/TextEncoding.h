#pragma once
// The two encodings a hand-written text file of this program can come in.

#include <string>

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool isvalidutf8(const std::string& bytes);

// Code page 1250 (Central European) bytes as UTF-8. The five bytes the code page leaves undefined map to
// the control characters of the same number, so no byte is lost.
std::string cp1250toutf8(const std::string& bytes);
