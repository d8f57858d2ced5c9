#pragma once
// Keeping a borderless window where the user can reach it.

#include <QList>
#include <QRect>

namespace pinlet {

// The rectangle a window should take so that its top bar (the part it is moved by, `barHeight` pixels
// high) can be grabbed on one of the screens' work areas. A window whose bar shows enough of itself on a
// work area is left where it is (the same rectangle comes back). Otherwise (a monitor was unplugged, or
// the rectangle was saved on a larger desktop) it moves onto the work area nearest to it, keeping its size
// where that fits and shrinking to the work area where it does not. No work areas: unchanged.
QRect bringonscreen(const QRect& window, int barHeight, const QList<QRect>& workAreas);

} // namespace pinlet
