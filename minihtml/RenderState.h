#pragma once
// The drawing state that mini-HTML tags change while one text is laid out.
//
// One RenderState lives for one layout call and is carried from run to run and from line to line. The
// font is kept apart, as a MiniHtmlFont per pass: the measuring pass and the drawing (or hit-testing)
// pass of a line each carry their own current font from line to line, while sharing everything here.

#include "minihtml/Color.h"

#include <optional>
#include <string>

// Font style bits, combined with |. The values match the canvas font's style bits.
namespace MiniHtmlStyle {
inline constexpr unsigned Bold = 1u;
inline constexpr unsigned Italic = 2u;
inline constexpr unsigned Underline = 4u;
inline constexpr unsigned StrikeOut = 8u;
} // namespace MiniHtmlStyle

// A font as plain values. Field names follow the canvas font so that copying between them is obvious.
struct MiniHtmlFont {
    std::string Face;
    int Size = 0;        // points; applies when PixelHeight is 0
    int PixelHeight = 0; // character height in pixels as the caller's font gave it; 0 once a tag sets Size
    unsigned Style = 0;  // MiniHtmlStyle bits
    TColor Color = 0;

    bool has(unsigned style) const { return (Style & style) != 0; }
    void set(unsigned style, bool on) { Style = on ? (Style | style) : (Style & ~style); }
    bool operator==(const MiniHtmlFont&) const = default;
};

enum class MiniHtmlAlign { Left, Right, Center };

struct RenderState {
    TColor background = clNone;  // text background; clNone draws text transparently
    std::optional<int> rotation; // degrees counter-clockwise, kept within (-360, 360); none: not rotated
    bool inAnchor = false;
    std::string href; // the href of the last <A>; current only while inAnchor
    bool shadow = false;
    bool subscript = false;
    bool superscript = false;
    bool hidden = false;        // <Z>: runs are consumed but neither measured, drawn nor hit-tested
    bool errorMarking = false;  // <E>: runs get the zigzag underline
    bool paragraphBand = false; // each line's band is filled with the background before its text
    int listLevel = 0;
    MiniHtmlAlign alignment = MiniHtmlAlign::Left; // holds until the next <P ALIGN>
    int indent = 0;      // pixels, within kMiniHtmlPixelLimit; holds until the next <P INDENT>
    int anchorCount = 0; // <A> tags met so far; the current anchor's number while inAnchor
    int imageCount = 0;

    // Saved slots. A closing tag restores the one value in its slot, never a stack of them. clNone in a
    // background slot means "transparent".
    TColor fontBackgroundSlot = clNone;
    // The font colour before <HI>; clNone until one is saved, and </HI> then gives the base colour.
    TColor highlightColorSlot = clNone;
    TColor highlightBackgroundSlot = clNone;
    TColor paragraphSlot = clNone;
    TColor hoverSlot = clNone;

    // What a line's second pass starts from again after its measuring pass.
    struct LineStart {
        bool inAnchor = false;
        std::string href;
        int anchorCount = 0;
        int listLevel = 0;
        int imageCount = 0;
        bool shadow = false;
        bool hidden = false;
        bool subscript = false;
        bool superscript = false;
    };

    // Starts a line: clears subscript and superscript, then notes what restartLine puts back.
    LineStart beginLine();
    // Puts back what beginLine noted, before the line's second pass. Everything else (alignment, indent,
    // rotation, background, slots) carries on as the measuring pass left it.
    void restartLine(const LineStart& start);
};
