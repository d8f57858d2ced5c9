#pragma once
// Reading prepared mini-HTML text: cutting runs and tags from its front, classifying tags, reading their
// attribute values, and applying each tag's effect to the RenderState.
//
// The layout engine consumes a prepared text (PrepareMiniHtml) from its start, one line at a time, twice
// per line. Everything here takes the remaining text as a std::string_view and reports how many bytes to
// consume, so the engine can advance a view in place and re-read a line's source (a contiguous slice of
// the text) for its second pass. A step on the remaining text `rest` is:
//
//   if (IsDroppedTagTail(rest))      -> drop it; the text has ended
//   else if (StartsMiniHtmlTag(rest)) -> ApplyMiniHtmlTag(rest, ...), then consume MiniHtmlTagLength(rest)
//                                      bytes (the whole rest when no ">" follows)
//   else                              -> run = CutMiniHtmlRun(rest, wordWrap); consume run.length bytes
//
// The markup is recognised by one or two letters per tag, closing tags reset to base values rather than
// pop a stack, and attribute values are found by substring search; those quirks are the format as
// written texts rely on it.

#include "minihtml/Color.h"
#include "minihtml/RenderState.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Pixel values read from markup (P INDENT, IND x, IMG WIDTH and HEIGHT) are kept within this many pixels
// either way, so that adding them to coordinates can never overflow. No real text comes near it.
inline constexpr int kMiniHtmlPixelLimit = 100000;

// ---- Runs ------------------------------------------------------------------------------------------

struct MiniHtmlRun {
    std::size_t length = 0;  // bytes of the source text it consumes; 0 when the text starts with "<"
    std::string text;        // what is measured and drawn: "&nbsp;", "&lt;", "&gt;" replaced
    bool heldEntity = false; // one of those three entities was replaced

    bool empty() const { return length == 0; }
    // A run that ends in a space and held no entity leaves a trailing space on its line.
    bool endsWithPlainSpace() const { return !heldEntity && !text.empty() && text.back() == ' '; }
};

// Cuts the run at the front of text. With wordWrap: through the first space when that space comes before
// the next "<", else up to the next "<" (or the whole rest). Without: up to the next "<" (or the whole
// rest). Inside the run every "&nbsp;" becomes a space, then every "&lt;" a "<", then every "&gt;" a ">"
// (lower case only). The run is empty when text starts with "<".
MiniHtmlRun CutMiniHtmlRun(std::string_view text, bool wordWrap);

// ---- Tags ------------------------------------------------------------------------------------------

// A tag starts the text: "<" and at least three characters.
bool StartsMiniHtmlTag(std::string_view text);
// The text is a "<" with at most one more character, which is dropped unread.
bool IsDroppedTagTail(std::string_view text);
// Bytes of the tag at the front of text: through its first ">", or the whole text when none follows.
std::size_t MiniHtmlTagLength(std::string_view text);

enum class MiniHtmlTagKind {
    None, // no row: skipped without effect (<center>, <div>, a short closing tag ...)
    // opening tags
    Anchor,      // <A>
    Bold,        // <B>
    Blink,       // <BLINK>
    Body,        // <BODY>
    Break,       // <BR>
    Error,       // <E>
    Font,        // <FONT>
    Highlight,   // <HI>
    Rule,        // <HR>
    Italic,      // <I>
    Indent,      // <IND>
    Image,       // <IMG>
    ListItem,    // <LI>
    Paragraph,   // <P>
    Rotation,    // <R>
    StrikeOut,   // <S>
    Shadow,      // <SHAD>
    Subscript,   // <SUB>
    Superscript, // <SUP>
    Underline,   // <U>
    List,        // <UL>
    Hidden,      // <Z>
    // closing tags
    EndAnchor,    // </A>
    EndBold,      // </B>
    EndBColor,    // </BLINK>, </BODY> and any other closing B tag
    EndError,     // </E>
    EndFont,      // </FONT>
    EndHighlight, // </HI>
    EndItalic,    // </I>
    EndListItem,  // </LI>
    EndParagraph, // </P>
    EndRotation,  // </R>
    EndSubSup,    // </SUB>, </SUP>
    EndShadow,    // </SHAD>
    EndStrikeOut, // </S> and any other closing S tag
    EndList,      // </UL> while the list level is above 0
    EndUnderline, // </U>, or any closing U tag at list level 0
    EndHidden,    // </Z>
};

// Classifies the tag at the front of text (text starts with "<"; pass the whole remaining text, since a
// closing tag needs at least four characters of it and <FONT>/<P> need a ">" somewhere after). Letters
// are compared without regard to ASCII case. listLevel decides between </UL> and </U>.
MiniHtmlTagKind ClassifyMiniHtmlTag(std::string_view text, int listLevel);

// True for the tags after which the line ends: <BR>, <HR>, <UL>, </P>, </LI>.
bool MiniHtmlTagEndsLine(MiniHtmlTagKind kind);

// ---- Attribute values ------------------------------------------------------------------------------

// The attribute text of a tag: the tag (through its first ">") from the character at `from` (0-based;
// 2 for <P>, <IMG>, <IND>, <R>, 5 for <FONT>, <BODY>), ASCII upper-cased when `upper`.
std::string MiniHtmlAttributeText(std::string_view tag, std::size_t from, bool upper);

// The value of the attribute `name` in attribute text: found at the first occurrence of name anywhere
// (even inside another attribute's value; ASCII case ignored when ignoreCase), the value is the text
// between the first double quote after the name and the next one. Nullopt when the name does not occur;
// empty when no such pair of quotes follows (unquoted values are not read).
std::optional<std::string> MiniHtmlAttribute(std::string_view attributes, std::string_view name,
                                             bool ignoreCase);

// <IMG SRC WIDTH HEIGHT ALIGN ALT>, read for the engine, which does the geometry and the drawing.
enum class MiniHtmlImageAlign {
    Bottom, // no ALIGN, or none of the two below: the image stands on the text bottom
    Top,    // ALIGN given and a double quote directly followed by TOP stands in the tag
    Middle, // ALIGN given, no "TOP, and a double quote directly followed by MIDDLE stands in the tag
};
struct MiniHtmlImage {
    std::string src; // in its own letter case
    int width = 0;   // LeadingNumber of WIDTH, within kMiniHtmlPixelLimit; 0 when missing
    int height = 0;  // LeadingNumber of HEIGHT, within kMiniHtmlPixelLimit; 0 when missing
    MiniHtmlImageAlign align = MiniHtmlImageAlign::Bottom;
    std::string alt;
};
MiniHtmlImage ParseMiniHtmlImage(std::string_view tag);

// ---- Effects ---------------------------------------------------------------------------------------

// What the layout call was given that tags need to know.
struct MiniHtmlTagContext {
    MiniHtmlFont baseFont;            // the canvas font when the layout call began
    TColor callerBackground = clNone; // the canvas brush colour when the call began (<BLINK> hides in it)
    TColor urlColor = 0;
    TColor hoverFontColor = clNone; // clNone: not given
    TColor hoverColor = clNone;     // clNone: not given
    bool hover = false;             // only the hovered anchor is underlined and takes the hover colours
    int hoverLink = -1;             // number of the hovered anchor
    bool blink = true;              // false: <BLINK> text takes the caller's background colour
    bool draws = false;             // this pass draws (rows marked "drawing" act only then)
};

// A fill that a tag asks for, in a drawing pass. The engine owns the geometry: for <BODY> a solid fill
// covers the layout rectangle from 2 pixels left of its left edge, a gradient the whole rectangle; for
// <P> a solid fill covers the current line's band, a gradient the band made 2 pixels taller.
struct MiniHtmlFill {
    enum class Kind { None, Solid, Gradient };
    Kind kind = Kind::None;
    TColor from = clNone;   // the solid colour, or the gradient's first colour
    TColor to = clNone;     // the gradient's second colour
    bool horizontal = true; // gradient changes from left to right (else from top to bottom)
};

struct MiniHtmlTagEffect {
    MiniHtmlTagKind kind = MiniHtmlTagKind::None;
    bool endsLine = false; // consume the tag, then end the line
    // <IND>: the value of its x attribute when that is a whole decimal number (within
    // kMiniHtmlPixelLimit). The engine moves the pen when it exceeds the current line width.
    std::optional<int> indent;
    // <BODY>, <P> in a drawing pass.
    MiniHtmlFill fill;
    // <BODY BACKGROUND>: the picture to tile over the rectangle, in the letter case it is written in
    // (the other <BODY> values are read upper-cased); empty when none.
    std::string backgroundPicture;
};

// Applies the tag at the front of text (the whole remaining text, as for ClassifyMiniHtmlTag) to the
// shared state and to this pass's font, and reports what the engine must do about lines, geometry and
// fills. Tags with no row change nothing and report kind None. Never throws; a malformed value reads as
// empty or 0.
//
// <LI> and <IMG> change no state beyond the image counter; the engine decides, before calling this, whether
// such a tag ends the line before itself instead (it is then acted on again on the next line).
MiniHtmlTagEffect ApplyMiniHtmlTag(std::string_view text, RenderState& state, MiniHtmlFont& font,
                                   const MiniHtmlTagContext& context);
