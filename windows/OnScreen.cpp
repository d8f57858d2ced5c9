#include "windows/OnScreen.h"

#include <algorithm>
#include <limits>

namespace pinlet {

namespace {

// Enough of the bar to put the pointer on it and drag.
constexpr int kGrabWidth = 32;
constexpr int kGrabHeight = 8;

// Squared distance between the nearest points of two rectangles; 0 when they meet.
long long distance2(const QRect& a, const QRect& b) {
    const long long dx = std::max({0LL, (long long)b.left() - a.right(), (long long)a.left() - b.right()});
    const long long dy = std::max({0LL, (long long)b.top() - a.bottom(), (long long)a.top() - b.bottom()});
    return dx * dx + dy * dy;
}

} // namespace

QRect bringonscreen(const QRect& window, int barHeight, const QList<QRect>& workAreas) {
    const QRect bar(window.topLeft(),
                    QSize(window.width(), std::max(1, std::min(barHeight, window.height()))));
    const QRect* nearest = nullptr;
    long long best = std::numeric_limits<long long>::max();
    for (const QRect& area : workAreas) {
        if (area.isEmpty())
            continue;
        const QRect seen = bar.intersected(area);
        if (seen.width() >= std::min(kGrabWidth, bar.width()) &&
            seen.height() >= std::min(kGrabHeight, bar.height()))
            return window;
        if (const long long d = distance2(window, area); d < best) {
            best = d;
            nearest = &area;
        }
    }
    if (!nearest)
        return window;
    const QSize size = window.size().boundedTo(nearest->size());
    const int left = std::clamp(window.left(), nearest->left(), nearest->right() + 1 - size.width());
    const int top = std::clamp(window.top(), nearest->top(), nearest->bottom() + 1 - size.height());
    return QRect(QPoint(left, top), size);
}

} // namespace pinlet
