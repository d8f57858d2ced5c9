#pragma once
// The one boundary between the mini-HTML engine and a drawing surface. The engine lays text out and decides
// what goes where; a Canvas measures and paints. Everything here is in device pixels, y growing downwards.

#include "minihtml/Color.h"

#include <string>
#include <string_view>

class MiniHtmlPicture;

struct MiniHtmlRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const MiniHtmlRect&) const = default;
    int width() const { return Right - Left; }
    int height() const { return Bottom - Top; }
};

struct MiniHtmlSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const MiniHtmlSize&) const = default;
};

// Font style bits, combined with |.
enum CanvasFontStyle : unsigned {
    fsBold = 1u,
    fsItalic = 2u,
    fsUnderline = 4u,
    fsStrikeOut = 8u,
};

// A font as a plain value. The canvas resolves it to a real font when it measures or draws, so two equal
// values always measure alike.
struct CanvasFont {
    std::string Face; // face name; a face that is not installed falls back to the platform's choice
    int Size = 0;     // in points; used when PixelHeight is 0
    int PixelHeight =
        0;              // character height in pixels; the controls give their fonts so, and it wins over Size
    unsigned Style = 0; // CanvasFontStyle bits
    TColor Color = 0;   // text colour; may be a system colour
    int Escapement = 0; // rotation in tenths of a degree, counter-clockwise; 0 for none
    bool operator==(const CanvasFont&) const = default;
};

// Flags of the single-line text operations. Single-line is implied: a canvas never breaks a run.
enum CanvasTextFlags : unsigned {
    dtBottom = 0x8u,            // the text cell sits on the bottom edge of the box
    dtExpandTabs = 0x40u,       // tabs advance to the default tab stops (every 8 average character widths)
    dtNoPrefix = 0x800u,        // draw "&" literally; without it "&" hides itself and underlines the next
                                // character, and "&&" shows one "&"
    dtExternalLeading = 0x200u, // measuring only: the height includes the font's external leading
    dtEndEllipsis = 0x8000u,    // drawing only: a run wider than its box is cut and ends in an ellipsis
};

class Canvas {
public:
    virtual ~Canvas() = default;

    // The current font. The engine reads it once as its base font, changes it per run, and puts the base
    // font back before it returns.
    virtual CanvasFont font() const = 0;
    virtual void setFont(const CanvasFont& font) = 0;

    // Width and height of one line of text in the current font, as drawText would lay it out without any
    // box: width of the visible characters after tab expansion and mnemonic processing, height of a text
    // cell (plus external leading with dtExternalLeading). Measuring ignores dtEndEllipsis. Never fails;
    // the empty text measures (0, cell height).
    virtual MiniHtmlSize measureText(std::string_view text, unsigned flags) const = 0;

    // Draws one line of text in the current font and colour into box, clipped to it. With dtBottom the text
    // cell's bottom is the box's bottom, otherwise its top is the box's top; the text starts at box.Left.
    // With dtEndEllipsis, text wider than the box is cut and ends in "...". When the text background is a
    // colour, the text cell (not the whole box) is first filled with it. A font escapement rotates the
    // text about the left end of its baseline.
    virtual void drawText(std::string_view text, const MiniHtmlRect& box, unsigned flags) = 0;

    // The text background: clNone draws text transparently; any other colour fills each text cell.
    virtual void setTextBackground(TColor color) = 0;

    // Pen for lines and rectangle outlines; width in pixels.
    virtual void setPen(TColor color, int width) = 0;
    // Brush for fills; clNone means no fill.
    virtual void setBrush(TColor color) = 0;
    virtual TColor brushColor() const = 0;

    // Fills [Left, Right) x [Top, Bottom) with the brush; no outline.
    virtual void fillRect(const MiniHtmlRect& rect) = 0;
    // Outlines [Left, Right) x [Top, Bottom) with the pen, inside the rectangle, and fills the inside with
    // the brush.
    virtual void drawRectangle(const MiniHtmlRect& rect) = 0;
    // A pen line from (x0, y0) up to but not including (x1, y1).
    virtual void drawLine(int x0, int y0, int x1, int y1) = 0;
    // A dotted outline of [Left, Right) x [Top, Bottom) drawn by inverting the pixels under it, so that
    // drawing the same rectangle twice leaves the surface as it was.
    virtual void drawFocusRect(const MiniHtmlRect& rect) = 0;

    // Restricts drawing to the intersection of rect with the current clip until the matching popClip.
    virtual void pushClip(const MiniHtmlRect& rect) = 0;
    virtual void popClip() = 0;

    // Draws a picture stretched into dest (at its own size when dest has the picture's size). A picture
    // this canvas cannot draw (from another kind of source, or empty) draws nothing.
    virtual void drawPicture(const MiniHtmlPicture& picture, const MiniHtmlRect& dest) = 0;

    // The size of the system's small or large shell icons, in pixels at 96 pixels per inch.
    virtual MiniHtmlSize systemIconSize(bool large) const = 0;
    // Draws, with its transparency, the small or large shell icon for source (a number in the system's icon
    // list, or a file or folder path) with its top-left corner at (x, y). Draws nothing when there is none.
    virtual void drawSystemIcon(const std::string& source, bool large, int x, int y) = 0;

    virtual int pixelsPerInchX() const = 0;
    virtual int pixelsPerInchY() const = 0;

    // The RGB value (0x00BBGGRR) of a colour: system colours resolved on this platform, RGB colours as they
    // are. clNone resolves to black.
    virtual TColor resolveColor(TColor color) const = 0;
};
