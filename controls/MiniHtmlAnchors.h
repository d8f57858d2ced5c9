#pragma once
// Links in mini-HTML controls: the event types the controls report them with, and the hit test that
// finds the link under a point exactly where the engine draws it.

#include "minihtml/MiniHtmlRender.h"

#include <functional>
#include <string>

class QObject;

// A link event: the control that sends it and the link's href (empty for "left all links").
using TAnchorClick = std::function<void(QObject* Sender, const std::string& Anchor)>;
// May replace the hint text shown over a link.
using TAnchorHintEvent = std::function<void(QObject* Sender, std::string& Anchor)>;
// The pointer entered or left a control.
using TNotifyEvent = std::function<void(QObject* Sender)>;

namespace pinlet {

struct AnchorHit {
    std::string Href;                  // empty: the point is over no link
    int Index = -1;                    // the link's anchor number; -1 for none
    MiniHtmlRect Rect{-1, -1, -1, -1}; // its part on the line of its </A>; -1s when the engine gives none
    bool overLink() const { return !Href.empty(); }
};

// The link at (x, y), laid out as input would draw it (canvas, text, rectangle, pictures, wrapping and
// hover inputs as the caller paints). The hit-test inputs are set here: CheckOnly on, MeasureOnly and
// Blink off, HoverLink and FocusLink -1. A control that lays its text out through kept line positions
// passes its own render.
using MiniHtmlRenderer = std::function<MiniHtmlRenderOutput(const MiniHtmlRenderInput&)>;
AnchorHit hitTestAnchor(MiniHtmlRenderInput input, int x, int y,
                        const MiniHtmlRenderer& render = MiniHtmlRender);

} // namespace pinlet
