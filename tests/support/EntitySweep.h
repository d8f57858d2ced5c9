#pragma once
// The markup's entity pass exactly as the format defines it: sweep the table, replacing the first
// occurrence of each row, until a whole sweep replaces nothing. Quadratic, so it serves only as the
// reference that the fast pass of PrepareMiniHtml is checked against (by the tests and by the fuzzer).

#include "minihtml/markup.h"

#include <string>

inline std::string SweepEntities(std::string text) {
    static const char* const rows[][2] = {
        {"&amp;", "&&"},
        {"&quot;", "\""},
        {"&sect;", "\xC2\xA7"},
        {"&permil;", "\xE2\x80\xB0"},
        {"&reg;", "\xC2\xAE"},
        {"&copy;", "\xC2\xA9"},
        {"&para;", "\xC2\xB6"},
        {"&trade;", "\xE2\x84\xA2"},
        {"&euro;", "\xE2\x82\xAC"},
    };
    if (text.find('&') == std::string::npos)
        return text;
    for (bool replaced = true; replaced;) {
        replaced = false;
        for (const auto& row : rows)
            replaced = ReplaceFirstNoCase(row[0], row[1], text) || replaced;
    }
    return text;
}
