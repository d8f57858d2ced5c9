// The static text's keyboard walk acts on the text as it is at the moment of the key, never on what the
// last paint happened to see; and the pointer takes the keyboard's link away from the links it crosses.
#include "controls/LinkOpener.h"
#include "controls/MiniHtmlStaticText.h"
#include "support/FixedCanvasMaker.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class StaticTextWalkTest : public ::testing::Test {
protected:
    void SetUp() override {
        QFont font;
        font.setPixelSize(16);
        text.setFont(font);
        text.resize(300, 40);
        text.setTabStop(true);
        text.setOnAnchorKeypress(
            [this](QObject*, const std::string& anchor) { events.push_back("key " + anchor); });
        text.setOnAnchorEnter(
            [this](QObject*, const std::string& anchor) { events.push_back("enter " + anchor); });
        text.setOnAnchorExit([this](QObject*, const std::string&) { events.push_back("exit"); });
        text.setOnMouseEnter([this](QObject*) { events.push_back("mouse enter"); });
        text.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&text));
        events.clear(); // shown under the pointer
    }

    // The focus arrives (the window is active), and nothing else happens before the next key.
    void focus() {
        text.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&text));
        text.clearFocus(); // shown as the active window, it may have the focus already
        text.setFocus();
        ASSERT_TRUE(text.hasFocus());
    }

    // Pointer events straight to the control, with no paint or other event in between.
    void move(QPoint at) {
        QMouseEvent event(QEvent::MouseMove, QPointF(at), QPointF(text.mapToGlobal(at)), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&text, &event);
    }
    void enter(QPoint at) {
        QEnterEvent event{QPointF(at), QPointF(at), QPointF(text.mapToGlobal(at))};
        QApplication::sendEvent(&text, &event);
    }
    void leave() {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(&text, &event);
    }

    FixedCanvasMaker fixed;
    pinlet::LinkOpenerOverride seam{[](const std::string&) {}};
    std::vector<std::string> events;
    TMiniHtmlStaticText text;
};

// Links "a", "b", "c" at x 1-8, 12-19, 23-30 of the first row; plain text from x 35 on.
constexpr const char* kThreeLinks = "<a href=\"a\">a</a> <a href=\"b\">b</a> <a href=\"c\">c</a> plain";

TEST_F(StaticTextWalkTest, KeysActOnTheTextAsItIsNow) {
    text.setHTMLText(kThreeLinks);
    focus();
    QTest::keyClick(&text, Qt::Key_Space); // at once after the focus: the first link
    EXPECT_EQ(events, std::vector<std::string>{"key a"});

    text.setHTMLText("<a href=\"only\">x</a>");
    text.repaint(); // the last paint saw one link
    text.setHTMLText(kThreeLinks);
    QTest::keyClick(&text, Qt::Key_Right);
    QTest::keyClick(&text, Qt::Key_Right);
    EXPECT_EQ(text.focusLink(), 1) << "walked the three links of the new text, not the one of the old";
    QTest::keyClick(&text, Qt::Key_Return);
    QTest::keyClick(&text, Qt::Key_Up);
    QTest::keyClick(&text, Qt::Key_Up);
    QTest::keyClick(&text, Qt::Key_Enter);
    EXPECT_EQ(events, (std::vector<std::string>{"key a", "key b", "key c"}));
}

TEST_F(StaticTextWalkTest, ThePointerTakesTheKeyboardsLinkAndEntersOnlyOverALink) {
    text.setHTMLText(kThreeLinks);
    focus();
    const QPoint linkB(15, 8), plain(60, 8);
    struct Step {
        const char* what;
        std::function<void()> act;
        int focusLink;
        std::vector<std::string> events;
    } const steps[] = {
        {"a key walks on", [&] { QTest::keyClick(&text, Qt::Key_Right); }, 1, {}},
        {"onto a link", [&] { move(linkB); }, -1, {"enter b"}},
        {"a key after it", [&] { QTest::keyClick(&text, Qt::Key_Right); }, 0, {}},
        {"off the link onto plain text", [&] { move(plain); }, -1, {"exit"}},
        {"back onto the link", [&] { move(linkB); }, -1, {"enter b"}},
        {"out over the link", [&] { leave(); }, -1, {}},
        {"in over plain text", [&] { enter(plain); }, -1, {"mouse enter"}},
        {"in again over another link",
         [&] {
             leave();
             enter(QPoint(3, 8));
         },
         -1,
         {"enter a", "mouse enter"}},
    };
    for (const Step& step : steps) {
        events.clear();
        step.act();
        EXPECT_EQ(text.focusLink(), step.focusLink) << step.what;
        EXPECT_EQ(events, step.events) << step.what;
    }
}

} // namespace
