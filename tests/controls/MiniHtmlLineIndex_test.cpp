// Kept line positions must give exactly what the engine gives for the whole text, scrolled anywhere.
#include "controls/MiniHtmlLineIndex.h"
#include "support/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using pinlet::MiniHtmlLineIndex;

// The drawn text with its box, for the lines that reach into the view only.
std::vector<std::pair<std::string, MiniHtmlRect>> visibleDraws(const RecordingCanvas& canvas, int viewTop) {
    std::vector<std::pair<std::string, MiniHtmlRect>> draws;
    for (const CanvasCall& call : canvas.drawn()) {
        if (call.rect.Bottom > viewTop) {
            draws.emplace_back(call.text, call.rect);
        }
    }
    return draws;
}

void expectSame(const MiniHtmlRenderOutput& a, const MiniHtmlRenderOutput& b, const std::string& where) {
    EXPECT_EQ(a.Result, b.Result) << where;
    EXPECT_EQ(a.AnchorHref, b.AnchorHref) << where;
    EXPECT_EQ(a.AnchorIndex, b.AnchorIndex) << where;
    EXPECT_EQ(a.AnchorRect, b.AnchorRect) << where;
    EXPECT_EQ(a.AnchorCount, b.AnchorCount) << where;
    EXPECT_EQ(a.XSize, b.XSize) << where;
    EXPECT_EQ(a.YSize, b.YSize) << where;
}

std::string mixedList() {
    std::string text;
    for (int i = 1; i <= 30; ++i) {
        // Every third name wraps in the 120-pixel width; some lines are plain text or empty.
        const std::string name =
            i % 3 == 0 ? "a rather long note name " + std::to_string(i) : "n" + std::to_string(i);
        text += i % 7 == 0 ? std::string("plain words here<BR>") : i % 11 == 0 ? std::string("<br>") : "";
        text += "<a href=\"" + std::to_string(i) + "\">" + name + "</a> tail<br>";
    }
    return text + "last line without a break";
}

TEST(MiniHtmlLineIndex, SplitsOnlyTextsWhoseLinesCarryNothingOver) {
    EXPECT_EQ(pinlet::SplitIndependentLines("a<br>b<BR>"), (std::vector<std::size_t>{0, 5, 10}));
    EXPECT_TRUE(pinlet::SplitIndependentLines("<font color=\"red\">a</font><br>b").empty()); // a font change
    EXPECT_TRUE(pinlet::SplitIndependentLines("<a href=\"1\">a<br>b</a>").empty()); // a link across lines
    EXPECT_TRUE(pinlet::SplitIndependentLines("a<br>b<").empty());                  // an unfinished tag
    EXPECT_TRUE(pinlet::SplitIndependentLines("").empty());
}

TEST(MiniHtmlLineIndex, RendersExactlyAsTheWholeTextAtEveryOffset) {
    for (const std::string& text :
         {mixedList(), std::string("<font color=\"red\">not</font> split<br>") + mixedList()}) {
        RecordingCanvas canvas;
        MiniHtmlLineIndex index;
        MiniHtmlRenderInput in;
        in.Canvas = &canvas;
        in.Text = text;
        in.Rect = {0, 0, 120, 100};
        index.update(in);
        MiniHtmlRenderInput measure = in;
        measure.MeasureOnly = measure.CheckOnly = true;
        const MiniHtmlRenderOutput whole = MiniHtmlRender(measure);
        EXPECT_LE(index.height(), whole.YSize); // lines not measured yet count one line each
        index.measureMore(in, 1000);
        EXPECT_EQ(index.height(), whole.YSize);
        EXPECT_EQ(index.width(), whole.XSize);
        EXPECT_EQ(index.split(), text == mixedList());

        for (int offset = 0; offset < index.height(); offset += 29) {
            MiniHtmlRenderInput scrolled = in;
            scrolled.Rect.Top -= offset;
            scrolled.HoverLink = 20;
            scrolled.Hover = true;
            const std::string where = "offset " + std::to_string(offset);
            canvas.calls.clear();
            const MiniHtmlRenderOutput expected = MiniHtmlRender(scrolled);
            const auto expectedDraws = visibleDraws(canvas, 0);
            canvas.calls.clear();
            expectSame(index.render(scrolled, 0), expected, where);
            EXPECT_EQ(visibleDraws(canvas, 0), expectedDraws) << where;

            for (const int y : {1, 50, 99}) {
                scrolled.CheckOnly = true;
                scrolled.X = 10;
                scrolled.Y = y;
                expectSame(index.render(scrolled, 0), MiniHtmlRender(scrolled),
                           where + " y " + std::to_string(y));
                scrolled.CheckOnly = false;
            }
        }
    }
}

} // namespace
