#include "minihtml/ContainedName.h"

#include "minihtml/AsciiText.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace {

struct Entity {
    std::string_view written;
    std::string_view shown;
    bool anyCase; // the preparation reads these in any letter case; the run cutter only in lower case
};

// Every entity the markup reads, and what it shows.
constexpr std::array<Entity, 12> kEntities{{
    {"&amp;", "&", true},
    {"&quot;", "\"", true},
    {"&sect;", "\xC2\xA7", true},
    {"&permil;", "\xE2\x80\xB0", true},
    {"&reg;", "\xC2\xAE", true},
    {"&copy;", "\xC2\xA9", true},
    {"&para;", "\xC2\xB6", true},
    {"&trade;", "\xE2\x84\xA2", true},
    {"&euro;", "\xE2\x82\xAC", true},
    {"&nbsp;", " ", false},
    {"&lt;", "<", false},
    {"&gt;", ">", false},
}};

const Entity* EntityAt(std::string_view text) {
    for (const Entity& entity : kEntities) {
        const std::string_view head = text.substr(0, entity.written.size());
        if (entity.anyCase ? ascii::EqualNoCase(head, entity.written) : head == entity.written)
            return &entity;
    }
    return nullptr;
}

// The formatting a name may use; one bit each. <SUB> and <SUP> end together, as the markup ends them.
enum Format : unsigned {
    kBold = 1u << 0,
    kItalic = 1u << 1,
    kUnderline = 1u << 2,
    kStrikeOut = 1u << 3,
    kShadow = 1u << 4,
    kSubSup = 1u << 5,
    kError = 1u << 6,
    kFont = 1u << 7,
    kHighlight = 1u << 8,
};

struct FormatTag {
    std::string_view name;
    Format format;
};
// Only these written forms, which the markup reads as exactly this formatting and nothing else.
constexpr std::array<FormatTag, 10> kFormatTags{{
    {"b", kBold},
    {"i", kItalic},
    {"u", kUnderline},
    {"s", kStrikeOut},
    {"shad", kShadow},
    {"sub", kSubSup},
    {"sup", kSubSup},
    {"e", kError},
    {"hi", kHighlight},
    {"font", kFont},
}};

// In the order they are closed at the row's end.
constexpr std::array<std::pair<Format, std::string_view>, 9> kClosers{{
    {kHighlight, "</hi>"},
    {kFont, "</font>"},
    {kBold, "</b>"},
    {kItalic, "</i>"},
    {kUnderline, "</u>"},
    {kStrikeOut, "</s>"},
    {kShadow, "</shad>"},
    {kSubSup, "</sub>"},
    {kError, "</e>"},
}};

std::string_view CloserOf(unsigned format) {
    for (const auto& [which, closer] : kClosers)
        if (which == format)
            return closer;
    return {};
}

struct TagMatch {
    Format format;
    bool closing;
    bool background; // sets the text background: <HI>, <FONT BGCOLOR>
    std::size_t length;
};

// The formatting tag at the front of text (which starts with "<"), if it is one a name may use.
std::optional<TagMatch> FormatTagAt(std::string_view text) {
    const std::size_t end = text.find('>');
    if (end == std::string_view::npos)
        return std::nullopt;
    std::string_view body = text.substr(1, end - 1);
    const bool closing = !body.empty() && body.front() == '/';
    if (closing)
        body.remove_prefix(1);
    for (const FormatTag& tag : kFormatTags) {
        if (!ascii::StartsNoCase(body, tag.name))
            continue;
        const std::string_view attributes = body.substr(tag.name.size());
        const bool exact = attributes.empty();
        // Only an opening <FONT> carries attributes, after a blank.
        const bool fontattributes = tag.format == kFont && !closing && !exact &&
                                    (attributes.front() == ' ' || attributes.front() == '\t');
        if (!exact && !fontattributes)
            continue;
        const bool background =
            !closing &&
            (tag.format == kHighlight ||
             (tag.format == kFont && ascii::FindNoCase(attributes, "BGCOLOR", 0) != std::string_view::npos));
        return TagMatch{tag.format, closing, background, end + 1};
    }
    return std::nullopt;
}

// A code point that leaves nothing to see: white space, and the invisible format characters.
bool Invisible(std::uint32_t c) {
    return c <= 0x20 || c == 0x7F || c == 0xA0 || c == 0xAD || c == 0x034F || c == 0x1680 || c == 0x180E ||
           (c >= 0x2000 && c <= 0x200F) || (c >= 0x2028 && c <= 0x202F) || (c >= 0x205F && c <= 0x206F) ||
           c == 0x3000 || c == 0x3164 || c == 0xFEFF || (c >= 0xFE00 && c <= 0xFE0F);
}

// Whether the UTF-8 text shows anything. A byte that is no proper UTF-8 shows (as a replacement mark).
bool Draws(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80    ? 1
                                   : lead >= 0xF0 ? 4
                                   : lead >= 0xE0 ? 3
                                   : lead >= 0xC0 ? 2
                                                  : 0;
        if (length == 0 || i + length > text.size())
            return true;
        std::uint32_t c = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return true;
            c = (c << 6) | (next & 0x3Fu);
        }
        if (!Invisible(c))
            return true;
        i += length;
    }
    return false;
}

struct Contained {
    std::string markup;
    std::string text;
};

// An "&" drawn from "&amp;" stays one character to the preparation's later passes only when what follows
// it cannot join it into another entity; an empty tag (which does nothing) keeps them apart.
void AddAmpersand(std::string_view written, std::string_view rest, Contained& out) {
    out.markup += written;
    out.text += '&';
    if (!rest.empty() && EntityAt(std::string("&") + std::string(rest.substr(0, 8))))
        out.markup += "<>";
}

Contained Contain(std::string_view name) {
    Contained out;
    unsigned open = 0;
    unsigned background = 0; // the one open tag that set the background
    for (std::size_t i = 0; i < name.size();) {
        const std::string_view rest = name.substr(i);
        const char c = rest.front();
        if (c == '<') {
            if (const std::optional<TagMatch> tag = FormatTagAt(rest)) {
                if (tag->closing) {
                    // A closing tag resets to the plain state, so one for what the row did not open could
                    // only bring in what an earlier row left in the markup's saved slots.
                    if (open & tag->format) {
                        out.markup += rest.substr(0, tag->length);
                        open &= ~unsigned(tag->format);
                        if (background == tag->format)
                            background = 0;
                    }
                } else {
                    // A background tag saves the background it covers and its closing tag brings that
                    // back: a second one would save the first's colour, and leave it to the next rows.
                    if (tag->background && background != 0) {
                        out.markup += CloserOf(background);
                        open &= ~background;
                        background = 0;
                    }
                    out.markup += rest.substr(0, tag->length);
                    open |= tag->format;
                    if (tag->background)
                        background = tag->format;
                }
                i += tag->length;
                continue;
            }
            out.markup += "&lt;";
            out.text += '<';
            ++i;
        } else if (c == '&') {
            const Entity* entity = EntityAt(rest);
            const std::size_t length = entity ? entity->written.size() : 1;
            if (!entity || entity->shown == "&") {
                AddAmpersand(entity ? rest.substr(0, length) : std::string_view("&amp;"), rest.substr(length),
                             out);
            } else {
                out.markup += rest.substr(0, length);
                out.text += entity->shown;
            }
            i += length;
        } else if (c == '\r' || c == '\n') {
            out.markup += ' ';
            out.text += ' ';
            ++i;
        } else {
            // Most of a name is plain: it goes over a run at a time, which a long list feels.
            std::size_t length = 1;
            while (length < rest.size() && rest[length] != '<' && rest[length] != '&' &&
                   rest[length] != '\r' && rest[length] != '\n')
                ++length;
            const std::string_view run = rest.substr(0, length);
            out.markup += run;
            out.text += run;
            i += run.size();
        }
    }
    for (const auto& [format, closer] : kClosers)
        if (open & format)
            out.markup += closer;
    return out;
}

} // namespace

void AppendContainedNameMarkup(std::string& out, std::string_view name, std::string_view fallback) {
    // Most names hold nothing to contain: they are their own markup, and a long list has thousands.
    if (std::none_of(name.begin(), name.end(),
                     [](char c) { return c == '<' || c == '&' || c == '\r' || c == '\n'; })) {
        if (Draws(name))
            out += name;
        else
            out += EscapeMiniHtmlText(fallback);
        return;
    }
    const Contained contained = Contain(name);
    out += Draws(contained.text) ? contained.markup : EscapeMiniHtmlText(fallback);
}

std::string ContainedNameMarkup(std::string_view name, std::string_view fallback) {
    std::string markup;
    AppendContainedNameMarkup(markup, name, fallback);
    return markup;
}

std::string ContainedNameText(std::string_view name, std::string_view fallback) {
    Contained contained = Contain(name);
    if (Draws(contained.text))
        return std::move(contained.text);
    std::string text(fallback);
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

std::string EscapeMiniHtmlText(std::string_view text) {
    Contained out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '<')
            out.markup += "&lt;";
        else if (c == '&')
            AddAmpersand("&amp;", text.substr(i + 1), out);
        else if (c == '\r' || c == '\n')
            out.markup += ' ';
        else
            out.markup += c;
    }
    return out.markup;
}
