// Layout and hit-testing of MiniHtmlRender, through a canvas with fixed metrics: every character 7 px
// wide, a space 4, a text cell (and "gh") 16 high. The layout rectangle starts at x = 0, so the first
// line's left edge L is 1.
#include "RenderHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include <string>
#include <vector>

namespace {

using Op = CanvasCall::Op;

struct Layout : RenderHarness {
    using RenderHarness::RenderHarness;
    MiniHtmlRenderOutput hit(const std::string& text, int x, int y) {
        in.CheckOnly = true;
        in.X = x;
        in.Y = y;
        return run(text);
    }
    // Drawn texts with the left and bottom edges of their boxes.
    struct Placed {
        std::string text;
        int left;
        int bottom;
        bool operator==(const Placed&) const = default;
    };
    std::vector<Placed> placed() const {
        std::vector<Placed> result;
        for (const CanvasCall& call : canvas.drawn()) {
            result.push_back({call.text, call.rect.Left, call.rect.Bottom});
        }
        return result;
    }
};

std::ostream& operator<<(std::ostream& os, const Layout::Placed& p) {
    return os << "{\"" << p.text << "\", " << p.left << ", " << p.bottom << "}";
}

std::string links(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += "<a href=\"" + std::to_string(i) + "\">note " + std::to_string(i) + "</a><br>";
    }
    return text;
}

TEST(RenderLayout, EmptyTextIsOneGhHighAndDrawsNothing) {
    Layout layout;
    const MiniHtmlRenderOutput out = layout.run("");
    EXPECT_EQ(out.YSize, 16);
    EXPECT_EQ(out.XSize, 0);
    EXPECT_EQ(out.AnchorCount, 0);
    EXPECT_TRUE(layout.canvas.drawn().empty());
}

TEST(RenderLayout, CanvasFontAndBrushAreGivenBack) {
    Layout layout;
    layout.canvas.setBrush(0x123456);
    const CanvasFont before = layout.canvas.font();
    layout.run("<b><font size=\"5\" color=\"#ff0000\">x</font></b><r a=\"90\">y");
    EXPECT_EQ(layout.canvas.brushColor(), 0x123456u);
    EXPECT_EQ(layout.canvas.font(), before);
}

TEST(RenderLayout, BottomLimitStopsDrawingButNotMeasuring) {
    Layout layout;
    // Lines are 16 high: the seventh would start at 96, and 96 + 16 passes the bottom at 100.
    MiniHtmlRenderOutput out = layout.run(links(30));
    EXPECT_EQ(layout.canvas.drawn().size(), 12u); // "note " and "N" per line
    EXPECT_EQ(layout.canvas.drawn().back().rect.Bottom, 96);
    EXPECT_EQ(out.YSize, 96);
    EXPECT_EQ(out.AnchorCount, 6);

    layout.in.CheckOnly = true;
    out = layout.run(links(30));
    EXPECT_EQ(out.YSize, 96);

    layout.in.MeasureOnly = true;
    out = layout.run(links(30));
    EXPECT_EQ(out.YSize, 30 * 16);
    EXPECT_EQ(out.AnchorCount, 30);
    EXPECT_TRUE(layout.canvas.drawn().empty());
}

TEST(RenderLayout, FirstLineIsLaidOutEvenWhenTooLow) {
    Layout layout({0, 0, 200, 5});
    const MiniHtmlRenderOutput out = layout.run("one<br>two");
    EXPECT_EQ(layout.canvas.drawnTexts(), std::vector<std::string>{"one"});
    EXPECT_EQ(out.YSize, 16);
}

TEST(RenderLayout, WordWrap) {
    struct Row {
        const char* comment;
        int width; // layout rectangle width; lines are one pixel narrower
        const char* text;
        std::vector<Layout::Placed> expected;
    };
    // clang-format off
    const std::vector<Row> rows = {
        {"words fill a line, the next word wraps", 60, "aaa bbb ccc",
         {{"aaa ", 1, 16}, {"bbb ", 26, 16}, {"ccc", 1, 32}}},
        {"a trailing space must fit as well: 'aaa bbb ' is 50 wide, the line 49", 50, "aaa bbb ccc",
         {{"aaa ", 1, 16}, {"bbb ", 1, 32}, {"ccc", 26, 32}}},
        {"a word longer than the line stands alone, the words before stay above", 60, "ab cd abcdefghijk ef",
         {{"ab ", 1, 16}, {"cd ", 19, 16}, {"abcdefghijk ", 1, 32}, {"ef", 1, 48}}},
        {"a word split by <B> whose first piece does not fit moves whole", 40, "aa bbb<b>cc</b>d",
         {{"aa ", 1, 16}, {"bbb", 1, 32}, {"cc", 22, 32}, {"d", 36, 32}}},
        {"the line never breaks between pieces of one word", 40, "aa b<b>cc</b>dd",
         {{"aa ", 1, 16}, {"b", 19, 16}, {"cc", 26, 16}, {"dd", 40, 16}}},
        {"several spaces are several runs and are drawn", 200, "a  b",
         {{"a ", 1, 16}, {" ", 12, 16}, {"b", 16, 16}}},
    };
    // clang-format on
    for (const Row& row : rows) {
        Layout layout({0, 0, row.width, 100});
        layout.run(row.text);
        EXPECT_EQ(layout.placed(), row.expected) << row.comment;
    }
}

TEST(RenderLayout, XSizeLeavesOutTheTrailingSpace) {
    Layout layout;
    EXPECT_EQ(layout.run("ab cd ").XSize, 32);
    // An entity space is text, not a trailing space.
    EXPECT_EQ(layout.run("ab&nbsp;").XSize, 18);
    layout.in.MeasureOnly = true;
    EXPECT_EQ(layout.run("abc<br>abcdefg ").XSize, 49);
}

TEST(RenderLayout, WithoutWordWrapTheFirstOverflowingRunEndsTheText) {
    Layout layout({0, 0, 41, 100});
    layout.in.WordWrap = false;
    const MiniHtmlRenderOutput out = layout.run("aaa <b>bbbb</b>cccc<br>dd");
    EXPECT_EQ(layout.canvas.drawnTexts(), (std::vector<std::string>{"aaa ", "bbbb"}));
    for (const CanvasCall& call : layout.canvas.drawn()) {
        EXPECT_NE(call.flags & dtEndEllipsis, 0u);
        EXPECT_EQ(call.rect.Right, 41);
    }
    EXPECT_EQ(out.YSize, 16);

    // Without wrapping a space does not cut runs, and an overflowing first run lets the line go on.
    layout.run("aaaaaaaaa b<br>c");
    EXPECT_EQ(layout.canvas.drawnTexts(), (std::vector<std::string>{"aaaaaaaaa b", "c"}));
    // Pieces of one word that a tag splits are never parted, wrapping or not.
    layout.run("aaaa<b>bbbb</b>cccc<br>dd");
    EXPECT_EQ(layout.canvas.drawnTexts(), (std::vector<std::string>{"aaaa", "bbbb", "cccc", "dd"}));
}

TEST(RenderLayout, SubscriptAndSuperscriptAllowances) {
    Layout layout;
    // A subscript run of height 16 adds 4 below the text bottom; the next line moves down by as much.
    MiniHtmlRenderOutput out = layout.run("a<sub>b</sub><br>c");
    EXPECT_EQ(layout.placed(), (std::vector<Layout::Placed>{{"a", 1, 16}, {"b", 8, 20}, {"c", 1, 36}}));
    EXPECT_EQ(out.YSize, 36);

    // A superscript run raises the text bottom of the line by 4 and stands 4 above it.
    out = layout.run("a<sup>b</sup><br>c");
    EXPECT_EQ(layout.placed(), (std::vector<Layout::Placed>{{"a", 1, 20}, {"b", 8, 16}, {"c", 1, 36}}));
    EXPECT_EQ(out.YSize, 36);

    // Both flags end at the start of a line.
    layout.run("<sub>a<br>b");
    EXPECT_EQ(layout.placed(), (std::vector<Layout::Placed>{{"a", 1, 20}, {"b", 1, 36}}));

    // A bigger font raises the line; the allowance is a quarter of the tallest such run.
    out = layout.run("<font size=\"5\"><sub>x</sub></font>");
    EXPECT_EQ(out.YSize, 21 + 5);
}

TEST(RenderLayout, ListItemsAndBullets) {
    Layout layout;
    layout.run("<ul><li>aa<li>bb<ul><li>cc</ul></ul>dd");
    struct Bullet {
        std::string text;
        std::string face;
        int left;
        int top;
    };
    std::vector<Bullet> bullets;
    std::vector<Layout::Placed> texts;
    for (const CanvasCall& call : layout.canvas.drawn()) {
        if (call.font.Face == "Symbol") {
            bullets.push_back({call.text, call.font.Face, call.rect.Left, call.rect.Top});
        } else {
            texts.push_back({call.text, call.rect.Left, call.rect.Bottom});
        }
    }
    // <UL> ends its line, </UL> does not; a second <LI> on a line starts the next one.
    ASSERT_EQ(bullets.size(), 3u);
    EXPECT_EQ(bullets[0].text, "\xE2\x80\xA2"); // level 1: a filled bullet at the line's left edge
    EXPECT_EQ(bullets[0].left, 1);
    EXPECT_EQ(bullets[0].top, 16);
    EXPECT_EQ(bullets[1].top, 32);
    EXPECT_EQ(bullets[2].text, "o"); // level 2: a ring, one cell further in
    EXPECT_EQ(bullets[2].left, 13);
    EXPECT_EQ(texts,
              (std::vector<Layout::Placed>{{"aa", 13, 32}, {"bb", 13, 48}, {"cc", 25, 64}, {"dd", 39, 64}}));
}

TEST(RenderLayout, ParagraphAlignmentAndIndent) {
    Layout layout({0, 0, 101, 100}); // running width 100
    // Right: every word of the line is drawn, the last one flush with the right edge.
    layout.run("<p align=\"right\">aa bb</p>cc");
    EXPECT_EQ(layout.placed(),
              (std::vector<Layout::Placed>{{"aa ", 69, 16}, {"bb", 87, 16}, {"cc", 87, 32}}));

    // Centre holds for later lines too, until another ALIGN.
    layout.run("<p align=\"center\">aaaa</p>bb<br><p align=\"left\">cc");
    EXPECT_EQ(layout.placed(),
              (std::vector<Layout::Placed>{{"aaaa", 1 + 36, 16}, {"bb", 1 + 43, 32}, {"cc", 1, 48}}));

    // The indent moves this and later lines and narrows the width they wrap in.
    layout.run("<p indent=\"60\">aaa bbb ccc</p>dd");
    EXPECT_EQ(layout.placed(), (std::vector<Layout::Placed>{
                                   {"aaa ", 61, 16}, {"bbb ", 61, 32}, {"ccc", 61, 48}, {"dd", 61, 64}}));
}

TEST(RenderLayout, IndentTagMovesThePen) {
    Layout layout;
    layout.run("ab<ind x=\"50\">cd<ind x=\"10\">ef");
    EXPECT_EQ(layout.placed(), (std::vector<Layout::Placed>{{"ab", 1, 16}, {"cd", 51, 16}, {"ef", 65, 16}}));
}

TEST(RenderLayout, HiddenRunsTakeNoSpace) {
    Layout layout;
    const MiniHtmlRenderOutput out = layout.run("a<z>secret</z>b");
    EXPECT_EQ(layout.placed(), (std::vector<Layout::Placed>{{"a", 1, 16}, {"b", 8, 16}}));
    EXPECT_EQ(out.XSize, 14);
}

TEST(RenderLayout, UnclosedTagAndDanglingLessThanEndTheText) {
    Layout layout;
    layout.run("ab<b");
    EXPECT_EQ(layout.canvas.drawnTexts(), std::vector<std::string>{"ab"});
    layout.run("ab<br");
    EXPECT_EQ(layout.canvas.drawnTexts(), std::vector<std::string>{"ab"});
    layout.run("ab<");
    EXPECT_EQ(layout.canvas.drawnTexts(), std::vector<std::string>{"ab"});
    const MiniHtmlRenderOutput out = layout.run("<<<<<<");
    EXPECT_TRUE(layout.canvas.drawn().empty());
    EXPECT_EQ(out.YSize, 16);
}

TEST(RenderLayout, ImagesFromTheContainerTakeTheirSpace) {
    struct Picture : MiniHtmlPicture {
        bool empty() const override { return false; }
        int width() const override { return 20; }
        int height() const override { return 30; }
    } picture;
    struct Container : MiniHtmlPictureContainer {
        const MiniHtmlPicture* p = nullptr;
        const MiniHtmlPicture* findPicture(std::string_view name) const override {
            return name == "pic" ? p : nullptr;
        }
    } container;
    container.p = &picture;
    Layout layout;
    layout.in.PictureContainer = &container;
    MiniHtmlRenderOutput out = layout.run("a<img src=\"pic\">b<img src=\"none\">c");
    const auto pictures = layout.canvas.of(Op::Picture);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].rect, (MiniHtmlRect{8, 0, 28, 30}));
    // The line is as high as the image; text sits on its bottom; a missing picture takes no space.
    EXPECT_EQ(layout.placed(), (std::vector<Layout::Placed>{{"a", 1, 30}, {"b", 28, 30}, {"c", 35, 30}}));
    EXPECT_EQ(out.YSize, 30);

    // WIDTH and HEIGHT stretch it; ALIGN "middle" raises the text by half the difference.
    out = layout.run("<img src=\"pic\" width=\"10\" height=\"40\" align=\"middle\">b");
    EXPECT_EQ(layout.canvas.of(Op::Picture)[0].rect, (MiniHtmlRect{1, 0, 11, 40}));
    EXPECT_EQ(layout.placed(), (std::vector<Layout::Placed>{{"b", 11, 40 - 12}}));

    // An image inside a link is hit strictly inside it, without a rectangle.
    out = layout.hit("<a href=\"img\"><img src=\"pic\"></a>", 10, 15);
    EXPECT_TRUE(out.Result);
    EXPECT_EQ(out.AnchorHref, "img");
    EXPECT_EQ(out.AnchorRect, (MiniHtmlRect{-1, -1, -1, -1}));
    EXPECT_FALSE(layout.hit("<a href=\"img\"><img src=\"pic\"></a>", 21, 15).Result);
}

TEST(RenderLayout, APictureThatFailsToLoadDrawsNothing) {
    // Like the real cache, it keeps the failed entry, empty, so that later passes do not load again.
    struct Cache : MiniHtmlPictureCache {
        struct Empty : MiniHtmlPicture {
            bool empty() const override { return true; }
            int width() const override { return 0; }
            int height() const override { return 0; }
        } none;
        std::vector<std::string> urls;
        int adds = 0;
        const MiniHtmlPicture* findPicture(std::string_view url) const override {
            return std::find(urls.begin(), urls.end(), url) != urls.end() ? &none : nullptr;
        }
        void addPicture(const std::string& url) override {
            ++adds;
            urls.push_back(url);
            throw std::runtime_error("Could not load image. Invalid format");
        }
    } cache;
    Layout layout;
    layout.in.PictureCache = &cache;
    MiniHtmlRenderOutput out;
    EXPECT_NO_THROW(
        out = layout.run("a<img src=\"file:///nowhere.png\">b<body background=\"http://x/y.png\">"));
    EXPECT_EQ(cache.adds, 2);
    EXPECT_TRUE(layout.canvas.of(Op::Picture).empty());
    EXPECT_EQ(layout.placed(), (std::vector<Layout::Placed>{{"a", 1, 16}, {"b", 8, 16}}));
}

TEST(RenderLayout, SystemIconsAndImageListScaleWithTheDevice) {
    Layout layout;
    layout.canvas.ppiX = 192;
    layout.canvas.ppiY = 192;
    layout.run("<img src=\"ssys:/tmp\">a<img src=\"LSYS:3\">b");
    const auto icons = layout.canvas.of(Op::SystemIcon);
    ASSERT_EQ(icons.size(), 2u);
    EXPECT_EQ(icons[0].text, "/tmp");
    EXPECT_EQ(icons[1].rect.Left, 1 + 32 + 7);
    EXPECT_EQ(layout.placed(), (std::vector<Layout::Placed>{{"a", 33, 64}, {"b", 1 + 32 + 7 + 64, 64}}));
}

} // namespace
