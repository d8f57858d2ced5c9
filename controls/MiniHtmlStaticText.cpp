#include "controls/MiniHtmlStaticText.h"

#include "controls/CanvasFactory.h"
#include "controls/MeasuringCanvas.h"
#include "minihtml/AsciiText.h"

#include <QCursor>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>

namespace {

constexpr int kTickMs = 100;
constexpr int kArrow = 10;     // the arrows' square corners
constexpr int kScrollStep = 4; // pixels per press or tick

} // namespace

TMiniHtmlStaticText::TMiniHtmlStaticText(QWidget* parent) : MiniHtmlControl(parent, 1) {
    resize(100, 20);
    setFocusPolicy(Qt::NoFocus);
}

void TMiniHtmlStaticText::setTabStop(bool on) {
    setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
}

void TMiniHtmlStaticText::setAutoScroll(bool on) {
    autoScroll_ = on;
    updateTimer();
}

void TMiniHtmlStaticText::setEnableBlink(bool on) {
    enableBlink_ = on;
    updateTimer();
    update();
}

void TMiniHtmlStaticText::setMiniScroll(bool on) {
    miniScroll_ = on;
    if (on) {
        MiniHtmlControl::setVAlignment(TVAlignment::tvaTop);
    } else {
        offset_ = 0;
    }
    updateTimer();
    update();
}

void TMiniHtmlStaticText::setVAlignment(TVAlignment alignment) {
    if (alignment != TVAlignment::tvaTop && miniScroll_) {
        miniScroll_ = false;
        offset_ = 0;
        updateTimer();
    }
    MiniHtmlControl::setVAlignment(alignment);
}

void TMiniHtmlStaticText::updateTimer() {
    if (enableBlink_ || autoScroll_ || miniScroll_) {
        if (!timer_.isActive()) {
            timer_.start(kTickMs, this);
        }
    } else {
        timer_.stop();
    }
}

void TMiniHtmlStaticText::textChanged() {
    focusLink_ = -1;
    MiniHtmlControl::textChanged();
}

MiniHtmlRect TMiniHtmlStaticText::textArea() const {
    const pinlet::MiniHtmlFrameStyle& style = frameStyle();
    const bool single = style.BorderStyle == TBorderStyle::bsSingle;
    MiniHtmlRect rect{0, 0, width(), height()};
    if (pinlet::hasBevel(style) || single) {
        rect = pinlet::deflatedRect(rect, style.BevelWidth);
    }
    if (pinlet::hasBevel(style)) {
        rect = pinlet::deflatedRect(rect, style.BevelWidth);
    }
    return single ? pinlet::deflatedRect(rect, style.BorderWidth) : rect;
}

MiniHtmlRect TMiniHtmlStaticText::layoutRect(Canvas& canvas) {
    MiniHtmlRect rect = autoSizedRect(textArea());
    if (miniScroll_) {
        rect.Top -= offset_;
        rect.Right -= kArrow;
    }
    return alignedRect(canvas, rect);
}

QRect TMiniHtmlStaticText::upArrow() const {
    const MiniHtmlRect area = textArea();
    return QRect(area.Right - kArrow, area.Top, kArrow, kArrow);
}

QRect TMiniHtmlStaticText::downArrow() const {
    const MiniHtmlRect area = textArea();
    return QRect(area.Right - kArrow, area.Bottom - kArrow, kArrow, kArrow);
}

void TMiniHtmlStaticText::drawArrow(Canvas& canvas, const QRect& corner, bool down) const {
    canvas.setPen(FontColor(), 1);
    // A flat triangle, one line per row, pointing up or down.
    for (int row = 0; row < 4; ++row) {
        const int y = down ? corner.top() + 3 + row : corner.bottom() - 3 - row;
        canvas.drawLine(corner.left() + 1 + row, y, corner.right() - row, y);
    }
}

void TMiniHtmlStaticText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const std::unique_ptr<Canvas> canvas = pinlet::CanvasFactory::make(painter, canvasFont());
    Canvas& c = *canvas;
    const pinlet::MiniHtmlFrameStyle& style = frameStyle();
    const MiniHtmlRect client{0, 0, width(), height()};
    pinlet::drawFrames(c, client, style, true);
    MiniHtmlRect fill = client;
    if (pinlet::hasBevel(style) || style.BorderStyle == TBorderStyle::bsSingle) {
        fill = pinlet::deflatedRect(fill, style.BevelWidth);
    }
    c.setPen(Color(), 1);
    c.setBrush(Color());
    c.fillRect(fill);

    if (miniScroll_) {
        MiniHtmlRenderInput measure = renderInput(c, layoutRect(c));
        measure.MeasureOnly = true;
        measure.CheckOnly = true;
        const int whole = MiniHtmlRender(measure).YSize;
        downShown_ = whole >= height() + offset_;
        upShown_ = offset_ > 0;
    } else {
        upShown_ = downShown_ = false;
    }
    const MiniHtmlRect rect = layoutRect(c);
    const QPoint pointer = mapFromGlobal(QCursor::pos());
    MiniHtmlRenderInput in = renderInput(c, rect);
    in.FocusLink = hasFocus() ? focusLink_ : -1;
    in.HoverLink = hoverLink();
    in.Blink = blink_;
    in.X = pointer.x();
    in.Y = pointer.y();
    MiniHtmlRect clip = textArea();
    c.pushClip(clip);
    c.setBrush(Color());
    MiniHtmlRenderOutput out;
    if (isEnabled()) {
        out = renderText(in);
    } else {
        // Embossed: a white copy one pixel down and right under a grey one.
        in.HoverColor = in.HoverFontColor = clNone;
        in.X = in.Y = 0;
        in.URLColor = 0xFFFFFFu;
        const TColor fontColor = FontColor();
        CanvasFont font = canvasFont();
        font.Color = 0xFFFFFFu;
        c.setFont(font);
        MiniHtmlRenderInput shifted = in;
        shifted.Images = nullptr;
        shifted.Rect = {rect.Left + 1, rect.Top + 1, rect.Right + 1, rect.Bottom + 1};
        renderText(shifted);
        font.Color = 0x808080u;
        c.setFont(font);
        in.URLColor = 0x808080u;
        out = renderText(in);
        font.Color = fontColor;
        c.setFont(font);
    }
    c.popClip();
    if (upShown_) {
        drawArrow(c, upArrow(), false);
    }
    if (downShown_) {
        drawArrow(c, downArrow(), true);
    }
    xSize_ = out.XSize;
    ySize_ = out.YSize;
    linkCount_ = out.AnchorCount;
    focusAnchor_ = out.FocusAnchor;
    if (applyAutoSize(out.XSize, out.YSize) && onNewSize_) {
        onNewSize_(this, width(), height());
    }
}

// What the keys act on is what a paint of the text as it is now finds: the link count and the focused
// link's href. It is laid out at once, not left to the next refresh, which may come after the next key.
void TMiniHtmlStaticText::refreshLinks() {
    pinlet::MeasuringCanvas measuring(*this, canvasFont());
    Canvas& canvas = measuring.canvas();
    canvas.setBrush(Color());
    MiniHtmlRenderInput in = renderInput(canvas, layoutRect(canvas));
    in.FocusLink = hasFocus() ? focusLink_ : -1;
    in.Blink = blink_;
    const MiniHtmlRenderOutput out = renderText(in);
    linkCount_ = out.AnchorCount;
    focusAnchor_ = out.FocusAnchor;
    update();
}

// The keyboard's link goes wherever the pointer goes: onto a link, or off the links onto plain text.
void TMiniHtmlStaticText::trackPointer(QPoint point) {
    const pinlet::AnchorHit hit = anchorAt(point);
    if ((hit.overLink() || cursor().shape() == Qt::PointingHandCursor) && focusLink_ != -1) {
        focusLink_ = -1;
        update();
    }
    trackHit(hit);
}

// Coming in over a link enters it; coming in over plain text is only an entry, never a link's exit, even
// when the pointer last left the control from a link.
void TMiniHtmlStaticText::enterEvent(QEnterEvent* event) {
    const pinlet::AnchorHit hit = anchorAt(event->position().toPoint());
    if (hit.overLink()) {
        trackHit(hit);
    }
    MiniHtmlControl::enterEvent(event);
}

bool TMiniHtmlStaticText::scrollAt(QPoint point) {
    if (downShown_ && downArrow().contains(point)) {
        offset_ += kScrollStep;
    } else if (upShown_ && upArrow().contains(point)) {
        offset_ -= kScrollStep;
        if (offset_ < 0) {
            offset_ = 0;
            return true;
        }
    } else {
        return false;
    }
    update();
    return true;
}

void TMiniHtmlStaticText::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    buttonDown_ = true;
    const QPoint point = event->position().toPoint();
    if (miniScroll_) {
        scrollAt(point);
    }
    pressAt(*event);
}

void TMiniHtmlStaticText::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    buttonDown_ = false;
}

void TMiniHtmlStaticText::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        // The link count first, for the text as it is now; then the href the new link has, for Enter.
        refreshLinks();
        focusLink_ = (focusLink_ <= 0 ? linkCount_ : focusLink_) - 1;
        refreshLinks();
        return;
    case Qt::Key_Right:
    case Qt::Key_Down:
        refreshLinks();
        focusLink_ = focusLink_ >= linkCount_ - 1 ? 0 : focusLink_ + 1;
        refreshLinks();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        refreshLinks();
        activateAnchor(focusAnchor_, onAnchorKeypress_);
        return;
    default:
        MiniHtmlControl::keyPressEvent(event);
    }
}

void TMiniHtmlStaticText::focusInEvent(QFocusEvent* event) {
    MiniHtmlControl::focusInEvent(event);
    if (focusLink_ < 0) {
        focusLink_ = 0;
    }
    refreshLinks();
}

void TMiniHtmlStaticText::focusOutEvent(QFocusEvent* event) {
    MiniHtmlControl::focusOutEvent(event);
    update();
}

void TMiniHtmlStaticText::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_.timerId()) {
        MiniHtmlControl::timerEvent(event);
        return;
    }
    if (!enableBlink_ && !autoScroll_ && !miniScroll_) {
        return;
    }
    ++ticks_;
    const bool resting = underMouse();
    const QPoint pointer = mapFromGlobal(QCursor::pos());
    if (miniScroll_ && (buttonDown_ || autoScroll_) && resting) {
        scrollAt(pointer);
    }
    if (miniScroll_ && (upShown_ || downShown_) && !buttonDown_ && !autoScroll_) {
        return;
    }
    if (ticks_ % 5 == 0 && enableBlink_ && ascii::Upper(HTMLText()).find("<BLINK") != std::string::npos) {
        repaint();
        blink_ = !blink_;
    }
}

bool TMiniHtmlStaticText::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // The arrow keys walk the links; nothing else may take them first.
        const auto key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down) {
            event->accept();
            return true;
        }
    }
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (showAnchorHint(help->pos(), help->globalPos())) {
            return true;
        }
    }
    return MiniHtmlControl::event(event);
}
