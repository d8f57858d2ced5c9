// The hit test through the engine and the enter/exit bookkeeping that every link control shares.
#include "controls/AnchorTracker.h"
#include "controls/MeasuringCanvas.h"
#include "support/FixedCanvasMaker.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

using pinlet::AnchorHit;
using pinlet::AnchorTracker;

// Two links on one line, 16-pixel lines, 7-pixel characters: "one" spans x 1..22, " " then "two" 26..47.
AnchorHit hitAt(int x, int y) {
    const FixedCanvasMaker fixed;
    const QImage device(1, 1, QImage::Format_RGB32);
    pinlet::MeasuringCanvas measuring(device, CanvasFont{"Arial", 0, 16});
    MiniHtmlRenderInput in;
    in.Canvas = &measuring.canvas();
    in.Text = "<a href=\"1\">one</a> <a href=\"2\">two</a><br>plain";
    in.Rect = {0, 0, 200, 100};
    return pinlet::hitTestAnchor(in, x, y);
}

TEST(AnchorHitTest, FindsTheLinkWhereTheEngineDrawsIt) {
    const AnchorHit one = hitAt(5, 8);
    EXPECT_EQ(one.Href, "1");
    EXPECT_EQ(one.Index, 1);
    EXPECT_EQ(one.Rect, (MiniHtmlRect{1, 0, 22, 16}));
    EXPECT_EQ(hitAt(30, 8).Href, "2");
    EXPECT_FALSE(hitAt(10, 24).overLink()); // plain text on the second line
    EXPECT_EQ(hitAt(10, 24).Index, -1);
}

TEST(AnchorTracker, EnterAndExitOncePerChange) {
    AnchorTracker tracker;
    const AnchorHit none;
    const AnchorHit one{"1", 1, {1, 0, 22, 16}};
    const AnchorHit two{"2", 2, {26, 0, 47, 16}};

    EXPECT_FALSE(tracker.move(none).exited); // never on a link: nothing to leave
    const auto onto = tracker.move(one);
    EXPECT_TRUE(onto.entered);
    EXPECT_TRUE(onto.hoverChanged);
    EXPECT_TRUE(tracker.overLink());
    const auto along = tracker.move(one);
    EXPECT_FALSE(along.entered);
    EXPECT_FALSE(along.hoverChanged);
    EXPECT_TRUE(tracker.move(two).entered);
    EXPECT_EQ(tracker.href(), "2");
    EXPECT_EQ(tracker.hoverLink(), 2);
    const auto off = tracker.move(none);
    EXPECT_TRUE(off.exited);
    EXPECT_FALSE(tracker.overLink());
    EXPECT_FALSE(tracker.move(none).exited);

    // Leaving the control over a link drops the hover style but not the link: back onto it is no new
    // enter, and the exit comes with the first move off it.
    tracker.move(one);
    EXPECT_TRUE(tracker.leave().hoverChanged);
    EXPECT_EQ(tracker.hoverLink(), -1);
    const auto back = tracker.move(one);
    EXPECT_FALSE(back.entered);
    EXPECT_TRUE(back.hoverChanged);
    tracker.leave();
    EXPECT_TRUE(tracker.move(none).exited);
}

} // namespace
