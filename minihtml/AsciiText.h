#pragma once
// ASCII-only letter case for the markup. Tag letters, attribute names and upper-cased attribute values
// fold only A-Z and a-z, so UTF-8 sequences (all bytes >= 0x80) are never altered.

#include <cstddef>
#include <string>
#include <string_view>

namespace ascii {

constexpr char Upper(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}
constexpr char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

inline std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = Upper(c);
    return out;
}
inline std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = Lower(c);
    return out;
}

inline bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i]))
            return false;
    }
    return true;
}

inline bool StartsNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

// The first position at or after from where pattern occurs, ignoring ASCII case; npos when none. An
// empty pattern is found at from (when from is within the text).
inline std::size_t FindNoCase(std::string_view text, std::string_view pattern, std::size_t from) {
    if (from > text.size() || pattern.size() > text.size() - from)
        return std::string_view::npos;
    const std::size_t last = text.size() - pattern.size();
    for (std::size_t at = from; at <= last; ++at) {
        if (EqualNoCase(text.substr(at, pattern.size()), pattern))
            return at;
    }
    return std::string_view::npos;
}

} // namespace ascii
