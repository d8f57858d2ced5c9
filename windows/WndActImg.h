#pragma once
// A picture that moves or resizes the borderless window it sits in. Both windows of the program have no
// caption bar and no sizing frame; these handles stand in for them.

#include <QLabel>
#include <QPoint>
#include <QPointer>
#include <QRect>

#include <cstdint>

class QWindow;

namespace pinlet {

// Which part of a window frame a press on a handle stands for. Stored layouts name the values by these
// names, ordinal 7 with its historic spelling. Any ordinal above 9 acts as atNone.
enum TClickTargets : std::uint8_t {
    atCaption,
    atBorderTop,
    atBorderRight,
    atBorderBottom,
    atBorderLeft,
    atCornerTopRight,
    atCornerTopLeft,
    atCornerBottonRight,
    atCornerBottomLeft,
    atNone,
};

// The non-client hit-test code a press sends on Windows (HTCAPTION, HTTOP ...); 0 (HTNOWHERE) for atNone
// and for any out-of-range value.
int hittestcode(TClickTargets target);

// What a press asks of the window: nothing, the system move loop, or the size loop on the given edges.
struct FrameAction {
    enum Kind { None, Move, Resize };
    Kind kind = None;
    Qt::Edges edges;

    friend bool operator==(const FrameAction&, const FrameAction&) = default;
};
FrameAction frameaction(TClickTargets target);

// The rectangle a window takes when the user drags the part of its frame named by `action` by `travel`
// pixels, from `start`: a move shifts it; a resize moves the dragged edges only, keeps the opposite edges
// where they were, and keeps the size within [minimum, maximum], as the system's own loops do.
QRect draggedgeometry(const FrameAction& action, const QRect& start, QPoint travel, QSize minimum,
                      QSize maximum);

// The handle. It is a QLabel, so it keeps the picture, centring (alignment), stretching (scaled contents)
// and transparency (no background of its own) of one. A press of any mouse button, double presses
// included, hands the handle's top-level window (not its immediate parent) to the system's move or size
// loop for ClickTarget. Where the platform has no such loop (startSystemMove/-Resize refuse), the handle
// follows the pointer itself until the button that started the drag is released.
class TWndActImage : public QLabel {
    Q_OBJECT
public:
    explicit TWndActImage(QWidget* parent = nullptr);

    TClickTargets ClickTarget() const { return clickTarget_; }
    void setClickTarget(TClickTargets target) { clickTarget_ = target; }

    // Whether the window's contents are redrawn while it is dragged (true) or only the system's outline is
    // shown (false). Only Windows offers the choice; it is applied for the duration of one drag.
    bool ShowWndContent() const { return showWndContent_; }
    void setShowWndContent(bool show) { showWndContent_ = show; }

    // True while the handle itself is following the pointer.
    bool dragging() const { return !dragWindow_.isNull(); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    // Hands the window to the system's own move or size loop; false when the platform has none. A seam so
    // that tests can see what a press asks of the system.
    virtual bool startsystemloop(QWindow& window, const FrameAction& action);

private:
    void pressed(QMouseEvent& event);

    TClickTargets clickTarget_ = atCaption;
    bool showWndContent_ = false;

    // The pointer-following drag: the window, where it stood and where the pointer was at the press.
    QPointer<QWidget> dragWindow_;
    FrameAction dragAction_;
    Qt::MouseButton dragButton_ = Qt::NoButton;
    QPoint dragStartPointer_;
    QRect dragStartGeometry_;
};

} // namespace pinlet
