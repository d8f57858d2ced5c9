#include "controls/AnchorTracker.h"

namespace pinlet {

AnchorTracker::Change AnchorTracker::move(const AnchorHit& hit) {
    Change change;
    const MiniHtmlRect none{-1, -1, -1, -1};
    if (hit.overLink()) {
        change.entered = !overLink_ || hit.Href != href_ || hit.Index != enteredIndex_;
        change.hoverChanged = change.entered || hit.Index != hoverLink_ || hit.Rect != hoverRect_;
        overLink_ = true;
        href_ = hit.Href;
        enteredIndex_ = hit.Index;
        hoverLink_ = hit.Index;
        hoverRect_ = hit.Rect;
    } else {
        change.exited = overLink_;
        change.hoverChanged = hoverLink_ != -1 || hoverRect_ != none;
        overLink_ = false;
        hoverLink_ = -1;
        hoverRect_ = none;
    }
    return change;
}

AnchorTracker::Change AnchorTracker::leave() {
    Change change;
    change.hoverChanged = hoverLink_ != -1;
    clearHover();
    return change;
}

void AnchorTracker::clearHover() {
    hoverLink_ = -1;
    hoverRect_ = {-1, -1, -1, -1};
}

} // namespace pinlet
