// Any text at all must lay out, draw, hit-test and measure without failing, looping or overflowing (the
// sanitizer build runs this too), and the outputs must agree with one another.
#include "minihtml/MiniHtmlRender.h"
#include "support/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Pieces that the markup reacts to, glued at random: tags with odd values, entities, breaks, long words.
const std::vector<std::string> kPieces = {"<a href=\"x\">",
                                          "</a>",
                                          "<b>",
                                          "</b>",
                                          "<br>",
                                          "<hr>",
                                          "<ul>",
                                          "</ul>",
                                          "<li>",
                                          "</li>",
                                          "<p align=\"right\">",
                                          "<p align=\"center\">",
                                          "<p indent=\"2147483647\">",
                                          "</p>",
                                          "<p bgcolor=\"#ff0000\">",
                                          "<p bgcolor=\"#0\" bgcolorto=\"#fff\">",
                                          "<body bgcolor=\"clred\">",
                                          "<body background=\"x\">",
                                          "<font size=\"99999999999\" face=\"f\" color=\"#12\">",
                                          "</font>",
                                          "<sub>",
                                          "<sup>",
                                          "</sub>",
                                          "<shad>",
                                          "</shad>",
                                          "<e>",
                                          "</e>",
                                          "<z>",
                                          "</z>",
                                          "<hi>",
                                          "</hi>",
                                          "<r a=\"-45\">",
                                          "</r>",
                                          "<img src=\"idx:3\" width=\"2147483647\" height=\"9\">",
                                          "<img src=\"ssys:1\" align=\"top\">",
                                          "<img src=\"p\" align=\"\"middle\">",
                                          "<ind x=\"2147483647\">",
                                          "<ind x=\"40\">",
                                          "<blink>",
                                          "</blink>",
                                          "word ",
                                          "longerwordthanthewholeline",
                                          " ",
                                          "&amp;",
                                          "&nbsp;",
                                          "&lt;",
                                          "\r\n",
                                          "\t",
                                          "<",
                                          ">",
                                          "\"",
                                          "<x",
                                          "<#>",
                                          "é "};

std::string soup(std::mt19937& random) {
    std::string text;
    const int count = std::uniform_int_distribution<int>(0, 40)(random);
    std::uniform_int_distribution<std::size_t> pick(0, kPieces.size() - 1);
    for (int i = 0; i < count; ++i) {
        text += kPieces[pick(random)];
    }
    return text;
}

TEST(RenderRobust, AnyTextLaysOutDrawsAndHitTests) {
    std::mt19937 random(20261209);
    for (int round = 0; round < 1500; ++round) {
        const std::string text = soup(random);
        RecordingCanvas canvas;
        canvas.setBrush(0x123456);
        const CanvasFont base = canvas.font();
        MiniHtmlRenderInput in;
        in.Canvas = &canvas;
        in.Text = text;
        in.Rect = {5, 5, 5 + std::uniform_int_distribution<int>(0, 120)(random), 80};
        in.WordWrap = round % 3 != 0;
        in.FocusLink = round % 4 - 1;
        in.ShadowOffset = 2;

        const MiniHtmlRenderOutput drawn = MiniHtmlRender(in);
        in.CheckOnly = true;
        in.X = std::uniform_int_distribution<int>(0, 130)(random);
        in.Y = std::uniform_int_distribution<int>(0, 90)(random);
        const MiniHtmlRenderOutput hit = MiniHtmlRender(in);
        in.MeasureOnly = true;
        const MiniHtmlRenderOutput measured = MiniHtmlRender(in);

        SCOPED_TRACE(text);
        EXPECT_GT(drawn.YSize, 0);
        EXPECT_GE(drawn.XSize, 0);
        // Drawing and hit-testing lay out the same lines; measuring has no bottom limit.
        EXPECT_EQ(drawn.YSize, hit.YSize);
        EXPECT_EQ(drawn.AnchorCount, hit.AnchorCount);
        EXPECT_GE(measured.YSize, drawn.YSize);
        EXPECT_GE(measured.AnchorCount, drawn.AnchorCount);
        EXPECT_LE(hit.AnchorIndex, hit.AnchorCount);
        if (!hit.Result) {
            EXPECT_EQ(hit.AnchorHref, "");
        }
        EXPECT_EQ(canvas.brushColor(), 0x123456u);
        EXPECT_EQ(canvas.font(), base);
        int clips = 0;
        for (const CanvasCall& call : canvas.calls) {
            clips += call.op == CanvasCall::Op::PushClip ? 1 : call.op == CanvasCall::Op::PopClip ? -1 : 0;
        }
        EXPECT_EQ(clips, 0);
    }
}

} // namespace
