#include "windows/WndActImg.h"

#include <QMouseEvent>
#include <QWindow>

#include <algorithm>

#ifdef Q_OS_WIN
// Keeps the min and max macros out of the way of std::min and std::max.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace pinlet {

namespace {

struct TargetRow {
    int hittest;
    FrameAction action;
};

// Indexed by the ordinal of TClickTargets.
const TargetRow kTargets[] = {
    {2, {FrameAction::Move, {}}},                                // atCaption: HTCAPTION
    {12, {FrameAction::Resize, Qt::TopEdge}},                    // atBorderTop: HTTOP
    {11, {FrameAction::Resize, Qt::RightEdge}},                  // atBorderRight: HTRIGHT
    {15, {FrameAction::Resize, Qt::BottomEdge}},                 // atBorderBottom: HTBOTTOM
    {10, {FrameAction::Resize, Qt::LeftEdge}},                   // atBorderLeft: HTLEFT
    {14, {FrameAction::Resize, Qt::TopEdge | Qt::RightEdge}},    // atCornerTopRight: HTTOPRIGHT
    {13, {FrameAction::Resize, Qt::TopEdge | Qt::LeftEdge}},     // atCornerTopLeft: HTTOPLEFT
    {17, {FrameAction::Resize, Qt::BottomEdge | Qt::RightEdge}}, // atCornerBottonRight: HTBOTTOMRIGHT
    {16, {FrameAction::Resize, Qt::BottomEdge | Qt::LeftEdge}},  // atCornerBottomLeft: HTBOTTOMLEFT
    {0, {FrameAction::None, {}}},                                // atNone: HTNOWHERE
};

const TargetRow& row(TClickTargets target) {
    const std::size_t index = std::min<std::size_t>(target, atNone);
    return kTargets[index];
}

int bounded(int value, int low, int high) {
    return std::clamp(value, low, std::max(low, high));
}

} // namespace

int hittestcode(TClickTargets target) {
    return row(target).hittest;
}

FrameAction frameaction(TClickTargets target) {
    return row(target).action;
}

QRect draggedgeometry(const FrameAction& action, const QRect& start, QPoint travel, QSize minimum,
                      QSize maximum) {
    if (action.kind == FrameAction::Move)
        return start.translated(travel);
    if (action.kind != FrameAction::Resize)
        return start;
    // A window is never narrower or lower than one pixel, whatever its minimum says.
    const int minWidth = std::max(minimum.width(), 1);
    const int minHeight = std::max(minimum.height(), 1);
    int left = start.x();
    int top = start.y();
    int right = left + start.width();
    int bottom = top + start.height();
    if (action.edges & Qt::LeftEdge)
        left = right - bounded(start.width() - travel.x(), minWidth, maximum.width());
    if (action.edges & Qt::RightEdge)
        right = left + bounded(start.width() + travel.x(), minWidth, maximum.width());
    if (action.edges & Qt::TopEdge)
        top = bottom - bounded(start.height() - travel.y(), minHeight, maximum.height());
    if (action.edges & Qt::BottomEdge)
        bottom = top + bounded(start.height() + travel.y(), minHeight, maximum.height());
    return QRect(left, top, right - left, bottom - top);
}

TWndActImage::TWndActImage(QWidget* parent) : QLabel(parent) {}

void TWndActImage::mousePressEvent(QMouseEvent* event) {
    // Every press is the handle's own, also one that does nothing: it never reaches the widget below.
    event->accept();
    // A press of the button that drives the drag, or one while it is no longer held, means its release
    // went elsewhere: that drag is over and this press starts afresh. Another button changes nothing.
    if (dragging() && (event->button() == dragButton_ || !(event->buttons() & dragButton_)))
        dragWindow_.clear();
    if (!dragging())
        pressed(*event);
}

#ifdef Q_OS_WIN

// The system's loop is modal and returns when the user lets go. The drag-full-windows setting is switched
// only for that time, neither saved to the profile nor broadcast, so the user's own setting is back in
// force afterwards. The press ends the same way for every target: HTNOWHERE starts no loop.
void TWndActImage::pressed(QMouseEvent&) {
    const HWND owner = reinterpret_cast<HWND>(window()->winId());
    const WPARAM code = WPARAM(hittestcode(clickTarget_));
    BOOL fullWindows = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &fullWindows, 0);
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, showWndContent_ ? 1 : 0, nullptr, 0);
    ReleaseCapture();
    SendMessageW(owner, WM_NCLBUTTONDOWN, code, 0);
    // The handle may be gone by now: nothing below touches it.
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, fullWindows ? 1 : 0, nullptr, 0);
}

bool TWndActImage::startsystemloop(QWindow&, const FrameAction&) {
    return false;
}

#else

void TWndActImage::pressed(QMouseEvent& event) {
    const FrameAction action = frameaction(clickTarget_);
    if (action.kind == FrameAction::None)
        return;
    QWidget* owner = window();
    if (QWindow* handle = owner->windowHandle(); handle && startsystemloop(*handle, action))
        return;
    // No loop from the system: follow the pointer while the button that started this is held.
    dragWindow_ = owner;
    dragAction_ = action;
    dragButton_ = event.button();
    dragStartPointer_ = event.globalPosition().toPoint();
    dragStartGeometry_ = owner->geometry();
}

bool TWndActImage::startsystemloop(QWindow& window, const FrameAction& action) {
    if (action.kind == FrameAction::Move)
        return window.startSystemMove();
    if (action.kind == FrameAction::Resize)
        return window.startSystemResize(action.edges);
    return false;
}

#endif

void TWndActImage::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging()) {
        QLabel::mouseMoveEvent(event);
        return;
    }
    event->accept();
    const QPoint travel = event->globalPosition().toPoint() - dragStartPointer_;
    dragWindow_->setGeometry(draggedgeometry(dragAction_, dragStartGeometry_, travel,
                                             dragWindow_->minimumSize(), dragWindow_->maximumSize()));
    // A release that went elsewhere (the grab was lost) must not leave the window glued to the pointer.
    if (!(event->buttons() & dragButton_))
        dragWindow_.clear();
}

void TWndActImage::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging()) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->button() != dragButton_)
        return;
    const QPoint travel = event->globalPosition().toPoint() - dragStartPointer_;
    dragWindow_->setGeometry(draggedgeometry(dragAction_, dragStartGeometry_, travel,
                                             dragWindow_->minimumSize(), dragWindow_->maximumSize()));
    dragWindow_.clear();
}

} // namespace pinlet
