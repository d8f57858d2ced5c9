#pragma once
// The bevels and borders around a mini-HTML control's text.

#include "controls/MiniHtmlControlTypes.h"
#include "minihtml/Canvas.h"

namespace pinlet {

struct MiniHtmlFrameStyle {
    TBevelCut BevelOuter = TBevelCut::bvNone;
    TBevelCut BevelInner = TBevelCut::bvNone;
    int BevelWidth = 1;
    int BorderWidth = 0;
    TBorderStyle BorderStyle = TBorderStyle::bsNone;
    TColor Color = 0; // the border area's colour
};

// rect moved in by `by` pixels on each side.
MiniHtmlRect deflatedRect(const MiniHtmlRect& rect, int by);
// Whether either bevel is drawn.
bool hasBevel(const MiniHtmlFrameStyle& style);

// width nested 1-pixel rectangles inward from rect, top and left edges in top, bottom and right edges in
// bottom; returns rect shrunk by width on each side.
MiniHtmlRect drawFrame3D(Canvas& canvas, MiniHtmlRect rect, TColor top, TColor bottom, int width);

// The outer bevel, the border area in the control's colour and the inner bevel, drawn inward from rect;
// returns what is left inside them. A single border style then outlines that rest in black, 1 pixel wide
// (the label) or borderWidth pixels wide (the static text).
MiniHtmlRect drawFrames(Canvas& canvas, const MiniHtmlRect& rect, const MiniHtmlFrameStyle& style,
                        bool wideSingleBorder);

// Where the text goes inside rect: in by BevelWidth when either bevel is set, and by BorderWidth with a
// single border. Painting and hit-testing both use it, so a link is hit where it is drawn.
MiniHtmlRect frameTextRect(const MiniHtmlRect& rect, const MiniHtmlFrameStyle& style);

} // namespace pinlet
