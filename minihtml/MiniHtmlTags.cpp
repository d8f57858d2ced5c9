#include "minihtml/MiniHtmlTags.h"

#include "minihtml/AsciiText.h"
#include "minihtml/markup.h"

#include <climits>
#include <utility>

namespace {

// A FONT SIZE is a user-typed number; beyond this a font would only exhaust the glyph rasteriser.
constexpr int kMaxFontPoints = 1000;

int ClampPixels(int value) {
    return value < -kMiniHtmlPixelLimit  ? -kMiniHtmlPixelLimit
           : value > kMiniHtmlPixelLimit ? kMiniHtmlPixelLimit
                                         : value;
}

// Replaces every occurrence of pattern (exact case) in text; returns whether there was one.
// Built into a new string in one pass: linear, and free of in-place replace's aliasing.
bool ReplaceAll(std::string& text, std::string_view pattern, std::string_view replacement) {
    std::size_t from = text.find(pattern);
    if (from == std::string::npos)
        return false;
    std::string result;
    result.reserve(text.size());
    std::size_t copied = 0;
    for (; from != std::string::npos; from = text.find(pattern, copied)) {
        result.append(text, copied, from - copied);
        result.append(replacement);
        copied = from + pattern.size();
    }
    result.append(text, copied, std::string::npos);
    text = std::move(result);
    return true;
}

std::string_view TagOf(std::string_view text) {
    return text.substr(0, MiniHtmlTagLength(text));
}

// Optional sign and decimal digits, nothing else, within the int range.
std::optional<int> WholeNumber(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return std::nullopt;
    return static_cast<int>(value);
}

// FONT SIZE: after the name, the first "=", then the first double quote; the number right after it.
std::optional<int> FontSize(std::string_view attributes) {
    const std::size_t name = attributes.find("SIZE");
    if (name == std::string_view::npos)
        return std::nullopt;
    const std::size_t equals = attributes.find('=', name + 4);
    if (equals == std::string_view::npos)
        return std::nullopt;
    const std::size_t quote = attributes.find('"', equals + 1);
    if (quote == std::string_view::npos)
        return std::nullopt;
    const int number = LeadingNumber(attributes.substr(quote + 1));
    // The five HTML-like steps; anything else is already points.
    switch (number) {
    case 1:
        return 8;
    case 2:
        return 10;
    case 3:
        return 12;
    case 4:
        return 14;
    case 5:
        return 16;
    default:
        break;
    }
    // A size of 0 would leave the choice to the platform; keep the current size instead.
    if (number <= 0)
        return std::nullopt;
    return number > kMaxFontPoints ? kMaxFontPoints : number;
}

bool Found(const std::optional<std::string>& value) {
    return value.has_value() && !value->empty();
}

void ApplyFont(std::string_view tag, RenderState& state, MiniHtmlFont& font,
               const MiniHtmlTagContext& context) {
    const std::string attributes = MiniHtmlAttributeText(tag, 5, true);
    if (const auto face = MiniHtmlAttribute(attributes, "FACE", false))
        font.Face = *face;
    // The space keeps the name from matching inside BGCOLOR.
    if (const auto color = MiniHtmlAttribute(attributes, " COLOR", false); Found(color))
        font.Color = ParseHtmlColor(*color);
    if (context.draws) {
        if (const auto background = MiniHtmlAttribute(attributes, "BGCOLOR", false)) {
            state.fontBackgroundSlot = state.background;
            if (!background->empty())
                state.background = ParseHtmlColor(*background);
        }
    }
    if (const auto size = FontSize(attributes)) {
        font.Size = *size;
        font.PixelHeight = 0;
    }
}

void ApplyParagraph(std::string_view tag, RenderState& state, const MiniHtmlTagContext& context,
                    MiniHtmlTagEffect& effect) {
    const std::string attributes = MiniHtmlAttributeText(tag, 2, true);
    if (const auto align = MiniHtmlAttribute(attributes, "ALIGN", false)) {
        // Checked in this order, so a value naming several settles on the last check that matches.
        if (align->find("RIGHT") != std::string::npos)
            state.alignment = MiniHtmlAlign::Right;
        if (align->find("LEFT") != std::string::npos)
            state.alignment = MiniHtmlAlign::Left;
        if (align->find("CENTER") != std::string::npos)
            state.alignment = MiniHtmlAlign::Center;
    }
    if (const auto indent = MiniHtmlAttribute(attributes, "INDENT", false))
        state.indent = ClampPixels(LeadingNumber(*indent));
    if (!context.draws)
        return;
    const auto background = MiniHtmlAttribute(attributes, "BGCOLOR", false);
    if (!Found(background))
        return;
    state.paragraphBand = true;
    // The slot keeps what held before the paragraph in both forms, so </P> restores it either way.
    state.paragraphSlot = state.background;
    if (const auto to = MiniHtmlAttribute(attributes, "BGCOLORTO", false); Found(to)) {
        effect.fill = {MiniHtmlFill::Kind::Gradient, ParseHtmlColor(*background), ParseHtmlColor(*to), true};
        state.background = clNone;
    } else {
        state.background = ParseHtmlColor(*background);
        effect.fill = {MiniHtmlFill::Kind::Solid, state.background, clNone, true};
    }
}

void ApplyBody(std::string_view tag, RenderState& state, MiniHtmlTagEffect& effect) {
    const std::string attributes = MiniHtmlAttributeText(tag, 5, true);
    // The picture name keeps its case: on a file system that tells case apart, an upper-cased path names
    // another file. Folding only ASCII keeps every position, so the same occurrence is found.
    if (const auto picture = MiniHtmlAttribute(MiniHtmlAttributeText(tag, 5, false), "BACKGROUND", true))
        effect.backgroundPicture = *picture;
    const auto background = MiniHtmlAttribute(attributes, "BGCOLOR", false);
    if (!Found(background))
        return;
    if (const auto to = MiniHtmlAttribute(attributes, "BGCOLORTO", false); Found(to)) {
        const auto direction = MiniHtmlAttribute(attributes, "DIR", false);
        const bool horizontal = !direction || *direction == "H";
        effect.fill = {MiniHtmlFill::Kind::Gradient, ParseHtmlColor(*background), ParseHtmlColor(*to),
                       horizontal};
        return;
    }
    state.fontBackgroundSlot = state.background;
    state.background = ParseHtmlColor(*background);
    effect.fill = {MiniHtmlFill::Kind::Solid, state.background, clNone, true};
}

void ApplyAnchor(std::string_view tag, RenderState& state, MiniHtmlFont& font,
                 const MiniHtmlTagContext& context) {
    ++state.anchorCount;
    state.inAnchor = true;
    // Whatever the first quoted value is, it is the href; the attribute name is never looked at.
    state.href.clear();
    if (const std::size_t open = tag.find('"'); open != std::string_view::npos) {
        if (const std::size_t close = tag.find('"', open + 1); close != std::string_view::npos)
            state.href = std::string(tag.substr(open + 1, close - open - 1));
    }
    const bool hovered = state.anchorCount == context.hoverLink;
    if (context.draws && (!context.hover || hovered)) {
        font.set(MiniHtmlStyle::Underline, true);
        if (context.hoverColor != clNone) {
            state.hoverSlot = state.background;
            state.background = context.hoverColor;
        }
    }
    if (context.draws && context.hover && hovered && context.hoverFontColor != clNone)
        font.Color = context.hoverFontColor;
    else
        font.Color = context.urlColor;
}

void CloseAnchor(RenderState& state, MiniHtmlFont& font, const MiniHtmlTagContext& context) {
    const bool hovered = state.anchorCount == context.hoverLink;
    if (context.draws && (!context.hover || hovered)) {
        font.set(MiniHtmlStyle::Underline, false);
        if (context.hoverColor != clNone)
            state.background = state.hoverSlot;
    }
    font.Color = context.baseFont.Color;
    state.inAnchor = false;
}

} // namespace

MiniHtmlRun CutMiniHtmlRun(std::string_view text, bool wordWrap) {
    std::size_t end = text.find('<');
    if (end == std::string_view::npos)
        end = text.size();
    if (wordWrap) {
        const std::size_t space = text.find(' ');
        if (space != std::string_view::npos && space < end)
            end = space + 1;
    }
    MiniHtmlRun run;
    run.length = end;
    run.text = std::string(text.substr(0, end));
    if (run.text.find('&') != std::string::npos) {
        const bool nbsp = ReplaceAll(run.text, "&nbsp;", " ");
        const bool lt = ReplaceAll(run.text, "&lt;", "<");
        const bool gt = ReplaceAll(run.text, "&gt;", ">");
        run.heldEntity = nbsp || lt || gt;
    }
    return run;
}

bool StartsMiniHtmlTag(std::string_view text) {
    return text.size() >= 3 && text.front() == '<';
}

bool IsDroppedTagTail(std::string_view text) {
    return !text.empty() && text.size() <= 2 && text.front() == '<';
}

std::size_t MiniHtmlTagLength(std::string_view text) {
    const std::size_t close = text.find('>');
    return close == std::string_view::npos ? text.size() : close + 1;
}

MiniHtmlTagKind ClassifyMiniHtmlTag(std::string_view text, int listLevel) {
    using K = MiniHtmlTagKind;
    if (!StartsMiniHtmlTag(text))
        return K::None;
    const char first = ascii::Upper(text[1]);
    if (first == '/') {
        if (text.size() < 4)
            return K::None;
        const char letter = ascii::Upper(text[2]);
        const char next = ascii::Upper(text[3]);
        switch (letter) {
        case 'A':
            return K::EndAnchor;
        case 'B':
            return next == '>' ? K::EndBold : K::EndBColor;
        case 'E':
            return K::EndError;
        case 'F':
            return K::EndFont;
        case 'H':
            return K::EndHighlight;
        case 'I':
            return K::EndItalic;
        case 'L':
            return K::EndListItem;
        case 'P':
            return K::EndParagraph;
        case 'R':
            return K::EndRotation;
        case 'S':
            return next == 'U' ? K::EndSubSup : next == 'H' ? K::EndShadow : K::EndStrikeOut;
        case 'U':
            return next != '>' && listLevel > 0 ? K::EndList : K::EndUnderline;
        case 'Z':
            return K::EndHidden;
        default:
            return K::None;
        }
    }

    const char next = ascii::Upper(text[2]);
    const bool closes = text.find('>', 1) != std::string_view::npos;
    switch (first) {
    case 'A':
        return K::Anchor;
    case 'B':
        switch (next) {
        case '>':
            return K::Bold;
        case 'L':
            return K::Blink;
        case 'O':
            return K::Body;
        case 'R':
            return K::Break;
        default:
            return K::None;
        }
    case 'E':
        return K::Error;
    case 'F':
        return closes ? K::Font : K::None;
    case 'H':
        return next == 'I' ? K::Highlight : next == 'R' ? K::Rule : K::None;
    case 'I':
        switch (next) {
        case '>':
            return K::Italic;
        case 'N':
            return K::Indent;
        case 'M':
            return K::Image;
        default:
            return K::None;
        }
    case 'L':
        return K::ListItem;
    case 'P':
        return closes ? K::Paragraph : K::None;
    case 'R':
        return K::Rotation;
    case 'S': {
        const std::string_view tag = TagOf(text);
        if (ascii::EqualNoCase(tag, "<SUB>"))
            return K::Subscript;
        if (ascii::EqualNoCase(tag, "<SUP>"))
            return K::Superscript;
        return next == '>' ? K::StrikeOut : next == 'H' ? K::Shadow : K::None;
    }
    case 'U':
        return next == '>' ? K::Underline : K::List;
    case 'Z':
        return K::Hidden;
    default:
        return K::None;
    }
}

bool MiniHtmlTagEndsLine(MiniHtmlTagKind kind) {
    using K = MiniHtmlTagKind;
    return kind == K::Break || kind == K::Rule || kind == K::List || kind == K::EndParagraph ||
           kind == K::EndListItem;
}

std::string MiniHtmlAttributeText(std::string_view tag, std::size_t from, bool upper) {
    tag = TagOf(tag);
    if (from >= tag.size())
        return {};
    const std::string_view attributes = tag.substr(from);
    return upper ? ascii::Upper(attributes) : std::string(attributes);
}

std::optional<std::string> MiniHtmlAttribute(std::string_view attributes, std::string_view name,
                                             bool ignoreCase) {
    const std::size_t at = ignoreCase ? ascii::FindNoCase(attributes, name, 0) : attributes.find(name);
    if (at == std::string_view::npos || name.empty())
        return std::nullopt;
    const std::size_t open = attributes.find('"', at + name.size());
    if (open == std::string_view::npos)
        return std::string();
    const std::size_t close = attributes.find('"', open + 1);
    if (close == std::string_view::npos)
        return std::string();
    return std::string(attributes.substr(open + 1, close - open - 1));
}

MiniHtmlImage ParseMiniHtmlImage(std::string_view text) {
    const std::string_view tag = TagOf(text);
    const std::string attributes = MiniHtmlAttributeText(tag, 2, false);
    MiniHtmlImage image;
    image.src = MiniHtmlAttribute(attributes, "SRC", true).value_or("");
    image.width = ClampPixels(LeadingNumber(MiniHtmlAttribute(attributes, "WIDTH", true).value_or("")));
    image.height = ClampPixels(LeadingNumber(MiniHtmlAttribute(attributes, "HEIGHT", true).value_or("")));
    image.alt = MiniHtmlAttribute(attributes, "ALT", true).value_or("");
    if (ascii::FindNoCase(attributes, "ALIGN", 0) != std::string_view::npos) {
        if (ascii::FindNoCase(tag, "\"TOP", 0) != std::string_view::npos)
            image.align = MiniHtmlImageAlign::Top;
        else if (ascii::FindNoCase(tag, "\"MIDDLE", 0) != std::string_view::npos)
            image.align = MiniHtmlImageAlign::Middle;
    }
    return image;
}

MiniHtmlTagEffect ApplyMiniHtmlTag(std::string_view text, RenderState& state, MiniHtmlFont& font,
                                   const MiniHtmlTagContext& context) {
    using K = MiniHtmlTagKind;
    MiniHtmlTagEffect effect;
    effect.kind = ClassifyMiniHtmlTag(text, state.listLevel);
    effect.endsLine = MiniHtmlTagEndsLine(effect.kind);
    const std::string_view tag = TagOf(text);
    const MiniHtmlFont& base = context.baseFont;

    switch (effect.kind) {
    case K::None:
        break;
    case K::Anchor:
        ApplyAnchor(tag, state, font, context);
        break;
    case K::Bold:
        font.set(MiniHtmlStyle::Bold, true);
        break;
    case K::Blink:
        if (!context.blink)
            font.Color = context.callerBackground;
        break;
    case K::Body:
        if (context.draws)
            ApplyBody(tag, state, effect);
        break;
    case K::Break:
    case K::Rule:
    case K::ListItem:
        break;
    case K::Error:
        if (context.draws)
            state.errorMarking = true;
        break;
    case K::Font:
        ApplyFont(tag, state, font, context);
        break;
    case K::Highlight:
        if (context.draws) {
            state.highlightColorSlot = font.Color;
            state.highlightBackgroundSlot = state.background;
            state.background = SystemColor(kSystemHighlight);
            font.Color = SystemColor(kSystemHighlightText);
        }
        break;
    case K::Italic:
        font.set(MiniHtmlStyle::Italic, true);
        break;
    case K::Indent:
        if (const auto x =
                WholeNumber(MiniHtmlAttribute(MiniHtmlAttributeText(tag, 2, false), "x", true).value_or("")))
            effect.indent = ClampPixels(*x);
        break;
    case K::Image:
        ++state.imageCount;
        break;
    case K::Paragraph:
        ApplyParagraph(tag, state, context, effect);
        break;
    case K::Rotation:
        // Any whole number of turns is the same angle; keeping it small spares callers an overflow when
        // they turn degrees into finer units.
        state.rotation =
            LeadingNumber(MiniHtmlAttribute(MiniHtmlAttributeText(tag, 2, false), "a", true).value_or("")) %
            360;
        break;
    case K::StrikeOut:
        font.set(MiniHtmlStyle::StrikeOut, true);
        break;
    case K::Shadow:
        state.shadow = true;
        break;
    case K::Subscript:
        state.subscript = true;
        break;
    case K::Superscript:
        state.superscript = true;
        break;
    case K::Underline:
        font.set(MiniHtmlStyle::Underline, true);
        break;
    case K::List:
        ++state.listLevel;
        break;
    case K::Hidden:
        state.hidden = true;
        break;

    case K::EndAnchor:
        CloseAnchor(state, font, context);
        break;
    case K::EndBold:
        font.set(MiniHtmlStyle::Bold, false);
        break;
    case K::EndBColor:
        font.Color = base.Color;
        break;
    case K::EndError:
        if (context.draws)
            state.errorMarking = false;
        break;
    case K::EndFont:
        font.Face = base.Face;
        font.Size = base.Size;
        font.PixelHeight = base.PixelHeight;
        if (context.draws) {
            font.Color = base.Color;
            state.background = state.fontBackgroundSlot;
        }
        break;
    case K::EndHighlight:
        if (context.draws) {
            font.Color = state.highlightColorSlot == clNone ? base.Color : state.highlightColorSlot;
            state.background = state.highlightBackgroundSlot;
        }
        break;
    case K::EndItalic:
        font.set(MiniHtmlStyle::Italic, false);
        break;
    case K::EndListItem:
        break;
    case K::EndParagraph:
        if (context.draws) {
            state.background = state.paragraphSlot;
            state.paragraphBand = false;
        }
        break;
    case K::EndRotation:
        state.rotation.reset();
        break;
    case K::EndSubSup:
        state.subscript = false;
        state.superscript = false;
        break;
    case K::EndShadow:
        state.shadow = false;
        break;
    case K::EndStrikeOut:
        font.set(MiniHtmlStyle::StrikeOut, false);
        break;
    case K::EndList:
        --state.listLevel;
        break;
    case K::EndUnderline:
        font.set(MiniHtmlStyle::Underline, false);
        break;
    case K::EndHidden:
        state.hidden = false;
        break;
    }
    return effect;
}
