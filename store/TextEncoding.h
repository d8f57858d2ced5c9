#pragma once
// The encodings a hand-written text file of this program can come in.

#include <string>

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool isvalidutf8(const std::string& bytes);

// Code page 1250 (Central European) bytes as UTF-8. The five bytes the code page leaves undefined map to
// the control characters of the same number, so no byte is lost.
std::string cp1250toutf8(const std::string& bytes);

// UTF-16 bytes (no byte order mark) as UTF-8. A surrogate without its pair and an odd last byte become
// U+FFFD, so a damaged file still reads, visibly marked.
std::string utf16toutf8(const std::string& bytes, bool bigendian);

// A text file's bytes as UTF-8: UTF-16 little- or big-endian after its byte order mark (what editors save as
// "Unicode"), else UTF-8, else code page 1250; a UTF-8 byte order mark is dropped either way.
std::string textfiletoutf8(const std::string& bytes);
