#include "controls/MiniHtmlFrames.h"

namespace pinlet {

namespace {

MiniHtmlRect drawBevel(Canvas& canvas, const MiniHtmlRect& rect, TBevelCut cut, int width) {
    if (cut == TBevelCut::bvNone) {
        return rect;
    }
    const TColor shadow = SystemColor(kSystemBtnShadow);
    const TColor highlight = SystemColor(kSystemBtnHighlight);
    return cut == TBevelCut::bvLowered ? drawFrame3D(canvas, rect, shadow, highlight, width)
                                       : drawFrame3D(canvas, rect, highlight, shadow, width);
}

} // namespace

MiniHtmlRect deflatedRect(const MiniHtmlRect& rect, int by) {
    return {rect.Left + by, rect.Top + by, rect.Right - by, rect.Bottom - by};
}

bool hasBevel(const MiniHtmlFrameStyle& style) {
    return style.BevelOuter != TBevelCut::bvNone || style.BevelInner != TBevelCut::bvNone;
}

MiniHtmlRect drawFrame3D(Canvas& canvas, MiniHtmlRect rect, TColor top, TColor bottom, int width) {
    for (int i = 0; i < width && rect.width() > 0 && rect.height() > 0; ++i) {
        const int right = rect.Right - 1;
        const int lower = rect.Bottom - 1;
        canvas.setPen(top, 1);
        canvas.drawLine(rect.Left, lower, rect.Left, rect.Top);
        canvas.drawLine(rect.Left, rect.Top, right, rect.Top);
        canvas.setPen(bottom, 1);
        canvas.drawLine(right, rect.Top, right, lower);
        canvas.drawLine(right, lower, rect.Left - 1, lower);
        rect = deflatedRect(rect, 1);
    }
    return rect;
}

MiniHtmlRect drawFrames(Canvas& canvas, const MiniHtmlRect& rect, const MiniHtmlFrameStyle& style,
                        bool wideSingleBorder) {
    MiniHtmlRect r = drawBevel(canvas, rect, style.BevelOuter, style.BevelWidth);
    r = drawFrame3D(canvas, r, style.Color, style.Color, style.BorderWidth);
    r = drawBevel(canvas, r, style.BevelInner, style.BevelWidth);
    if (style.BorderStyle == TBorderStyle::bsSingle && style.BorderWidth > 0) {
        canvas.setPen(0x000000u, wideSingleBorder ? style.BorderWidth : 1);
        canvas.setBrush(clNone);
        canvas.drawRectangle(r);
    }
    return r;
}

MiniHtmlRect frameTextRect(const MiniHtmlRect& rect, const MiniHtmlFrameStyle& style) {
    MiniHtmlRect r = rect;
    if (hasBevel(style)) {
        r = deflatedRect(r, style.BevelWidth);
    }
    if (style.BorderStyle == TBorderStyle::bsSingle) {
        r = deflatedRect(r, style.BorderWidth);
    }
    return r;
}

} // namespace pinlet
