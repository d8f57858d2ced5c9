#include "controls/MiniHtmlLabel.h"

#include "controls/CanvasFactory.h"
#include "controls/MeasuringCanvas.h"
#include "minihtml/GradientFill.h"
#include "minihtml/markup.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <limits>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

constexpr int kBarWidth = 8;

} // namespace

TMiniHtmlLabel::TMiniHtmlLabel(QWidget* parent)
    : MiniHtmlControl(parent, 2), bar_(new QScrollBar(Qt::Vertical, this)), idle_(new QTimer(this)) {
    bar_->setObjectName(QStringLiteral("scrollBar"));
    bar_->setCursor(Qt::ArrowCursor);
    bar_->hide();
    connect(bar_, &QScrollBar::valueChanged, this, &TMiniHtmlLabel::setScrollOffset);
    idle_->setSingleShot(true);
    idle_->setInterval(0);
    connect(idle_, &QTimer::timeout, this, &TMiniHtmlLabel::measureIdle);
}

void TMiniHtmlLabel::setTransparent(bool on) {
    transparent_ = on;
    setAttribute(Qt::WA_OpaquePaintEvent, !on);
    update();
}

void TMiniHtmlLabel::setColorTo(TColor color) {
    colorTo_ = color;
    update();
}

void TMiniHtmlLabel::setGradientType(TGradientType type) {
    gradientType_ = type;
    update();
}

void TMiniHtmlLabel::setScrolling(bool on) {
    if (scrolling_ == on) {
        return;
    }
    scrolling_ = on;
    updateScrollRange();
    update();
}

void TMiniHtmlLabel::setScrollOffset(int offset) {
    if (scrolling_ && !lines_.complete()) {
        // Lines are measured as they come into view; a scroll to the end (or past what is measured) lays
        // out what it shows first, so the end is the exact end.
        const int view = frameTextRect().height();
        const bool toEnd = offset >= bar_->maximum();
        pinlet::MeasuringCanvas measuring(*this, canvasFont());
        const MiniHtmlRenderInput input = layoutInput(measuring.canvas());
        if (toEnd) {
            lines_.measureMore(input, std::numeric_limits<std::size_t>::max());
        } else {
            lines_.measureThrough(input, offset + view);
        }
        applyContentHeight(lines_.height());
        if (toEnd) {
            offset = bar_->maximum();
        }
    }
    offset = scrolling_ ? std::clamp(offset, 0, std::max(0, contentHeight_ - frameTextRect().height())) : 0;
    if (offset == offset_) {
        return;
    }
    offset_ = offset;
    {
        const QSignalBlocker quiet(bar_);
        bar_->setValue(offset);
    }
    update();
    // What lies under a resting pointer moved with the text.
    if (underMouse()) {
        trackPointer(mapFromGlobal(QCursor::pos()));
    }
}

bool TMiniHtmlLabel::barShown() const {
    return !bar_->isHidden();
}

MiniHtmlRenderInput TMiniHtmlLabel::layoutInput(Canvas& canvas) const {
    MiniHtmlRect rect = frameTextRect();
    if (barShown()) {
        rect.Right -= kBarWidth;
    }
    return renderInput(canvas, rect); // scrolling: without the text, which the index measures in its own copy
}

void TMiniHtmlLabel::applyContentHeight(int height) {
    contentHeight_ = height;
    const int view = frameTextRect().height();
    const int maximum = barShown() ? std::max(0, height - view) : 0;
    offset_ = std::clamp(offset_, 0, maximum);
    const QSignalBlocker quiet(bar_);
    bar_->setRange(0, maximum);
    bar_->setValue(offset_);
}

void TMiniHtmlLabel::updateScrollRange() {
    idle_->stop();
    if (!scrolling_) {
        offset_ = 0;
        contentHeight_ = 0;
        bar_->hide();
        return;
    }
    pinlet::MeasuringCanvas measuring(*this, canvasFont());
    const MiniHtmlRect full = frameTextRect();
    const int view = full.height();
    // Laid out lazily: what is not measured yet counts as one line a piece, which is never more than it
    // takes. A text that overflows even so keeps the bar; one that does not is short, and is measured
    // whole. Either way the text is measured at one width only: the one it is shown at.
    auto heightAt = [&](bool narrow) {
        MiniHtmlRect rect = full;
        if (narrow) {
            rect.Right -= kBarWidth;
        }
        const MiniHtmlRenderInput input = renderInput(measuring.canvas(), rect);
        lines_.update(input, sharedText());
        // What the view shows at the kept offset, so the offset stays where a full layout keeps it.
        lines_.measureThrough(input, offset_ + view);
        if (lines_.height() <= view) {
            lines_.measureMore(input, std::numeric_limits<std::size_t>::max());
        }
        return lines_.height();
    };
    const bool wasShown = barShown();
    int height = heightAt(wasShown);
    const bool show = height > view;
    if (show != wasShown) {
        height = heightAt(show);
    }
    const QSignalBlocker quiet(bar_);
    bar_->setPageStep(std::max(1, view));
    bar_->setSingleStep(measuring.canvas().measureText("gh", dtExternalLeading).cy);
    bar_->setGeometry(full.Right - kBarWidth, full.Top, kBarWidth, view);
    bar_->setVisible(show);
    applyContentHeight(height);
}

void TMiniHtmlLabel::measureIdle() {
    if (!scrolling_ || lines_.complete()) {
        return;
    }
    // A slice at a time, so that input and painting go on between slices.
    pinlet::MeasuringCanvas measuring(*this, canvasFont());
    const MiniHtmlRenderInput input = layoutInput(measuring.canvas());
    QElapsedTimer slice;
    slice.start();
    while (lines_.measureMore(input, 64) && slice.elapsed() < 4) {
    }
    applyContentHeight(lines_.height());
    if (!lines_.complete()) {
        idle_->start();
        return;
    }
#if defined(__GLIBC__)
    // The list stands measured: what building and laying it out took for a moment (the list read, its
    // text built, copies of it) is free again, and goes back to the system rather than staying the
    // program's for as long as it rests.
    malloc_trim(0);
#endif
}

void TMiniHtmlLabel::textChanged() {
    MiniHtmlControl::textChanged();
    updateScrollRange();
}

void TMiniHtmlLabel::resizeEvent(QResizeEvent* event) {
    MiniHtmlControl::resizeEvent(event);
    updateScrollRange();
}

void TMiniHtmlLabel::changeEvent(QEvent* event) {
    MiniHtmlControl::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateScrollRange();
    }
}

void TMiniHtmlLabel::wheelEvent(QWheelEvent* event) {
    if (!scrolling_ || !barShown()) {
        event->ignore(); // the parent may scroll
        return;
    }
    // Three lines per notch of 120. A touchpad sends many small deltas: they add up, or it would not
    // scroll at all.
    wheelDelta_ += event->angleDelta().y();
    const int lines = wheelDelta_ / 40;
    wheelDelta_ -= lines * 40;
    setScrollOffset(offset_ - lines * bar_->singleStep());
    event->accept();
}

MiniHtmlRect TMiniHtmlLabel::layoutRect(Canvas& canvas) {
    MiniHtmlRect rect = autoSizedRect(frameTextRect());
    if (scrolling_ && barShown()) {
        rect.Right -= kBarWidth;
    }
    rect = alignedRect(canvas, rect);
    visibleTop_ = rect.Top;
    rect.Top -= offset_;
    return rect;
}

MiniHtmlRenderOutput TMiniHtmlLabel::renderText(const MiniHtmlRenderInput& input) {
    if (!scrolling_) {
        return MiniHtmlRender(input);
    }
    lines_.update(input, sharedText());
    return lines_.render(input, visibleTop_);
}

void TMiniHtmlLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const std::unique_ptr<Canvas> canvas = pinlet::CanvasFactory::make(painter, canvasFont());
    Canvas& c = *canvas;
    const MiniHtmlRect client{0, 0, width(), height()};
    const int steps = client.width() / 4;
    const bool fullGradient =
        gradientType_ == TGradientType::gtFullHorizontal || gradientType_ == TGradientType::gtFullVertical;
    if (!transparent_) {
        if (colorTo_ == clNone || !fullGradient) {
            c.setPen(Color(), 1);
            c.setBrush(Color());
            c.fillRect(client);
        } else {
            GradientFill(c, Color(), colorTo_, gradientType_ == TGradientType::gtFullHorizontal, client,
                         steps);
        }
    }
    if (!fullGradient) {
        MiniHtmlRect strip = client;
        if (gradientType_ == TGradientType::gtBottomLine) {
            strip.Top = strip.Bottom - 2;
        } else if (gradientType_ == TGradientType::gtCenterLine) {
            strip.Top += (strip.Bottom - strip.Top) / 2;
            strip.Bottom = strip.Top + 2;
        } else {
            strip.Bottom = strip.Top + 2;
        }
        GradientFill(c, Color(), colorTo_, true, strip, steps);
    }
    pinlet::drawFrames(c, client, frameStyle(), false);

    c.setBrush(Color());
    const MiniHtmlRect rect = layoutRect(c);
    const QPoint pointer = mapFromGlobal(QCursor::pos());
    MiniHtmlRenderInput in = renderInput(c, rect);
    in.X = pointer.x();
    in.Y = pointer.y();
    in.HoverLink = hoverLink();
    if (scrolling_) {
        MiniHtmlRect view = rect;
        view.Top = visibleTop_;
        c.pushClip(view);
    }
    const MiniHtmlRenderOutput out = renderText(in);
    if (scrolling_) {
        c.popClip();
    }
    xSize_ = out.XSize;
    ySize_ = out.YSize;
    applyAutoSize(out.XSize, out.YSize);
    // The paint may have measured lines further down; the lines not shown yet are measured once the window
    // stands, while the program is idle.
    if (scrolling_ && lines_.height() != contentHeight_) {
        applyContentHeight(lines_.height());
    }
    if (scrolling_ && !lines_.complete() && !idle_->isActive()) {
        idle_->start();
    }
}

void TMiniHtmlLabel::showHint(QPoint point, QPoint globalPoint) {
    if (showAnchorHint(point, globalPoint, onAnchorHint_)) {
        return;
    }
    if (hintShowFull_) {
        const QString hint =
            htmlHint_ ? QString::fromStdString(HTMLText()) : plainHint(MiniHtmlPlainText(HTMLText()));
        QToolTip::showText(globalPoint, hint, this);
        return;
    }
    if (toolTip().isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(globalPoint, toolTip(), this);
    }
}

bool TMiniHtmlLabel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        showHint(help->pos(), help->globalPos());
        return true;
    }
    return MiniHtmlControl::event(event);
}
