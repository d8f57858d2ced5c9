#pragma once
// The mini-HTML layout engine. One call lays a whole text out, line by line, and either draws it, or
// hit-tests it against a point, or only measures it. Nothing is kept between calls.

#include "minihtml/Canvas.h"
#include "minihtml/Color.h"
#include "minihtml/MiniHtmlPictures.h"

#include <string>

struct MiniHtmlRenderInput {
    // The surface. Its font is the base font; its brush colour is the caller's background (<BLINK> text
    // takes it). The engine changes font, brush, pen and text background while it works and puts the font
    // and the brush colour back before it returns.
    ::Canvas* Canvas = nullptr;
    std::string Text;                                           // mini-HTML, not yet prepared
    MiniHtmlRect Rect;                                          // layout rectangle
    const MiniHtmlPictureContainer* PictureContainer = nullptr; // named pictures, or none
    MiniHtmlPictureCache* PictureCache = nullptr;               // pictures by URL, or none
    const MiniHtmlImageList* Images = nullptr;                  // pictures for IDX sources, or none
    TColor ShadowColor = 0x808080u;
    TColor HoverFontColor = clNone; // font colour of the hovered anchor; clNone: unchanged
    TColor HoverColor = clNone;     // background of the hovered anchor; clNone: unchanged
    TColor URLColor = 0xFF0000u;    // font colour of anchors (blue)
    bool WordWrap = true;     // false: no wrapping; a run wider than the rest of the line ends in an ellipsis
    bool Hover = false;       // true: only the hovered anchor is underlined and takes the hover colours
    int HoverLink = -1;       // number of the hovered anchor, -1 for none
    bool Blink = true;        // false: <BLINK> text takes the caller's background colour
    bool MeasureOnly = false; // one measuring pass per line: no drawing, no hit-testing, no bottom limit
    bool CheckOnly = false;   // hit-test instead of drawing
    int ShadowOffset = 0;     // pixels right and down
    int FocusLink = -1;       // anchor number FocusLink + 1 gets the focus rectangle; -1 for none
    int X = 0;                // the point to hit-test, in canvas coordinates
    int Y = 0;
};

struct MiniHtmlRenderOutput {
    // Hit-testing: the point lies over an anchor's text (within the text height of its line) or over an
    // image inside an anchor. Without CheckOnly this and the anchor fields below carry no meaning.
    bool Result = false;
    std::string AnchorHref; // href of that anchor
    int AnchorIndex = -1;   // its number (1, 2, ...), set when its </A> is laid out; -1 for none
    MiniHtmlRect AnchorRect{-1, -1, -1, -1}; // its part on the line of its </A>; -1s for none or an image
    int AnchorCount = 0;                     // <A> tags in the lines laid out
    int XSize = 0;                           // widest line, without its trailing space
    int YSize = 0;                           // sum of the line heights; the height of "gh" for an empty text
    std::string FocusAnchor;                 // href of the focus anchor when drawn, else empty
};

// Lays out, draws, hit-tests or measures input.Text in input.Rect on input.Canvas. Runs on the GUI
// thread. Never throws for any text; a picture that cannot be loaded is drawn as nothing.
MiniHtmlRenderOutput MiniHtmlRender(const MiniHtmlRenderInput& input);
