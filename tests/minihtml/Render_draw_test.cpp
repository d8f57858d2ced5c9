// What MiniHtmlRender draws, in which order and colour: shadows, backgrounds, gradients, rules, the error
// zigzag and the focus rectangle. Fixed metrics: characters 7 px wide, spaces 4, lines 16 high; L is 1.
#include "RenderHarness.h"
#include "minihtml/GradientFill.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Op = CanvasCall::Op;

constexpr TColor kRed = 0x0000FF;
constexpr TColor kWhite = 0xFFFFFF;

struct Drawing : RenderHarness {
    using RenderHarness::RenderHarness;
    std::vector<MiniHtmlRect> rects(Op op) const {
        std::vector<MiniHtmlRect> result;
        for (const CanvasCall& call : canvas.of(op)) {
            result.push_back(call.rect);
        }
        return result;
    }
};

TEST(RenderDraw, ShadowIsDrawnFirstOffsetAndInItsColour) {
    Drawing d;
    d.in.ShadowOffset = 1;
    d.in.ShadowColor = kWhite;
    d.run("<shad>ab</shad>c");
    const auto drawn = d.canvas.drawn();
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0].text, "ab");
    EXPECT_EQ(drawn[0].font.Color, kWhite);
    EXPECT_EQ(drawn[0].rect, (MiniHtmlRect{2, 1, 201, 17}));
    EXPECT_EQ(drawn[1].text, "ab");
    EXPECT_EQ(drawn[1].font.Color, 0u);
    EXPECT_EQ(drawn[1].rect, (MiniHtmlRect{1, 0, 200, 16}));
    EXPECT_EQ(drawn[2].text, "c"); // </SHAD> ends it
}

TEST(RenderDraw, LinkColoursUnderlineAndHover) {
    Drawing d;
    d.in.URLColor = 0x896C07;
    d.run("a<a href=\"x\">b</a>c");
    auto drawn = d.canvas.drawn();
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[1].font.Color, 0x896C07u);
    EXPECT_NE(drawn[1].font.Style & fsUnderline, 0u);
    EXPECT_EQ(drawn[2].font.Color, 0u);
    EXPECT_EQ(drawn[2].font.Style & fsUnderline, 0u);

    // With Hover only the hovered link is underlined and takes the hover colours.
    d.in.Hover = true;
    d.in.HoverLink = 2;
    d.in.HoverFontColor = kRed;
    d.in.HoverColor = kWhite;
    d.run("<a href=\"1\">a</a><a href=\"2\">b</a>c");
    drawn = d.canvas.drawn();
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0].font.Style & fsUnderline, 0u);
    EXPECT_EQ(drawn[0].font.Color, 0x896C07u);
    EXPECT_EQ(drawn[0].textBackground, clNone);
    EXPECT_NE(drawn[1].font.Style & fsUnderline, 0u);
    EXPECT_EQ(drawn[1].font.Color, kRed);
    EXPECT_EQ(drawn[1].textBackground, kWhite);
    EXPECT_EQ(drawn[2].textBackground, clNone); // </A> gives the hover slot back
}

TEST(RenderDraw, BlinkTextTakesTheCallersBackground) {
    Drawing d;
    d.canvas.setBrush(0xEEEEB5);
    d.in.Blink = false;
    d.run("<blink>b</blink>n");
    const auto drawn = d.canvas.drawn();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].font.Color, 0xEEEEB5u);
    EXPECT_EQ(drawn[1].font.Color, 0u);
    EXPECT_EQ(d.canvas.brushColor(), 0xEEEEB5u);
}

TEST(RenderDraw, BodyAndParagraphBackgrounds) {
    Drawing d({10, 5, 110, 105});
    d.run("<body bgcolor=\"#00ff00\">ab");
    ASSERT_EQ(d.canvas.of(Op::FillRect).size(), 1u);
    const CanvasCall body = d.canvas.of(Op::FillRect)[0];
    EXPECT_EQ(body.rect, (MiniHtmlRect{8, 5, 110, 105})); // from 2 pixels left of the rectangle
    EXPECT_EQ(body.brush, 0x00FF00u);
    EXPECT_EQ(d.canvas.drawn()[0].textBackground, 0x00FF00u);

    // <P BGCOLOR> fills this line's band and, while the band is on, each later line's band first.
    d.run("<p bgcolor=\"#0000ff\">a<br>b</p>c<br>d");
    const auto fills = d.canvas.of(Op::FillRect);
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[0].rect, (MiniHtmlRect{10, 5, 110, 21}));
    EXPECT_EQ(fills[1].rect, (MiniHtmlRect{10, 21, 110, 37}));
    EXPECT_EQ(fills[1].brush, 0xFF0000u);
    const auto drawn = d.canvas.drawn();
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[1].textBackground, 0xFF0000u);
    EXPECT_EQ(drawn[2].textBackground, clNone); // </P> restores the transparent background
    EXPECT_EQ(d.canvas.brushColor(), kWhite);   // the caller's brush comes back
}

TEST(RenderDraw, GradientBackgroundsUseSixtyFourBands) {
    Drawing d({0, 0, 128, 100});
    d.run("<body bgcolor=\"#000000\" bgcolorto=\"#ff0000\" dir=\"v\">x");
    auto bands = d.canvas.of(Op::Rectangle);
    ASSERT_EQ(bands.size(), 64u);
    EXPECT_EQ(bands[0].rect, (MiniHtmlRect{0, 0, 128, 2})); // top to bottom
    EXPECT_EQ(bands[63].brush, 0x0000FBu);                  // 63 * 255 / 64 = 251.02
    EXPECT_EQ(d.canvas.drawn()[0].textBackground, clNone);  // text stays transparent

    d.run("<p bgcolor=\"#000000\" bgcolorto=\"#0000ff\">x");
    bands = d.canvas.of(Op::Rectangle);
    ASSERT_EQ(bands.size(), 64u);
    EXPECT_EQ(bands[0].rect, (MiniHtmlRect{0, 0, 3, 18})); // left to right, the band 2 pixels taller
}

TEST(GradientFill, BandsRoundHalvesToEven) {
    RecordingCanvas canvas;
    // 10 pixels in 4 bands of 2.5: starts round(0), round(2.5) = 2, round(5), round(7.5) = 8; each reaches
    // start + 3, the last one cut at the right edge.
    GradientFill(canvas, 0x000000, 0x000003, true, {0, 0, 10, 4}, 4);
    const auto bands = canvas.of(Op::Rectangle);
    ASSERT_EQ(bands.size(), 4u);
    const std::vector<MiniHtmlRect> rects = {{0, 0, 3, 4}, {2, 0, 5, 4}, {5, 0, 8, 4}, {8, 0, 10, 4}};
    // Red steps by 3/4: 0, 0.75 -> 1, 1.5 -> 2, 2.25 -> 2.
    const std::vector<TColor> colours = {0, 1, 2, 2};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(bands[i].rect, rects[i]) << i;
        EXPECT_EQ(bands[i].brush, colours[i]) << i;
        EXPECT_EQ(bands[i].pen, colours[i]) << i;
    }
    EXPECT_EQ(canvas.brushColor(), 2u); // pen and brush stay in the last band's colour

    struct Row {
        double value;
        int expected;
    };
    for (const Row& row : std::vector<Row>{{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-1.5, -2}, {2.51, 3}}) {
        EXPECT_EQ(RoundHalfEven(row.value), row.expected) << row.value;
    }
}

TEST(GradientFill, ZeroStepsIsOneBandAndSystemColoursAreResolved) {
    RecordingCanvas canvas;
    GradientFill(canvas, SystemColor(5), 0xFFFFFF, false, {0, 0, 10, 10}, 0);
    const auto bands = canvas.of(Op::Rectangle);
    ASSERT_EQ(bands.size(), 1u);
    EXPECT_EQ(bands[0].rect, (MiniHtmlRect{0, 0, 10, 10}));
    EXPECT_EQ(bands[0].brush, 0x050505u);
}

TEST(RenderDraw, RuleIsOnePixelBelowTheTextBottom) {
    Drawing d;
    d.run("ab<hr>cd");
    const auto lines = d.canvas.of(Op::Line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rect, (MiniHtmlRect{1, 17, 200, 17}));
    EXPECT_EQ(lines[0].pen, 0u);
    EXPECT_EQ(d.canvas.drawn()[1].rect.Bottom, 32); // the line ended after the tag
}

TEST(RenderDraw, ErrorZigzagUnderTheRun) {
    Drawing d({3, 0, 200, 100}); // L = 4, a multiple of 4: the zigzag starts low
    d.run("<e>ab</e>c");
    const std::vector<MiniHtmlRect> expected = {{4, 17, 6, 15},   {6, 15, 8, 17},   {8, 17, 10, 15},
                                                {10, 15, 12, 17}, {12, 17, 14, 15}, {14, 15, 16, 17},
                                                {16, 17, 18, 15}};
    EXPECT_EQ(d.rects(Op::Line), expected);
    EXPECT_EQ(d.canvas.of(Op::Line)[0].pen, kRed);
}

TEST(RenderDraw, FocusRectangleIsSplitOverLines) {
    Drawing d({0, 0, 41, 100});
    d.in.FocusLink = 1; // the second anchor
    const MiniHtmlRenderOutput out = d.run("<a href=\"x\">x</a> <a href=\"f\">aaa bbb</a>");
    // Line one: from the pen at <A> (1 + 11) to the line's end (1 + 36), top to text bottom, widened.
    // Line two: from L + 1 to the pen at </A>, "gh" high above the text bottom, widened.
    EXPECT_EQ(d.rects(Op::FocusRect), (std::vector<MiniHtmlRect>{{11, -1, 38, 17}, {1, 15, 23, 33}}));
    EXPECT_EQ(out.FocusAnchor, "f");

    d.in.FocusLink = -1;
    EXPECT_EQ(d.run("<a href=\"x\">x</a>").FocusAnchor, "");
    EXPECT_TRUE(d.canvas.of(Op::FocusRect).empty());
}

TEST(RenderDraw, OpaqueTextBackgroundFollowsFontBgcolor) {
    Drawing d;
    d.run("<font bgcolor=\"#ff0000\">a</font>b<hi>c</hi>d");
    const auto drawn = d.canvas.drawn();
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[0].textBackground, 0x0000FFu);
    EXPECT_EQ(drawn[1].textBackground, clNone);
    EXPECT_EQ(drawn[2].textBackground, SystemColor(13));
    EXPECT_EQ(drawn[2].font.Color, SystemColor(14));
    EXPECT_EQ(drawn[3].textBackground, clNone);
}

TEST(RenderDraw, RotatedRunsCarryTheEscapement) {
    Drawing d;
    d.run("<r a=\"90\">up</r>flat");
    const auto drawn = d.canvas.drawn();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].font.Escapement, 900);
    EXPECT_EQ(drawn[1].font.Escapement, 0);
}

TEST(RenderDraw, RunsAreDrawnBottomAlignedWithTabsAndMeasuredWithLeading) {
    Drawing d;
    d.canvas.externalLeading = 2;
    const MiniHtmlRenderOutput out = d.run("a\tb");
    const auto drawn = d.canvas.drawn();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].flags, static_cast<unsigned>(dtBottom | dtExpandTabs));
    EXPECT_EQ(drawn[0].rect.Bottom, 18);
    EXPECT_EQ(out.YSize, 18);
    EXPECT_EQ(out.XSize, 63);
}

} // namespace
