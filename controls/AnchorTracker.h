#pragma once
// The pointer's way over a control's links: which link is hovered, and when the pointer entered a link
// or left all of them. Each change is reported once, however many moves the pointer makes along a link.

#include "controls/MiniHtmlAnchors.h"

#include <string>

namespace pinlet {

class AnchorTracker {
public:
    struct Change {
        bool entered = false;      // the pointer came onto a link (another one, or from no link)
        bool exited = false;       // the pointer left all links
        bool hoverChanged = false; // the hovered link or its rectangle changed: the hover style moves
    };

    // The pointer moved to where hit was found.
    Change move(const AnchorHit& hit);
    // The pointer left the control. Nothing is hovered any more; the link it left stays entered, so the
    // next move onto no link reports the exit and a move back onto it reports nothing.
    Change leave();
    // The text was replaced: nothing is hovered until the pointer moves again.
    void clearHover();

    // Over a link: the control shows the hand cursor.
    bool overLink() const { return overLink_; }
    // The href of the link last entered.
    const std::string& href() const { return href_; }
    // The anchor number to draw in the hover style, -1 for none.
    int hoverLink() const { return hoverLink_; }
    MiniHtmlRect hoverRect() const { return hoverRect_; }

private:
    bool overLink_ = false;
    std::string href_;
    int enteredIndex_ = -1;
    int hoverLink_ = -1;
    MiniHtmlRect hoverRect_{-1, -1, -1, -1};
};

} // namespace pinlet
