// The static text strip (the banner) on an offscreen widget, through fixed metrics: 7-pixel characters,
// 16-pixel lines, text starting 1 pixel in.
#include "controls/LinkOpener.h"
#include "controls/MiniHtmlStaticText.h"
#include "support/FixedCanvasMaker.h"

#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class StaticTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        QFont font;
        font.setPixelSize(16);
        text.setFont(font);
        text.resize(200, 40);
        text.setOnAnchorClick([this](QObject*, const std::string& anchor) { clicks.push_back(anchor); });
        text.setOnAnchorKeypress([this](QObject*, const std::string& anchor) { keys.push_back(anchor); });
        text.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&text));
    }

    const RecordingCanvas& paint() {
        text.repaint();
        return fixed.lastPaint();
    }

    FixedCanvasMaker fixed;
    std::vector<std::string> opened;
    pinlet::LinkOpenerOverride seam{[this](const std::string& href) { opened.push_back(href); }};
    std::vector<std::string> clicks, keys;
    TMiniHtmlStaticText text;
};

TEST_F(StaticTextTest, DefaultsAndTheBannerLook) {
    TMiniHtmlStaticText fresh;
    EXPECT_EQ(fresh.size(), QSize(100, 20));
    EXPECT_EQ(fresh.ShadowOffset(), 1);
    EXPECT_EQ(fresh.URLColor(), 0xFF0000u);
    EXPECT_FALSE(fresh.TabStop());
    EXPECT_FALSE(fresh.timerActive());
    EXPECT_EQ(fresh.Version(), "1.0.0.0");

    // A centred one-line text in a taller strip sits in the middle: (40 - 16) / 2.
    text.setVAlignment(TVAlignment::tvaCenter);
    text.setHTMLText("<p align=\"center\"><a href=\"http://example.org/\">site</a></p>");
    const auto drawn = paint().drawn();
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn[0].rect.Top, 12);
    QTest::mousePress(&text, Qt::RightButton, {}, QPoint(100, 20));
    EXPECT_EQ(opened, std::vector<std::string>{"http://example.org/"});
    EXPECT_TRUE(clicks.empty());
}

TEST_F(StaticTextTest, ReplacingTheTextUnderARestingPointerDropsTheHoverStyle) {
    text.setHover(true);
    text.setHTMLText("<a href=\"1\">first</a>");
    QTest::mouseMove(&text, QPoint(10, 8));
    EXPECT_EQ(text.hoverLink(), 1);
    auto underlined = [](const RecordingCanvas& canvas) {
        for (const CanvasCall& call : canvas.drawn()) {
            if ((call.font.Style & fsUnderline) != 0) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(underlined(paint()));
    text.setHTMLText("<a href=\"2\">second</a>");
    EXPECT_EQ(text.hoverLink(), -1);
    EXPECT_FALSE(underlined(paint()));
}

TEST_F(StaticTextTest, FocusWalkWithoutLinksAndWithTwo) {
    text.setTabStop(true);
    text.setHTMLText("no links here");
    text.setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return text.hasFocus(); }, 2000));
    paint();
    EXPECT_EQ(text.linkCount(), 0);
    EXPECT_EQ(text.focusLink(), 0);
    QTest::keyClick(&text, Qt::Key_Left);
    EXPECT_EQ(text.focusLink(), -1);
    QTest::keyClick(&text, Qt::Key_Down);
    EXPECT_EQ(text.focusLink(), 0);
    QTest::keyClick(&text, Qt::Key_Return);
    EXPECT_EQ(keys, std::vector<std::string>{""});

    keys.clear();
    text.setHTMLText(
        "<a href=\"one\">1</a> <a href=\"https://example.org/\">2</a> <a href=\"file:///x\">3</a>");
    EXPECT_EQ(text.focusLink(), -1);
    QTest::keyClick(&text, Qt::Key_Right);
    paint();
    EXPECT_EQ(text.focusAnchor(), "one");
    EXPECT_EQ(paint().of(CanvasCall::Op::FocusRect).size(), 1u);
    QTest::keyClick(&text, Qt::Key_Space);
    QTest::keyClick(&text, Qt::Key_Right);
    paint();
    QTest::keyClick(&text, Qt::Key_Enter);
    QTest::keyClick(&text, Qt::Key_Right);
    paint();
    QTest::keyClick(&text, Qt::Key_Enter); // neither opened nor reported
    QTest::keyClick(&text, Qt::Key_Right);
    EXPECT_EQ(text.focusLink(), 0); // past the last link back to the first
    QTest::keyClick(&text, Qt::Key_Up);
    EXPECT_EQ(text.focusLink(), 2);
    // Keys typed faster than the screen refreshes act on the link they walked to.
    QTest::keyClick(&text, Qt::Key_Left);
    QTest::keyClick(&text, Qt::Key_Return);
    EXPECT_EQ(keys, std::vector<std::string>{"one"});
    EXPECT_EQ(opened, std::vector<std::string>(2, "https://example.org/"));
}

TEST_F(StaticTextTest, DisabledTextIsEmbossed) {
    text.setHTMLText("word");
    text.setEnabled(false);
    const auto drawn = paint().drawn();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].font.Color, 0xFFFFFFu);
    EXPECT_EQ(drawn[1].font.Color, 0x808080u);
    EXPECT_EQ(drawn[0].rect.Left, drawn[1].rect.Left + 1);
    EXPECT_EQ(drawn[0].rect.Top, drawn[1].rect.Top + 1);
}

TEST_F(StaticTextTest, BlinkingTogglesWhileEnabledAndMiniScrollArrowsScroll) {
    text.setHTMLText("<blink>on and off</blink>");
    text.setEnableBlink(true);
    EXPECT_TRUE(text.timerActive());
    const bool phase = text.blinkPhase();
    EXPECT_TRUE(QTest::qWaitFor([&] { return text.blinkPhase() != phase; }, 2000));
    text.setEnableBlink(false);
    EXPECT_FALSE(text.timerActive());

    std::string lines;
    for (int i = 0; i < 10; ++i) {
        lines += "line<br>";
    }
    text.setVAlignment(TVAlignment::tvaCenter);
    text.setMiniScroll(true);
    EXPECT_EQ(text.VAlignment(), TVAlignment::tvaTop);
    text.setHTMLText(lines);
    paint();
    QTest::mousePress(&text, Qt::LeftButton, {}, QPoint(195, 5)); // no up arrow at offset 0
    EXPECT_EQ(text.scrollOffset(), 0);
    QTest::mousePress(&text, Qt::LeftButton, {}, QPoint(195, 35));
    QTest::mouseRelease(&text, Qt::LeftButton, {}, QPoint(195, 35));
    EXPECT_EQ(text.scrollOffset(), 4);
    paint();
    QTest::mousePress(&text, Qt::LeftButton, {}, QPoint(195, 5));
    QTest::mouseRelease(&text, Qt::LeftButton, {}, QPoint(195, 5));
    EXPECT_EQ(text.scrollOffset(), 0);
    text.setVAlignment(TVAlignment::tvaBottom);
    EXPECT_FALSE(text.MiniScroll());
}

TEST_F(StaticTextTest, AHandlerMayDestroyTheControlItWasRaisedBy) {
    // The handler runs while the control it belongs to, and so the handler itself, is destroyed: what it
    // captured and the href it was given must outlive that.
    std::vector<std::string> seen;
    const auto doomed = [&](const std::string& html) {
        auto* control = new TMiniHtmlStaticText(&text);
        control->setFont(text.font());
        control->resize(200, 40);
        control->setTabStop(true);
        control->setHTMLText(html);
        const std::string tail(64, '.'); // too long to live inside the handler object itself
        const TAnchorClick handler = [control, tail, &seen](QObject*, const std::string& anchor) {
            delete control;
            seen.push_back(anchor + tail);
        };
        control->setOnAnchorClick(handler);
        control->setOnAnchorKeypress(handler);
        control->show();
        return control;
    };
    QTest::mousePress(doomed("<a href=\"12\">note</a>"), Qt::LeftButton, {}, QPoint(5, 8));
    TMiniHtmlStaticText* keyed = doomed("<a href=\"34\">note</a>");
    keyed->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([keyed] { return keyed->hasFocus(); }, 2000));
    keyed->repaint();                      // the focused link's href comes from the last paint
    QTest::keyPress(keyed, Qt::Key_Space); // no release: the control is gone
    EXPECT_EQ(seen, (std::vector<std::string>{"12" + std::string(64, '.'), "34" + std::string(64, '.')}));
}

} // namespace
