// A press on a link belongs to the control that reports it. Left ignored, Qt would hand it on to the
// parent, reaching the parent through the control, which the handler may have destroyed meanwhile; Qt's
// own code is not instrumented, so only the press's fate shows that, not a sanitizer.
#include "controls/LinkOpener.h"
#include "controls/MiniHtmlLabel.h"
#include "controls/MiniHtmlStaticText.h"
#include "support/FixedCanvasMaker.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Counts the presses that reach the watched window itself.
class PressCounter : public QObject {
public:
    int presses = 0;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress && watched == parent()) {
            ++presses;
        }
        return false;
    }
};

enum class Kind { Label, StaticText };
enum class Path { SendEvent, Window };

struct PressCase {
    Kind kind;
    Qt::MouseButton button;
    Path path;
    bool destroys; // the handler deletes the control
    QPoint at;
    bool link; // the press hits the link
};

MiniHtmlControl* makeControl(Kind kind, QWidget* parent) {
    if (kind == Kind::Label) {
        return new TMiniHtmlLabel(parent);
    }
    return new TMiniHtmlStaticText(parent);
}

TEST(LinkPress, IsAcceptedSoNothingReachesTheParentAfterTheHandler) {
    FixedCanvasMaker fixed;
    pinlet::LinkOpenerOverride seam{[](const std::string&) {}};
    QWidget top;
    top.resize(300, 80);
    auto* counter = new PressCounter;
    counter->setParent(&top);
    top.installEventFilter(counter);
    top.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));

    const QPoint onLink(10, 8);    // "note" is drawn from x 1 to 29 on the first row
    const QPoint offLinks(120, 8); // plain words
    const PressCase cases[] = {
        {Kind::Label, Qt::LeftButton, Path::SendEvent, true, onLink, true},
        {Kind::Label, Qt::RightButton, Path::SendEvent, true, onLink, true},
        {Kind::StaticText, Qt::LeftButton, Path::SendEvent, true, onLink, true},
        {Kind::StaticText, Qt::MiddleButton, Path::SendEvent, true, onLink, true},
        {Kind::Label, Qt::LeftButton, Path::Window, true, onLink, true},
        {Kind::StaticText, Qt::LeftButton, Path::Window, true, onLink, true},
        {Kind::Label, Qt::LeftButton, Path::Window, false, onLink, true},
        {Kind::StaticText, Qt::RightButton, Path::Window, false, onLink, true},
        {Kind::Label, Qt::LeftButton, Path::SendEvent, false, offLinks, false},
        {Kind::StaticText, Qt::LeftButton, Path::Window, false, offLinks, false},
    };
    int row = 0;
    for (const PressCase& c : cases) {
        SCOPED_TRACE(row++);
        counter->presses = 0;
        QPointer<MiniHtmlControl> control = makeControl(c.kind, &top);
        QFont font;
        font.setPixelSize(16);
        control->setFont(font);
        control->setGeometry(0, 0, 200, 40);
        control->setHTMLText("<a href=\"7\">note</a> plain words");
        std::vector<std::string> reported;
        const bool destroys = c.destroys;
        control->setOnAnchorClick([&reported, &control, destroys](QObject*, const std::string& anchor) {
            if (destroys) {
                delete control.data();
            }
            reported.push_back(anchor);
        });
        control->show();

        if (c.path == Path::SendEvent) {
            QMouseEvent press(QEvent::MouseButtonPress, QPointF(c.at), QPointF(control->mapToGlobal(c.at)),
                              c.button, c.button, Qt::NoModifier);
            QApplication::sendEvent(control.data(), &press);
            EXPECT_EQ(press.isAccepted(), c.link);
        } else {
            QTest::mousePress(top.windowHandle(), c.button, {}, c.at);
            QTest::mouseRelease(top.windowHandle(), c.button, {}, c.at);
        }
        EXPECT_EQ(reported, c.link ? std::vector<std::string>{"7"} : std::vector<std::string>{});
        EXPECT_EQ(control.isNull(), c.destroys && c.link);
        EXPECT_EQ(counter->presses, c.link ? 0 : 1)
            << "the parent must hear only of presses beside the links";
        delete control.data();
    }
}

} // namespace
