#include "controls/MiniHtmlAnchors.h"

namespace pinlet {

AnchorHit hitTestAnchor(MiniHtmlRenderInput input, int x, int y, const MiniHtmlRenderer& render) {
    input.CheckOnly = true;
    input.MeasureOnly = false;
    input.Blink = false;
    input.HoverLink = -1;
    input.FocusLink = -1;
    input.X = x;
    input.Y = y;
    MiniHtmlRenderOutput out = render(input);
    AnchorHit hit;
    if (out.Result) {
        hit.Href = std::move(out.AnchorHref);
        hit.Index = out.AnchorIndex;
        hit.Rect = out.AnchorRect;
    }
    return hit;
}

} // namespace pinlet
