#include "minihtml/GradientFill.h"

#include <algorithm>
#include <cmath>

int RoundHalfEven(double value) {
    const double low = std::floor(value);
    const double fraction = value - low;
    double result = low;
    if (fraction > 0.5) {
        result = low + 1;
    } else if (fraction == 0.5) {
        result = std::fmod(low, 2.0) == 0 ? low : low + 1;
    }
    return static_cast<int>(result);
}

namespace {

int channel(TColor color, int shift) {
    return static_cast<int>((color >> shift) & 0xFFu);
}

} // namespace

void GradientFill(Canvas& canvas, TColor from, TColor to, bool horizontal, const MiniHtmlRect& rect,
                  int steps) {
    if (steps <= 0) {
        steps = 1;
    }
    const TColor first = canvas.resolveColor(from);
    const TColor second = canvas.resolveColor(to);
    const int extent = horizontal ? rect.Right - rect.Left : rect.Bottom - rect.Top;
    const double band = static_cast<double>(extent) / steps;
    const int leading = horizontal ? rect.Left : rect.Top;
    const int far = horizontal ? rect.Right : rect.Bottom;
    for (int i = 0; i < steps; ++i) {
        TColor color = 0;
        for (int shift : {0, 8, 16}) {
            const int start = channel(first, shift);
            const int delta = channel(second, shift) - start;
            const int value = start + RoundHalfEven(static_cast<double>(i) * delta / steps);
            color |= static_cast<TColor>(std::clamp(value, 0, 255)) << shift;
        }
        const int begin = leading + RoundHalfEven(i * band);
        const int end = std::min(far, begin + static_cast<int>(band) + 1);
        canvas.setPen(color, 1);
        canvas.setBrush(color);
        if (horizontal) {
            canvas.drawRectangle({begin, rect.Top, end, rect.Bottom});
        } else {
            canvas.drawRectangle({rect.Left, begin, rect.Right, end});
        }
    }
}
