#include "controls/MiniHtmlPopupWindow.h"

#include "controls/CanvasFactory.h"
#include "controls/MeasuringCanvas.h"
#include "minihtml/GradientFill.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr TColor kWhite = 0xFFFFFFu;
constexpr TColor kGrey = 0x808080u;
constexpr TColor kBlue = 0xFF0000u; // 0x00BBGGRR
constexpr int kButtonFace = 15;
constexpr int kDarkShadow3D = 21;
constexpr int kLight3D = 22;
// Auto-size lays the text out without limits in the directions it measures.
constexpr int kUnlimited = 4096;

Qt::WindowFlags popupFlags(bool alwaysOnTop) {
    Qt::WindowFlags flags =
        Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint;
    if (alwaysOnTop) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    return flags;
}

} // namespace

TMiniHtmlPopupWindow::TMiniHtmlPopupWindow(QWidget* owner) : QWidget(owner, popupFlags(false)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_MacAlwaysShowToolWindow);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
}

void TMiniHtmlPopupWindow::setLook(const TMiniHtmlPopupLook& look) {
    if (look.AlwaysOnTop != look_.AlwaysOnTop) {
        setWindowFlags(popupFlags(look.AlwaysOnTop));
    }
    look_ = look;
    tracker_.clearHover();
    update();
}

void TMiniHtmlPopupWindow::setHtml(const std::string& html) {
    html_ = html;
    update();
}

MiniHtmlRenderInput TMiniHtmlPopupWindow::renderInput() const {
    MiniHtmlRenderInput in;
    in.Text = html_;
    in.Rect = textRect();
    in.PictureContainer = look_.PictureContainer.data();
    in.PictureCache = &pictureCache_;
    in.Images = look_.Images.data();
    in.ShadowColor = kGrey;
    in.HoverFontColor = clNone;
    in.HoverColor = clNone;
    in.URLColor = kBlue;
    in.WordWrap = true;
    in.Hover = look_.Hover;
    in.HoverLink = tracker_.hoverLink();
    in.Blink = true;
    in.ShadowOffset = 1;
    in.FocusLink = -1;
    return in;
}

MiniHtmlRect TMiniHtmlPopupWindow::textRect() const {
    const int b = look_.BorderSize;
    return {b + look_.MarginX, b + look_.MarginY, width() - b - look_.MarginX, height() - b - look_.MarginY};
}

// The direction that keeps its size is measured in the rectangle the text is painted in: measured any
// wider, a wrapped text could need one line more than the height it is given, and that line is never drawn.
void TMiniHtmlPopupWindow::autoSize() {
    const int b = look_.BorderSize;
    MiniHtmlRect rect = textRect();
    if (look_.AutoSizeType != asdWidth) {
        rect.Bottom = rect.Top + kUnlimited;
    }
    if (look_.AutoSizeType != asdHeight) {
        rect.Right = rect.Left + kUnlimited;
    }
    pinlet::MeasuringCanvas measuring(*this, look_.Font);
    MiniHtmlRenderInput in = renderInput();
    in.Canvas = &measuring.canvas();
    in.Rect = rect;
    in.MeasureOnly = true;
    const MiniHtmlRenderOutput out = MiniHtmlRender(in);
    const int w = look_.AutoSizeType != asdHeight ? out.XSize + 2 * b + 16 : width();
    const int h = look_.AutoSizeType != asdWidth ? out.YSize + 2 * b + 16 : height();
    resize(w, h);
}

pinlet::AnchorHit TMiniHtmlPopupWindow::hitTest(QPoint at) const {
    pinlet::MeasuringCanvas measuring(*this, look_.Font);
    MiniHtmlRenderInput in = renderInput();
    in.Canvas = &measuring.canvas();
    in.Hover = false;
    return pinlet::hitTestAnchor(in, at.x(), at.y());
}

void TMiniHtmlPopupWindow::paintShading(Canvas& canvas) const {
    const int n = look_.ShadeSteps > 0 ? look_.ShadeSteps : 1;
    // The colours are taken as RGB bytes as they stand: shading never resolves system colours.
    const TColor start = look_.ShadeStartColor;
    const TColor end = look_.ShadeEndColor;
    const double stepR = (ColorRed(end) - ColorRed(start)) / static_cast<double>(n);
    const double stepG = (ColorGreen(end) - ColorGreen(start)) / static_cast<double>(n);
    const double stepB = (ColorBlue(end) - ColorBlue(start)) / static_cast<double>(n);
    const bool vertical = look_.ShadeDirection == sdVertical;
    const double band = (vertical ? height() : width()) / static_cast<double>(n);
    const int extent = RoundHalfEven(band) + 1;
    for (int i = 0; i < n; ++i) {
        const int p = RoundHalfEven(i * band);
        // A band that the next one covers exactly is never seen; thousands of steps on a small window
        // would otherwise paint mostly such bands.
        if (i + 1 < n && RoundHalfEven((i + 1) * band) == p) {
            continue;
        }
        const TColor color = ColorFromRgb(ColorRed(start) + RoundHalfEven(i * stepR),
                                          ColorGreen(start) + RoundHalfEven(i * stepG),
                                          ColorBlue(start) + RoundHalfEven(i * stepB));
        canvas.setPen(color, 1);
        canvas.setBrush(color);
        canvas.drawRectangle(vertical ? MiniHtmlRect{0, p, width(), p + extent}
                                      : MiniHtmlRect{p, 0, p + extent, height()});
    }
}

void TMiniHtmlPopupWindow::paintFrame(Canvas& canvas) const {
    const int w = width();
    const int h = height();
    const int b = look_.BorderSize;
    if (b <= 0) {
        canvas.setPen(SystemColor(kLight3D), 1);
        canvas.drawLine(0, h - 2, 0, 0);
        canvas.drawLine(0, 0, w - 1, 0);
        canvas.setPen(SystemColor(kDarkShadow3D), 1);
        canvas.drawLine(0, h - 1, w - 1, h - 1);
        canvas.drawLine(w - 1, h - 1, w - 1, -1);
        return;
    }
    canvas.setPen(SystemColor(kButtonFace), 1);
    canvas.setBrush(SystemColor(kButtonFace));
    canvas.drawRectangle({0, 0, w, b});
    canvas.drawRectangle({w - b, 0, w, h});
    canvas.drawRectangle({0, h - b, w, h});
    canvas.drawRectangle({0, 0, b, h});
    // Raised outside, sunken inside.
    canvas.setPen(kWhite, 1);
    canvas.drawLine(0, h, 0, 0);
    canvas.drawLine(0, 0, w - 1, 0);
    canvas.setPen(kGrey, 1);
    canvas.drawLine(w - 1, 0, w - 1, h - 1);
    canvas.drawLine(w - 1, h - 1, 0, h - 1);
    canvas.drawLine(b, h - b, b, b);
    canvas.drawLine(b, b, w - b, b);
    canvas.setPen(kWhite, 1);
    canvas.drawLine(w - b, b, w - b, h - b);
    canvas.drawLine(w - b, h - b, b, h - b);
}

void TMiniHtmlPopupWindow::paintTo(Canvas& canvas) {
    if (look_.ShadeEnable) {
        paintShading(canvas);
    } else {
        canvas.setBrush(look_.Color);
        canvas.fillRect({0, 0, width(), height()});
    }
    paintFrame(canvas);
    canvas.setBrush(look_.ShadeEnable ? look_.ShadeStartColor : look_.Color);
    MiniHtmlRenderInput in = renderInput();
    in.Canvas = &canvas;
    MiniHtmlRender(in);
}

void TMiniHtmlPopupWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    QWidget* active = QApplication::activeWindow();
    activeBeforeShow_ = active != this ? active : nullptr;
}

bool TMiniHtmlPopupWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && activeBeforeShow_ && activeBeforeShow_->isVisible()) {
        activeBeforeShow_->activateWindow();
    }
    return QWidget::event(event);
}

void TMiniHtmlPopupWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const std::unique_ptr<Canvas> canvas = pinlet::CanvasFactory::make(painter, look_.Font);
    paintTo(*canvas);
}

void TMiniHtmlPopupWindow::trackPointer(QPoint at) {
    const pinlet::AnchorTracker::Change change = tracker_.move(hitTest(at));
    setCursor(tracker_.overLink() ? Qt::PointingHandCursor : Qt::ArrowCursor);
    // The window is small: repainting it whole keeps a link that runs over two lines right too.
    if (look_.Hover && change.hoverChanged) {
        update();
    }
}

void TMiniHtmlPopupWindow::mouseMoveEvent(QMouseEvent* event) {
    trackPointer(event->position().toPoint());
}

void TMiniHtmlPopupWindow::mousePressEvent(QMouseEvent* event) {
    event->accept();
    const pinlet::AnchorHit hit = hitTest(event->position().toPoint());
    // A link without an href is a link too, and reports an empty one.
    if ((!hit.overLink() && hit.Index == -1) || !OnAnchorClick) {
        return;
    }
    const QPointer<TMiniHtmlPopupWindow> self(this);
    // The handler may destroy the window's owner, and with it the window.
    const auto handler = OnAnchorClick;
    handler(hit.Href);
    if (self && look_.Hover && tracker_.hoverLink() != -1) {
        update();
    }
}

void TMiniHtmlPopupWindow::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (look_.AutoHide && !rising_) {
        hide();
    }
}
