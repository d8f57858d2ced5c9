#include "minihtml/markup.h"

#include "minihtml/AsciiText.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>

namespace {

struct Entity {
    std::string_view name;
    std::string_view text;
};

// UTF-8 forms of the characters the markup's entities stand for.
constexpr std::array<Entity, 9> kEntities{{
    {"&amp;", "&&"}, // "&&" draws one "&"; a lone "&" underlines the next character instead
    {"&quot;", "\""},
    {"&sect;", "\xC2\xA7"},
    {"&permil;", "\xE2\x80\xB0"},
    {"&reg;", "\xC2\xAE"},
    {"&copy;", "\xC2\xA9"},
    {"&para;", "\xC2\xB6"},
    {"&trade;", "\xE2\x84\xA2"},
    {"&euro;", "\xE2\x82\xAC"},
}};

// Replacing entities one at a time, the first occurrence of each row per sweep, until a sweep changes
// nothing, takes quadratic time on a long text full of them. Every entity starts with "&", ends with ";"
// and holds neither inside, so no two occurrences can overlap and every replacement shortens the text:
// the result does not depend on the order of replacements. A single left-to-right pass that replaces an
// entity as soon as its ";" is appended therefore gives the same text. A replacement can only complete a
// new entity with text still to come (none of them holds a ";"), which the pass meets later.
std::string ReplaceEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out.push_back(c);
        if (c != ';')
            continue;
        for (const Entity& entity : kEntities) {
            const std::size_t n = entity.name.size();
            if (out.size() >= n &&
                ascii::EqualNoCase(std::string_view(out).substr(out.size() - n), entity.name)) {
                out.resize(out.size() - n);
                out.append(entity.text);
                break;
            }
        }
    }
    return out;
}

// Replaces every occurrence of pattern, ignoring ASCII case. Used only where the replacement cannot form a
// new occurrence with the text around it, so one pass equals replacing the first occurrence until none is
// left.
std::string ReplaceAllNoCase(std::string_view text, std::string_view pattern, std::string_view replacement) {
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = ascii::FindNoCase(text, pattern, from);
        if (at == std::string_view::npos)
            break;
        out.append(text.substr(from, at - from));
        out.append(replacement);
        from = at + pattern.size();
    }
    out.append(text.substr(from));
    return out;
}

// Removes each section from open to the next close, both included. A section without a close stays.
std::string RemoveSections(std::string text, std::string_view open, std::string_view close) {
    std::size_t from = 0;
    for (;;) {
        const std::size_t start = text.find(open, from);
        if (start == std::string::npos)
            break;
        const std::size_t end = text.find(close, start + open.size());
        if (end == std::string::npos)
            break;
        text.erase(start, end + close.size() - start);
        // The removal may join "<" and "z>" into a new opening tag just before the cut.
        from = start >= open.size() - 1 ? start - (open.size() - 1) : 0;
    }
    return text;
}

int HexDigitValue(char c) {
    const int code = static_cast<unsigned char>(c);
    return code < 'A' ? code - 48 : code - 55;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexDigit(char c) {
    if (c <= '9')
        return c - '0';
    return ascii::Upper(c) - 'A' + 10;
}

struct NamedColor {
    std::string_view name;
    TColor color;
};

constexpr std::array<NamedColor, 40> kNamedColors{{
    {"clred", ColorFromRgb(0xFF, 0x00, 0x00)},
    {"clblack", ColorFromRgb(0x00, 0x00, 0x00)},
    {"clblue", ColorFromRgb(0x00, 0x00, 0xFF)},
    {"clgreen", ColorFromRgb(0x00, 0x80, 0x00)},
    {"claqua", ColorFromRgb(0x00, 0xFF, 0xFF)},
    {"clyellow", ColorFromRgb(0xFF, 0xFF, 0x00)},
    {"clfuchsia", ColorFromRgb(0xFF, 0x00, 0xFF)},
    {"clwhite", ColorFromRgb(0xFF, 0xFF, 0xFF)},
    {"cllime", ColorFromRgb(0x00, 0xFF, 0x00)},
    {"clsilver", ColorFromRgb(0xC0, 0xC0, 0xC0)},
    {"clgray", ColorFromRgb(0x80, 0x80, 0x80)},
    {"clolive", ColorFromRgb(0x80, 0x80, 0x00)},
    {"clnavy", ColorFromRgb(0x00, 0x00, 0x80)},
    {"clpurple", ColorFromRgb(0x80, 0x00, 0x80)},
    {"clteal", ColorFromRgb(0x00, 0x80, 0x80)},
    {"clmaroon", ColorFromRgb(0x80, 0x00, 0x00)},
    {"clbackground", SystemColor(1)},
    {"clactivecaption", SystemColor(2)},
    {"clinactivecaption", SystemColor(3)},
    {"clmenu", SystemColor(4)},
    {"clwindow", SystemColor(5)},
    {"clwindowframe", SystemColor(6)},
    {"clmenutext", SystemColor(7)},
    {"clwindowtext", SystemColor(8)},
    {"clcaptiontext", SystemColor(9)},
    {"clactiveborder", SystemColor(10)},
    {"clinactiveborder", SystemColor(11)},
    {"clappworkspace", SystemColor(12)},
    {"clhighlight", SystemColor(13)},
    {"clhighlighttext", SystemColor(14)},
    {"clbtnface", SystemColor(15)},
    {"clbtnshadow", SystemColor(16)},
    {"clgraytext", SystemColor(17)},
    {"clbtntext", SystemColor(18)},
    {"clinactivecaptiontext", SystemColor(19)},
    {"clbtnhighlight", SystemColor(20)},
    {"cl3ddkshadow", SystemColor(21)},
    {"cl3dlight", SystemColor(22)},
    {"clinfotext", SystemColor(23)},
    {"clinfobk", SystemColor(24)},
}};

} // namespace

std::string PrepareMiniHtml(std::string_view text) {
    std::string out = text.find('&') == std::string_view::npos ? std::string(text) : ReplaceEntities(text);

    if (const std::size_t at = out.find("<#"); at != std::string::npos) {
        out.erase(at, 1);
        if (const std::size_t close = out.find('>', at); close != std::string::npos)
            out.erase(close, 1);
    }
    return StripLineBreaks(out, true);
}

std::string StripLineBreaks(std::string_view text, bool crToBreak) {
    // A whole list comes through here at every rebuild: the runs between line ends go over whole.
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = at;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        out.append(text, at, end - at);
        if (end < text.size() && text[end] == '\r' && crToBreak)
            out.append("<BR>");
        at = end + 1;
    }
    return out;
}

bool ReplaceFirstNoCase(std::string_view pattern, std::string_view replacement, std::string& text) {
    if (pattern.empty())
        return false;
    const std::size_t at = ascii::FindNoCase(text, pattern, 0);
    if (at == std::string::npos)
        return false;
    text.replace(at, pattern.size(), replacement);
    return true;
}

TColor ParseHtmlColor(std::string_view value) {
    if (value.empty() || value.front() != '#')
        return NamedHtmlColor(ascii::Lower(value));
    const std::string upper = ascii::Upper(value);
    const std::string_view digits(upper);
    const auto pair = [&](std::size_t at) {
        return HexPairValue(at < digits.size() ? digits.substr(at, 2) : "");
    };
    return ColorFromRgb(pair(1), pair(3), pair(5));
}

TColor NamedHtmlColor(std::string_view name) {
    for (const NamedColor& entry : kNamedColors) {
        if (ascii::EqualNoCase(name, entry.name))
            return entry.color;
    }
    return 0;
}

int HexPairValue(std::string_view pair) {
    if (pair.size() < 2)
        return 0;
    return 16 * HexDigitValue(pair[0]) + HexDigitValue(pair[1]);
}

int LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }

    // Accumulate past the int range only far enough to know it saturates.
    constexpr std::int64_t kLimit = std::int64_t(INT_MAX) + 1;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (hex && IsHexDigit(c))
            digit = HexDigit(c);
        else if (!hex && c >= '0' && c <= '9')
            digit = c - '0';
        else
            break;
        magnitude = magnitude * (hex ? 16 : 10) + digit;
        if (magnitude > kLimit)
            magnitude = kLimit;
    }
    const bool stopped = i < text.size();
    if (negative && !stopped)
        return magnitude >= kLimit ? INT_MIN : -int(magnitude);
    return magnitude >= kLimit ? INT_MAX : int(magnitude);
}

std::string MiniHtmlPlainText(std::string_view text) {
    // Neither replacement can complete a new "<BR>" or "<HR>", so one pass each is the whole loop.
    std::string out = ReplaceAllNoCase(text, "<BR>", "\r\n");
    out = ReplaceAllNoCase(out, "<HR>", "\r\n");
    out = RemoveSections(std::move(out), "<z>", "</z>");
    out = RemoveSections(std::move(out), "<Z>", "</Z>");

    std::string plain;
    plain.reserve(out.size());
    std::size_t from = 0;
    for (;;) {
        const std::size_t open = out.find('<', from);
        const std::size_t close = open == std::string::npos ? open : out.find('>', open);
        if (close == std::string::npos) {
            plain.append(out, from);
            break;
        }
        plain.append(out, from, open - from);
        from = close + 1;
    }
    return plain;
}
