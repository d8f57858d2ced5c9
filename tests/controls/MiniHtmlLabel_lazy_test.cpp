// A scrolling label lays its lines out as they come into view and the rest while idle. Whatever happens
// first (a scroll to the end right after the text, a resize, a font change, the idle measuring), the range
// and the lines shown are those of the whole text laid out at once.
#include "controls/MiniHtmlLabel.h"
#include "support/FixedCanvasMaker.h"

#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

constexpr int kBar = 8;

// 60 names; every fifth wraps in a 192-pixel label and every seventh twice in a 120-pixel one.
std::string wrappingList() {
    std::string text;
    for (int i = 1; i <= 60; ++i) {
        const std::string name = i % 5 == 0   ? "a name long enough to wrap " + std::to_string(i)
                                 : i % 7 == 0 ? "a name that wraps twice when narrow " + std::to_string(i)
                                              : "name " + std::to_string(i);
        text += "<a href=\"" + std::to_string(i) + "\">" + name + "</a><br>";
    }
    return text;
}

// The whole text's height, laid out at once as the label lays it out beside its bar.
int wholeHeight(const std::string& text, int labelWidth, int pixelHeight) {
    RecordingCanvas canvas;
    CanvasFont font = canvas.font();
    font.PixelHeight = pixelHeight;
    canvas.setFont(font);
    MiniHtmlRenderInput in;
    in.Canvas = &canvas;
    in.Text = text;
    in.Rect = {0, 0, labelWidth - kBar, 1 << 20};
    in.MeasureOnly = in.CheckOnly = true;
    return MiniHtmlRender(in).YSize;
}

TEST(LabelLazyLayout, RangeAndEndAreThoseOfTheWholeText) {
    struct Case {
        const char* what;
        std::function<void(TMiniHtmlLabel&)> act; // after the text is set and before the checks
        int width;
        int pixelHeight;
        bool toEnd; // a scroll to the end follows
    };
    const Case cases[] = {
        {"a scroll to the end right after the text", [](TMiniHtmlLabel&) {}, 200, 16, true},
        {"the idle measuring alone", [](TMiniHtmlLabel&) {}, 200, 16, false},
        {"a resize, then the end", [](TMiniHtmlLabel& l) { l.resize(120, 100); }, 120, 16, true},
        {"scrolled, then narrower", [](TMiniHtmlLabel& l) { l.setScrollOffset(300), l.resize(120, 100); },
         120, 16, false},
        {"a font change, then the end",
         [](TMiniHtmlLabel& l) {
             QFont font = l.font();
             font.setPixelSize(20);
             l.setFont(font);
         },
         200, 20, true},
    };
    for (const Case& c : cases) {
        FixedCanvasMaker fixed;
        TMiniHtmlLabel label;
        QFont font;
        font.setPixelSize(16);
        label.setFont(font);
        label.resize(200, 100);
        label.setScrolling(true);
        label.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&label));
        label.setHTMLText(wrappingList());
        c.act(label);
        const int exact = wholeHeight(wrappingList(), c.width, c.pixelHeight) - 100;
        if (c.toEnd) {
            label.setScrollOffset(1 << 30);
            EXPECT_EQ(label.scrollOffset(), exact) << c.what;
            label.repaint();
            const auto drawn = fixed.lastPaint().drawn();
            ASSERT_FALSE(drawn.empty()) << c.what;
            EXPECT_EQ(drawn.back().text, "60") << c.what; // "name 60" ends the last line, at the bottom
            EXPECT_EQ(drawn.back().rect.Bottom, 100) << c.what;
        } else {
            label.repaint();
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return label.scrollBar()->maximum() == exact; }, 5000))
            << c.what << ": " << label.scrollBar()->maximum() << " for " << exact;
    }
}

} // namespace
