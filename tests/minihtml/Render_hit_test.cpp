// Hit-testing with MiniHtmlRender: which points report a link, and the rectangle and number it reports.
// Fixed metrics: characters 7 px wide, spaces 4, lines 16 high; the first line's left edge L is 1.
#include "minihtml/MiniHtmlRender.h"
#include "support/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

MiniHtmlRenderOutput hit(const std::string& text, int x, int y, MiniHtmlRect rect = {0, 0, 200, 100}) {
    RecordingCanvas canvas;
    MiniHtmlRenderInput in;
    in.Canvas = &canvas;
    in.Rect = rect;
    in.Text = text;
    in.CheckOnly = true;
    in.X = x;
    in.Y = y;
    const MiniHtmlRenderOutput out = MiniHtmlRender(in);
    EXPECT_TRUE(canvas.drawn().empty()) << "a hit test draws nothing";
    return out;
}

TEST(RenderHit, LinkRunColumnsAndTheYTest) {
    const std::string link = "ab <a href=\"go\">cde</a> fg";
    // "ab " is 18 wide, so the link run covers pixels 19..39 and column 40 is just past it.
    struct Row {
        const char* comment;
        int x;
        int y;
        bool hit;
    };
    const std::vector<Row> rows = {
        {"left edge of the run", 19, 8, true},
        {"column just past its last pixel", 40, 8, true},
        {"one column further", 41, 8, false},
        {"one column before the run", 18, 8, false},
        {"top row of the line is outside the strict Y test", 30, 0, false},
        {"first row inside", 30, 1, true},
        {"last row inside", 30, 15, true},
        {"the line's bottom row is outside", 30, 16, false},
        {"below the text", 30, 40, false},
    };
    for (const Row& row : rows) {
        const MiniHtmlRenderOutput out = hit(link, row.x, row.y);
        EXPECT_EQ(out.Result, row.hit) << row.comment;
        EXPECT_EQ(out.AnchorHref, row.hit ? "go" : "") << row.comment;
        EXPECT_EQ(out.AnchorIndex, row.hit ? 1 : -1) << row.comment;
    }
}

TEST(RenderHit, TrailingSpaceOfALinkRunBelongsToIt) {
    // "ab " is 18 wide: pixels 1..18, and column 19 still reports the link.
    EXPECT_TRUE(hit("<a href=\"s\">ab </a>", 19, 8).Result);
    EXPECT_FALSE(hit("<a href=\"s\">ab </a>", 20, 8).Result);
}

TEST(RenderHit, AnchorRectIsThePartOnTheLineOfTheClosingTag) {
    // On one line: from L + the width before <A> to L + the width at </A>, top to text bottom.
    MiniHtmlRenderOutput out = hit("ab <a href=\"go\">cde</a> fg", 25, 8);
    EXPECT_EQ(out.AnchorRect, (MiniHtmlRect{19, 0, 40, 16}));
    EXPECT_EQ(out.AnchorCount, 1);

    // A link continued on the next line: both lines report it; the rectangle is its part on line two.
    const std::string wrapped = "<a href=\"one\">x</a> <a href=\"two\">aaa bbb</a>";
    const MiniHtmlRect rect{1, 16, 22, 32};
    for (int y : {8, 24}) {
        out = hit(wrapped, 15, y, {0, 0, 41, 100});
        EXPECT_TRUE(out.Result) << y;
        EXPECT_EQ(out.AnchorHref, "two") << y;
        EXPECT_EQ(out.AnchorIndex, 2) << y;
        EXPECT_EQ(out.AnchorRect, rect) << y;
    }
    // Past the continued part on line two there is no link.
    EXPECT_FALSE(hit(wrapped, 30, 24, {0, 0, 41, 100}).Result);
}

TEST(RenderHit, ALinkWhoseCloseIsNeverLaidOutHasNoIndex) {
    const MiniHtmlRenderOutput out = hit("<a href=\"open\">abc", 5, 8);
    EXPECT_TRUE(out.Result);
    EXPECT_EQ(out.AnchorHref, "open");
    EXPECT_EQ(out.AnchorIndex, -1);
    EXPECT_EQ(out.AnchorRect, (MiniHtmlRect{-1, -1, -1, -1}));
}

TEST(RenderHit, HitsFollowAlignmentAndLines) {
    // Centred: the 21 px link stands at 1 + (100 - 21) / 2 = 40.
    EXPECT_FALSE(hit("<p align=\"center\"><a href=\"c\">abc</a>", 39, 8, {0, 0, 101, 100}).Result);
    EXPECT_TRUE(hit("<p align=\"center\"><a href=\"c\">abc</a>", 40, 8, {0, 0, 101, 100}).Result);
    // The third link of a list is found on the third line, with its number.
    const MiniHtmlRenderOutput out =
        hit("<a href=\"1\">a</a><br><a href=\"2\">b</a><br><a href=\"3\">c</a><br>", 4, 40);
    EXPECT_EQ(out.AnchorHref, "3");
    EXPECT_EQ(out.AnchorIndex, 3);
    EXPECT_EQ(out.AnchorRect, (MiniHtmlRect{1, 32, 8, 48}));
}

TEST(RenderHit, TextOutsideLinksAndHiddenLinksAreNotHit) {
    EXPECT_FALSE(hit("plain text", 5, 8).Result);
    EXPECT_FALSE(hit("<z><a href=\"h\">abc</a></z>", 5, 8).Result);
}

TEST(RenderHit, YTestUsesTheGhHeightAboveTheBoxBottom) {
    // A subscript makes the line 20 high; the Y test spans the 16 rows above its box bottom.
    const std::string text = "<a href=\"s\">a<sub>b</sub></a>";
    EXPECT_FALSE(hit(text, 3, 4).Result);
    EXPECT_TRUE(hit(text, 3, 5).Result);
    EXPECT_TRUE(hit(text, 3, 19).Result);
    EXPECT_FALSE(hit(text, 3, 20).Result);
}

} // namespace
