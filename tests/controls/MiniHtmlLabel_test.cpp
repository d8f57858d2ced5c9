// The label on an offscreen widget, drawing and hit-testing through fixed metrics: every character 7
// pixels wide, a space 4, lines 16 pixels high; the engine starts text 1 pixel in from the left edge.
#include "controls/LinkOpener.h"
#include "controls/MiniHtmlLabel.h"
#include "support/FixedCanvasMaker.h"

#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string noteList(int from, int to) {
    std::string text;
    for (int i = from; i <= to; ++i) {
        text += "<a href=\"" + std::to_string(i) + "\">name " + std::to_string(i) + "</a><br>";
    }
    return text;
}

// What a paint drew, one string per line top, top to bottom.
std::vector<std::pair<int, std::string>> drawnLines(const RecordingCanvas& canvas) {
    std::vector<std::pair<int, std::string>> lines;
    for (const CanvasCall& call : canvas.drawn()) {
        if (lines.empty() || lines.back().first != call.rect.Top) {
            lines.emplace_back(call.rect.Top, "");
        }
        lines.back().second += call.text;
    }
    return lines;
}

class LabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        QFont font;
        font.setPixelSize(16);
        label.setFont(font);
        label.resize(200, 100);
        label.setOnAnchorClick([this](QObject* sender, const std::string& anchor) {
            EXPECT_EQ(sender, &label);
            clicks.push_back(anchor);
        });
        label.setOnAnchorEnter([this](QObject*, const std::string& anchor) { enters.push_back(anchor); });
        label.setOnAnchorExit([this](QObject*, const std::string& anchor) { exits.push_back(anchor); });
        label.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&label));
    }

    const RecordingCanvas& paint() {
        label.repaint();
        return fixed.lastPaint();
    }

    FixedCanvasMaker fixed;
    std::vector<std::string> opened;
    pinlet::LinkOpenerOverride seam{[this](const std::string& href) { opened.push_back(href); }};
    std::vector<std::string> clicks, enters, exits;
    TMiniHtmlLabel label;
};

TEST_F(LabelTest, LinesJoinWithoutSpaceAndBreakOnlyAtBr) {
    label.setHTMLText("abc\r\ndef");
    EXPECT_EQ(paint().drawnTexts(), std::vector<std::string>{"abcdef"});
    label.setHTMLText("abc<br>\r\ndef");
    const auto drawn = paint().drawn();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].text, "abc");
    EXPECT_EQ(drawn[1].text, "def");
    EXPECT_EQ(drawn[1].rect.Top, drawn[0].rect.Top + 16);
    EXPECT_EQ(label.Version(), "1.0.0.0");
}

TEST_F(LabelTest, AnyButtonReportsAtThePressAndOnlyAllowedAddressesOpen) {
    label.setHTMLText("<a href=\"12\">note</a><br><a href=\"cancel\">x</a>");
    QTest::mousePress(&label, Qt::RightButton, {}, QPoint(5, 8));
    EXPECT_EQ(clicks, std::vector<std::string>{"12"}); // before any release
    QTest::mouseRelease(&label, Qt::RightButton, {}, QPoint(5, 8));
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 24));
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(150, 8)); // no link there
    EXPECT_EQ(clicks, (std::vector<std::string>{"12", "cancel"}));

    clicks.clear();
    const std::vector<std::string> hrefs{
        "http://example.org/", "mailto:a@example.org",   "file:///etc/passwd",  "javascript://x",
        "smb://host/share",    "x-mailto:a@example.org", "MAILTO:a@example.org"};
    for (const std::string& href : hrefs) {
        label.setHTMLText("<a href=\"" + href + "\">link</a>");
        QTest::mousePress(&label, Qt::MiddleButton, {}, QPoint(5, 8));
    }
    EXPECT_EQ(opened, (std::vector<std::string>{"http://example.org/", "mailto:a@example.org"}));
    EXPECT_EQ(clicks, std::vector<std::string>{"MAILTO:a@example.org"});
}

TEST_F(LabelTest, EnterAndExitOncePerChangeWithTheHandCursorOverLinks) {
    // "plain " covers x 1..39, "one" 40..61, "two" 65..86.
    label.setHTMLText("plain <a href=\"1\">one</a> <a href=\"2\">two</a>");
    QTest::mouseMove(&label, QPoint(10, 8));
    EXPECT_TRUE(enters.empty());
    EXPECT_NE(label.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(&label, QPoint(45, 8));
    QTest::mouseMove(&label, QPoint(55, 8));
    EXPECT_EQ(enters, std::vector<std::string>{"1"});
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(&label, QPoint(70, 8));
    EXPECT_EQ(enters, (std::vector<std::string>{"1", "2"}));
    EXPECT_TRUE(exits.empty());
    QTest::mouseMove(&label, QPoint(150, 8));
    QTest::mouseMove(&label, QPoint(160, 8));
    EXPECT_EQ(exits, std::vector<std::string>{""});
    EXPECT_EQ(label.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(LabelTest, BottomAlignedTextIsHitWhereItIsDrawn) {
    label.setVAlignment(TVAlignment::tvaBottom);
    label.setHTMLText("<a href=\"b\">bottom</a>");
    const auto drawn = paint().drawn();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].rect.Top, 100 - 16);
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 8));
    EXPECT_TRUE(clicks.empty());
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 92));
    EXPECT_EQ(clicks, std::vector<std::string>{"b"});
}

TEST_F(LabelTest, FramesInsetTheTextAndLinksAreHitWhereDrawnInside) {
    label.setBevelOuter(TBevelCut::bvLowered);
    label.setBevelWidth(2);
    label.setBorderWidth(3); // without a single border the border area does not move the text
    label.setHTMLText("<a href=\"in\">inside</a>");
    const RecordingCanvas& canvas = paint();
    EXPECT_EQ(canvas.of(CanvasCall::Op::Line).size(), 4u * (2 + 3));
    ASSERT_EQ(canvas.drawn().size(), 1u);
    EXPECT_EQ(canvas.drawn()[0].rect.Left, 3);
    EXPECT_EQ(canvas.drawn()[0].rect.Top, 2);
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(4, 3));
    EXPECT_EQ(clicks, std::vector<std::string>{"in"});
}

TEST_F(LabelTest, HintsShowTheLinkOrTheWholeText) {
    label.setHTMLText("see <a href=\"a<b\">link</a><br>two");
    auto hintAt = [&](QPoint point) {
        QHelpEvent help(QEvent::ToolTip, point, label.mapToGlobal(point));
        QApplication::sendEvent(&label, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    label.setAnchorHint(true);
    label.setOnAnchorHint([](QObject*, std::string& anchor) { anchor += "!"; });
    EXPECT_TRUE(hintAt(QPoint(40, 8)).contains(QStringLiteral("a&lt;b!"))); // shown as written, not as markup
    label.setHintShowFull(true);
    EXPECT_TRUE(hintAt(QPoint(5, 24)).contains(QStringLiteral("see link\ntwo")));
    label.setHTMLHint(true);
    EXPECT_EQ(hintAt(QPoint(5, 24)), QString::fromStdString(label.HTMLText()));
}

TEST_F(LabelTest, AutoSizingBothWaysAddsSixPixels) {
    QFont font;
    font.setPixelSize(19);
    label.setFont(font);
    label.setHTMLText("aaaa aaaa aa a a"); // 12 letters and 4 spaces: 100 pixels
    label.setAutoSizeType(TAutoSizeType::asBoth);
    label.setAutoSizing(true);
    label.repaint();
    EXPECT_TRUE(QTest::qWaitFor([&] { return label.size() == QSize(106, 25); }, 2000))
        << label.width() << "x" << label.height();
    EXPECT_EQ(label.textWidth(), 100);
    EXPECT_EQ(label.textHeight(), 19);
}

TEST_F(LabelTest, BlinkTextTakesTheBackgroundColour) {
    label.setColor(0x123456);
    label.setHTMLText("shown <blink>hidden</blink>");
    for (const CanvasCall& call : paint().drawn()) {
        if (call.text == "hidden") {
            EXPECT_EQ(call.font.Color, 0x123456u);
        } else {
            EXPECT_NE(call.font.Color, 0x123456u) << call.text;
        }
    }
}

TEST_F(LabelTest, WithoutScrollingALongListShowsOnlyWhatFits) {
    label.setHTMLText(noteList(1, 30));
    EXPECT_EQ(drawnLines(paint()).size(), 6u); // 6 lines of 16 in 100 pixels
    EXPECT_TRUE(label.scrollBar()->isHidden());
    label.setScrollOffset(50);
    EXPECT_EQ(label.scrollOffset(), 0);
}

TEST_F(LabelTest, ScrollingReachesEveryLineAndHitsWhatIsDrawn) {
    label.setScrolling(true);
    label.setHTMLText(noteList(1, 30)); // 480 pixels in a 100-pixel label
    EXPECT_FALSE(label.scrollBar()->isHidden());
    EXPECT_EQ(label.scrollBar()->maximum(), 380);

    QWheelEvent down(QPointF(5, 8), label.mapToGlobal(QPointF(5, 8)), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&label, &down);
    EXPECT_EQ(label.scrollOffset(), 48); // three lines
    for (int i = 0; i < 5; ++i) {        // a touchpad: a notch in small deltas
        QWheelEvent glide(QPointF(5, 8), label.mapToGlobal(QPointF(5, 8)), QPoint(), QPoint(0, -24),
                          Qt::NoButton, Qt::NoModifier, Qt::ScrollUpdate, false);
        QApplication::sendEvent(&label, &glide);
    }
    EXPECT_EQ(label.scrollOffset(), 96);

    label.setScrollOffset(160); // ten lines down
    const auto lines = drawnLines(paint());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), std::make_pair(0, std::string("name 11")));
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 8));
    enters.clear();
    QTest::mouseMove(&label, QPoint(5, 40));
    EXPECT_EQ(clicks, std::vector<std::string>{"11"});
    EXPECT_EQ(enters, std::vector<std::string>{"13"});
    EXPECT_EQ(label.hoverLink(), 13);

    label.setScrollOffset(10000);
    EXPECT_EQ(label.scrollOffset(), 380);
    EXPECT_EQ(drawnLines(paint()).back(), std::make_pair(100 - 16, std::string("name 30")));

    // The list is rebuilt while the user reads it: the offset stays while it fits.
    label.setScrollOffset(160);
    label.setHTMLText(noteList(1, 40));
    EXPECT_EQ(label.scrollOffset(), 160);
    label.setHTMLText(noteList(1, 12)); // 192 pixels: at most 92 down
    EXPECT_EQ(label.scrollOffset(), 92);
    label.setHTMLText(noteList(1, 3));
    EXPECT_EQ(label.scrollOffset(), 0);
    EXPECT_TRUE(label.scrollBar()->isHidden());
}

TEST_F(LabelTest, TheScrollBarTakesItsWidthFromTheText) {
    label.setScrolling(true);
    const std::string words = "aaaa aaaa aaaa aaaa aaaa aaaa"; // 28 characters wide: wraps near the edge
    label.setHTMLText(words);
    const int narrow = label.scrollBar()->isHidden() ? 0 : label.scrollBar()->width();
    EXPECT_EQ(narrow, 0);
    label.setHTMLText(noteList(1, 30));
    const QRect bar = label.scrollBar()->geometry();
    EXPECT_EQ(bar.right(), label.width() - 1);
    for (const CanvasCall& call : paint().drawn()) {
        EXPECT_LE(call.rect.Left, bar.left());
        EXPECT_LE(call.rect.Right, bar.left()) << call.text;
    }
}

} // namespace
