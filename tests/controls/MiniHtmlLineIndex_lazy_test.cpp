// Lines laid out only as they are reached must give what the whole text laid out at once gives, for every
// shape of list, wherever it is first shown, and after the text, width or font changed under it.
#include "controls/MiniHtmlLineIndex.h"
#include "support/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

using pinlet::MiniHtmlLineIndex;

constexpr int kView = 100;
constexpr std::size_t kAll = std::numeric_limits<std::size_t>::max();

std::string link(int id, const std::string& name) {
    return "<a href=\"" + std::to_string(id) + "\">" + name + "</a><br>";
}

// n links; wrap(i) gives the name of link i.
template <typename Name> std::string list(int n, Name name) {
    std::string text;
    for (int i = 1; i <= n; ++i) {
        text += link(i, name(i));
    }
    return text;
}

std::string shortName(int i) {
    return "n" + std::to_string(i);
}

// Every fourth name wraps once or twice in 120 pixels.
std::string someWrap(int i) {
    return i % 4 == 0 ? "a rather long note name that wraps " + std::to_string(i) : shortName(i);
}

struct Shape {
    const char* what;
    std::string text;
};

std::vector<Shape> shapes() {
    return {
        {"one-line names", list(40, shortName)},
        {"names that wrap", list(40, someWrap)},
        {"a word wider than the line",
         list(12, shortName) + link(13, std::string(30, 'w')) + list(12, someWrap)},
        {"empty lines and plain text", "<br><br>plain words in between<br>" + list(20, someWrap) + "<br>"},
        {"no break after the last name", list(20, shortName) + "<a href=\"x\">last</a>"},
        {"shorter than the view", list(3, someWrap)},
        {"not split: a font change", "<font color=\"red\">red</font><br>" + list(20, someWrap)},
        {"styled names",
         list(20,
              [](int i) { return i % 3 == 0 ? "<b>bold</b> <I>" + someWrap(i) + "</i>" : shortName(i); })},
        {"a style across lines, one closed unopened",
         list(6, shortName) + "<u>under<br>" + list(6, someWrap) + "</U><br></b>" + list(6, shortName)},
    };
}

MiniHtmlRenderInput layoutInput(RecordingCanvas& canvas, const std::string& text, int width) {
    MiniHtmlRenderInput in;
    in.Canvas = &canvas;
    in.Text = text;
    in.Rect = {0, 0, width, kView};
    return in;
}

MiniHtmlRenderOutput wholeMeasure(const MiniHtmlRenderInput& in) {
    MiniHtmlRenderInput measure = in;
    measure.MeasureOnly = measure.CheckOnly = true;
    return MiniHtmlRender(measure);
}

std::vector<std::pair<std::string, MiniHtmlRect>> visibleDraws(const RecordingCanvas& canvas) {
    std::vector<std::pair<std::string, MiniHtmlRect>> draws;
    for (const CanvasCall& call : canvas.drawn()) {
        if (call.rect.Bottom > 0) {
            draws.emplace_back(call.text, call.rect);
        }
    }
    return draws;
}

// Paint and hit tests at offset through index, against the engine over the whole text.
void expectAsWhole(MiniHtmlLineIndex& index, RecordingCanvas& canvas, MiniHtmlRenderInput in, int offset,
                   const std::string& where) {
    in.Rect.Top -= offset;
    in.Rect.Bottom = kView;
    canvas.calls.clear();
    const MiniHtmlRenderOutput expected = MiniHtmlRender(in);
    const auto expectedDraws = visibleDraws(canvas);
    canvas.calls.clear();
    index.update(in);
    const MiniHtmlRenderOutput got = index.render(in, 0);
    EXPECT_EQ(visibleDraws(canvas), expectedDraws) << where;
    EXPECT_EQ(got.YSize, expected.YSize) << where;
    EXPECT_EQ(got.XSize, expected.XSize) << where;
    EXPECT_EQ(got.AnchorCount, expected.AnchorCount) << where;
    in.CheckOnly = true;
    for (const int y : {1, 40, 99}) {
        in.X = 10;
        in.Y = y;
        const MiniHtmlRenderOutput hitWhole = MiniHtmlRender(in);
        const MiniHtmlRenderOutput hit = index.render(in, 0);
        EXPECT_EQ(hit.Result, hitWhole.Result) << where << " y " << y;
        EXPECT_EQ(hit.AnchorHref, hitWhole.AnchorHref) << where << " y " << y;
        EXPECT_EQ(hit.AnchorIndex, hitWhole.AnchorIndex) << where << " y " << y;
        EXPECT_EQ(hit.AnchorRect, hitWhole.AnchorRect) << where << " y " << y;
    }
}

// The offsets a user reaches first: the top, places in between, and the very end.
std::vector<int> offsets(int height) {
    std::vector<int> result;
    for (int offset = 0; offset < height - kView; offset += 37) {
        result.push_back(offset);
    }
    result.push_back(std::max(0, height - kView));
    return result;
}

TEST(MiniHtmlLineIndexLazy, StyleTagsSplitOnlyWhereEveryStyleIsOffAgain) {
    using pinlet::SplitIndependentLines;
    using Starts = std::vector<std::size_t>;
    EXPECT_EQ(SplitIndependentLines("<b>a</b><br>b"), (Starts{0, 12, 13}));
    EXPECT_EQ(SplitIndependentLines("<i>a<br>b</I><br>c"), (Starts{0, 17, 18})); // italic across a break
    EXPECT_EQ(SplitIndependentLines("</s>a<br>b"), (Starts{0, 9, 10}));          // a close without an open
    EXPECT_TRUE(SplitIndependentLines("<b>a</b><br>b", fsBold).empty());         // the base font is bold
    EXPECT_TRUE(SplitIndependentLines("<sub>a</sub><br>b").empty());
}

TEST(MiniHtmlLineIndexLazy, FirstShownAnywhereItIsTheWholeLayout) {
    for (const Shape& shape : shapes()) {
        RecordingCanvas canvas;
        const MiniHtmlRenderInput in = layoutInput(canvas, shape.text, 120);
        const MiniHtmlRenderOutput whole = wholeMeasure(in);
        for (const int offset : offsets(whole.YSize)) {
            MiniHtmlLineIndex index; // nothing measured before this view
            index.update(in);
            EXPECT_LE(index.height(), whole.YSize) << shape.what;
            expectAsWhole(index, canvas, in, offset,
                          std::string(shape.what) + " at " + std::to_string(offset));
            if (offset == std::max(0, whole.YSize - kView)) {
                // Showing the end measured everything above it: the range is exact.
                EXPECT_TRUE(index.complete()) << shape.what;
                EXPECT_EQ(index.height(), whole.YSize) << shape.what;
                EXPECT_EQ(index.width(), whole.XSize) << shape.what;
            }
        }
    }
}

TEST(MiniHtmlLineIndexLazy, AChangedTextWidthOrFontIsLaidOutAsTheWholeNewOne) {
    const std::string base = list(30, someWrap);
    struct Change {
        const char* what;
        std::string text;
        int width;
        int pixelHeight;
    };
    const std::vector<Change> changes = {
        {"a name in the middle renamed to wrap",
         list(14, someWrap) + link(15, "now a long name that wraps") +
             list(30, someWrap).substr(list(15, someWrap).size()),
         120, 0},
        {"a note added at the end", base + link(31, "new"), 120, 0},
        {"the first note removed", base.substr(link(1, someWrap(1)).size()), 120, 0},
        {"the same text, every name shorter", list(30, shortName), 120, 0},
        {"narrower", base, 90, 0},
        {"wider", base, 200, 0},
        {"a larger font", base, 120, 20},
    };
    for (const Change& change : changes) {
        RecordingCanvas canvas;
        MiniHtmlLineIndex index;
        index.update(layoutInput(canvas, base, 120));
        index.measureMore(layoutInput(canvas, base, 120), kAll);
        if (change.pixelHeight != 0) {
            CanvasFont font = canvas.font();
            font.PixelHeight = change.pixelHeight;
            canvas.setFont(font);
        }
        const MiniHtmlRenderInput in = layoutInput(canvas, change.text, change.width);
        const MiniHtmlRenderOutput whole = wholeMeasure(in);
        for (const int offset : offsets(whole.YSize)) {
            expectAsWhole(index, canvas, in, offset,
                          std::string(change.what) + " at " + std::to_string(offset));
        }
        index.measureMore(in, kAll);
        EXPECT_EQ(index.height(), whole.YSize) << change.what;
        EXPECT_EQ(index.width(), whole.XSize) << change.what;
    }
}

} // namespace
