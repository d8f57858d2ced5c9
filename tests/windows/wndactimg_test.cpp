#include "windows/WndActImg.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using pinlet::FrameAction;
using pinlet::TClickTargets;
using pinlet::TWndActImage;

struct TargetCase {
    TClickTargets target;
    int hittest;
    FrameAction action;
};

const TargetCase kTargetCases[] = {
    {pinlet::atCaption, 2, {FrameAction::Move, {}}},
    {pinlet::atBorderTop, 12, {FrameAction::Resize, Qt::TopEdge}},
    {pinlet::atBorderRight, 11, {FrameAction::Resize, Qt::RightEdge}},
    {pinlet::atBorderBottom, 15, {FrameAction::Resize, Qt::BottomEdge}},
    {pinlet::atBorderLeft, 10, {FrameAction::Resize, Qt::LeftEdge}},
    {pinlet::atCornerTopRight, 14, {FrameAction::Resize, Qt::TopEdge | Qt::RightEdge}},
    {pinlet::atCornerTopLeft, 13, {FrameAction::Resize, Qt::TopEdge | Qt::LeftEdge}},
    {pinlet::atCornerBottonRight, 17, {FrameAction::Resize, Qt::BottomEdge | Qt::RightEdge}},
    {pinlet::atCornerBottomLeft, 16, {FrameAction::Resize, Qt::BottomEdge | Qt::LeftEdge}},
    {pinlet::atNone, 0, {FrameAction::None, {}}},
    {static_cast<TClickTargets>(10), 0, {FrameAction::None, {}}},  // just past the last value
    {static_cast<TClickTargets>(255), 0, {FrameAction::None, {}}}, // the largest a stored byte holds
};

TEST(WndActImage, EveryTargetMapsToItsHitTestCodeAndFrameAction) {
    for (const TargetCase& c : kTargetCases) {
        EXPECT_EQ(pinlet::hittestcode(c.target), c.hittest) << int(c.target);
        EXPECT_EQ(pinlet::frameaction(c.target), c.action) << int(c.target);
    }
}

TEST(WndActImage, DefaultsToCaptionWithoutLiveContent) {
    TWndActImage handle;
    EXPECT_EQ(handle.ClickTarget(), pinlet::atCaption);
    EXPECT_FALSE(handle.ShowWndContent());
}

// A handle that reports what it asks of the system instead of asking, and says whether the system obliged.
class RecordingHandle : public TWndActImage {
public:
    using TWndActImage::TWndActImage;
    struct Call {
        QWindow* window;
        FrameAction action;
    };
    std::vector<Call> calls;
    bool systemObliges = true;

protected:
    bool startsystemloop(QWindow& window, const FrameAction& action) override {
        calls.push_back({&window, action});
        return systemObliges;
    }
};

// A window whose own press handler counts what reaches it past the handles.
class Window : public QWidget {
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        ++presses;
        event->accept();
    }
};

// Mouse events with the pointer given in screen coordinates, as the system delivers them.
void send(QWidget* target, QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, target->mapFromGlobal(QPointF(global)), QPointF(global), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}
void press(QWidget* target, QPoint global, Qt::MouseButton button = Qt::LeftButton,
           Qt::MouseButtons alsoHeld = Qt::NoButton) {
    send(target, QEvent::MouseButtonPress, global, button, button | alsoHeld);
}
void moveto(QWidget* target, QPoint global, Qt::MouseButtons held = Qt::LeftButton) {
    send(target, QEvent::MouseMove, global, Qt::NoButton, held);
}
void release(QWidget* target, QPoint global, Qt::MouseButton button = Qt::LeftButton,
             Qt::MouseButtons stillHeld = Qt::NoButton) {
    send(target, QEvent::MouseButtonRelease, global, button, stillHeld);
}

// A borderless window with a top bar (a panel) that carries the handle, shown at a known place.
struct Fixture {
    Window window;
    QWidget* bar;
    template <typename Handle> Handle* sethandle(TClickTargets target) {
        auto* handle = new Handle(bar);
        handle->setGeometry(0, 0, 300, 41);
        handle->setClickTarget(target);
        handle->show();
        return handle;
    }
    explicit Fixture(QRect geometry = QRect(100, 100, 300, 200)) {
        window.setWindowFlags(Qt::FramelessWindowHint);
        bar = new QWidget(&window);
        bar->setGeometry(0, 0, 300, 41);
        window.setGeometry(geometry);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
};

#ifndef Q_OS_WIN // Windows runs its own synchronous loop for every press.

TEST(WndActImage, APressAsksTheSystemForTheTopLevelWindowsLoop) {
    for (const TargetCase& c : kTargetCases) {
        Fixture f;
        auto* handle = f.sethandle<RecordingHandle>(c.target);
        press(handle, handle->mapToGlobal(QPoint(5, 5)));
        if (c.action.kind == FrameAction::None) {
            EXPECT_TRUE(handle->calls.empty()) << int(c.target);
        } else {
            ASSERT_EQ(handle->calls.size(), 1u) << int(c.target);
            // The handle lies on a panel; the window that moves is the one the panel is in.
            EXPECT_EQ(handle->calls[0].window, f.window.windowHandle()) << int(c.target);
            EXPECT_EQ(handle->calls[0].action, c.action) << int(c.target);
        }
        EXPECT_FALSE(handle->dragging()) << "the system took it: the handle follows nothing";
        EXPECT_EQ(f.window.presses, 0) << "the press is the handle's, whatever it does";
    }
}

TEST(WndActImage, EveryButtonAndADoublePressActAsTheLeftOne) {
    Fixture f;
    auto* handle = f.sethandle<RecordingHandle>(pinlet::atCornerBottonRight);
    const QPoint at = handle->mapToGlobal(QPoint(5, 5));
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        press(handle, at, button);
        release(handle, at, button);
    }
    send(handle, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    ASSERT_EQ(handle->calls.size(), 4u);
    for (const RecordingHandle::Call& call : handle->calls)
        EXPECT_EQ(call.action, (FrameAction{FrameAction::Resize, Qt::BottomEdge | Qt::RightEdge}));
}

TEST(WndActImage, NoneSwallowsPressesAndMovesNothing) {
    for (TClickTargets target : {pinlet::atNone, static_cast<TClickTargets>(42)}) {
        Fixture f;
        auto* handle = f.sethandle<TWndActImage>(target);
        const QRect before = f.window.geometry();
        const QPoint at = handle->mapToGlobal(QPoint(5, 5));
        press(handle, at, Qt::RightButton);
        moveto(handle, at + QPoint(40, 30), Qt::RightButton);
        release(handle, at + QPoint(40, 30), Qt::RightButton);
        EXPECT_EQ(f.window.presses, 0);
        EXPECT_EQ(f.window.geometry(), before);
    }
}

struct DragCase {
    TClickTargets target;
    QRect expected; // from (100, 100, 300, 200) after the pointer travelled (30, 20)
};

// Without a system loop (the offscreen platform has none), the handle follows the pointer itself.
TEST(WndActImage, WithoutASystemLoopTheWindowFollowsThePointer) {
    const DragCase cases[] = {
        {pinlet::atCaption, {130, 120, 300, 200}},
        {pinlet::atBorderTop, {100, 120, 300, 180}},
        {pinlet::atBorderRight, {100, 100, 330, 200}},
        {pinlet::atBorderBottom, {100, 100, 300, 220}},
        {pinlet::atBorderLeft, {130, 100, 270, 200}},
        {pinlet::atCornerTopRight, {100, 120, 330, 180}},
        {pinlet::atCornerTopLeft, {130, 120, 270, 180}},
        {pinlet::atCornerBottonRight, {100, 100, 330, 220}},
        {pinlet::atCornerBottomLeft, {130, 100, 270, 220}},
    };
    for (const DragCase& c : cases) {
        for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
            Fixture f;
            auto* handle = f.sethandle<RecordingHandle>(c.target);
            handle->systemObliges = false;
            const QPoint start = handle->mapToGlobal(QPoint(10, 10));
            press(handle, start, button);
            ASSERT_TRUE(handle->dragging()) << int(c.target);
            // Halfway the window is already on its way: the drag is live.
            moveto(handle, start + QPoint(15, 10), button);
            EXPECT_NE(f.window.geometry(), QRect(100, 100, 300, 200)) << int(c.target);
            moveto(handle, start + QPoint(30, 20), button);
            release(handle, start + QPoint(30, 20), button);
            EXPECT_EQ(f.window.geometry(), c.expected) << int(c.target) << " button " << button;
            EXPECT_FALSE(handle->dragging());
            // After the release the pointer is free again.
            moveto(handle, start + QPoint(80, 80), Qt::NoButton);
            EXPECT_EQ(f.window.geometry(), c.expected) << int(c.target);
        }
    }
}

TEST(WndActImage, ADragEndsOnlyWithTheButtonThatStartedIt) {
    Fixture f;
    auto* handle = f.sethandle<RecordingHandle>(pinlet::atCaption);
    handle->systemObliges = false;
    const QPoint start = handle->mapToGlobal(QPoint(10, 10));
    press(handle, start, Qt::LeftButton);
    press(handle, start, Qt::RightButton, Qt::LeftButton); // a second button starts nothing new
    release(handle, start + QPoint(5, 5), Qt::RightButton, Qt::LeftButton);
    EXPECT_TRUE(handle->dragging());
    moveto(handle, start + QPoint(20, 0), Qt::LeftButton);
    release(handle, start + QPoint(20, 0), Qt::LeftButton);
    EXPECT_FALSE(handle->dragging());
    EXPECT_EQ(f.window.geometry(), QRect(120, 100, 300, 200));
    EXPECT_EQ(handle->calls.size(), 1u);
}

TEST(WndActImage, ADragWhoseReleaseWentElsewhereEndsAtTheNextPress) {
    Fixture f;
    auto* handle = f.sethandle<RecordingHandle>(pinlet::atCaption);
    handle->systemObliges = false;
    const QPoint start = handle->mapToGlobal(QPoint(10, 10));
    press(handle, start);
    moveto(handle, start + QPoint(10, 0));
    ASSERT_EQ(f.window.geometry(), QRect(110, 100, 300, 200));
    // The release never arrived; the next press starts from where the window is now.
    press(handle, start + QPoint(50, 0));
    moveto(handle, start + QPoint(60, 5));
    release(handle, start + QPoint(60, 5));
    EXPECT_EQ(f.window.geometry(), QRect(120, 105, 300, 200));
    EXPECT_FALSE(handle->dragging());
}

TEST(WndActImage, AHandleInALaidOutPanelResizesTheWholeWindow) {
    Fixture f;
    auto* layout = new QVBoxLayout(f.bar);
    auto* handle = new TWndActImage;
    handle->setClickTarget(pinlet::atBorderRight);
    layout->addWidget(handle);
    handle->show();
    const QPoint start = handle->mapToGlobal(QPoint(2, 2));
    press(handle, start);
    release(handle, start + QPoint(-50, 0));
    EXPECT_EQ(f.window.geometry(), QRect(100, 100, 250, 200));
    EXPECT_EQ(f.bar->geometry(), QRect(0, 0, 300, 41)) << "the panel itself stays as it was";
}

#endif // Q_OS_WIN

struct GeometryCase {
    const char* why;
    TClickTargets target;
    QPoint travel;
    QSize minimum;
    QSize maximum;
    QRect expected; // from (100, 100, 300, 200)
};

TEST(WndActImage, ResizingKeepsTheOppositeEdgesAndTheSizeLimits) {
    const QSize none(0, 0);
    const QSize huge(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const GeometryCase cases[] = {
        {"left edge past the minimum: the right edge stays",
         pinlet::atBorderLeft,
         {280, 0},
         {100, 50},
         huge,
         {300, 100, 100, 200}},
        {"top edge past the minimum: the bottom edge stays",
         pinlet::atBorderTop,
         {0, 190},
         {100, 50},
         huge,
         {100, 250, 300, 50}},
        {"right edge past the maximum",
         pinlet::atBorderRight,
         {500, 0},
         none,
         {400, 400},
         {100, 100, 400, 200}},
        {"bottom edge dragged above the top: one pixel is left",
         pinlet::atBorderBottom,
         {0, -500},
         none,
         huge,
         {100, 100, 300, 1}},
        {"corner inside both limits",
         pinlet::atCornerTopLeft,
         {-20, -10},
         {100, 50},
         {400, 400},
         {80, 90, 320, 210}},
        {"caption ignores the limits",
         pinlet::atCaption,
         {-500, -500},
         {400, 400},
         {400, 400},
         {-400, -400, 300, 200}},
        {"nothing for none", pinlet::atNone, {50, 50}, none, huge, {100, 100, 300, 200}},
    };
    for (const GeometryCase& c : cases) {
        const QRect result = pinlet::draggedgeometry(pinlet::frameaction(c.target), QRect(100, 100, 300, 200),
                                                     c.travel, c.minimum, c.maximum);
        EXPECT_EQ(result, c.expected) << c.why;
    }
}

} // namespace
