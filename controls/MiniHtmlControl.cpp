#include "controls/MiniHtmlControl.h"

#include "controls/LinkOpener.h"
#include "controls/MeasuringCanvas.h"
#include "controls/QtCanvas.h"
#include "minihtml/markup.h"

#include <QEnterEvent>
#include <QEvent>
#include <QMouseEvent>
#include <QToolTip>

MiniHtmlControl::MiniHtmlControl(QWidget* parent, int shadowOffset)
    : QWidget(parent), shadowOffset_(shadowOffset) {
    frame_.Color = color_;
    setMouseTracking(true);
    // Every paint draws the whole control; Qt must not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

template <typename T> void MiniHtmlControl::store(T& field, T value) {
    if (field != value) {
        field = value;
        update();
    }
}

void MiniHtmlControl::setHTMLText(const std::string& text) {
    // Even the same text again counts as a change: the owner replaced the text, and the hover it had is
    // gone until the pointer moves.
    text_ = std::make_shared<const std::string>(StripLineBreaks(text, false));
    textChanged();
}

void MiniHtmlControl::setHTMLText(std::string&& text) {
    const std::string_view written = text;
    if (written.find('\r') != std::string_view::npos || written.find('\n') != std::string_view::npos) {
        setHTMLText(static_cast<const std::string&>(text));
        return;
    }
    // A long text built by appending holds up to twice its size; it is kept for as long as it is shown.
    text.shrink_to_fit();
    text_ = std::make_shared<const std::string>(std::move(text));
    textChanged();
}

void MiniHtmlControl::textChanged() {
    tracker_.clearHover();
    cache_.clear();
    update();
}

void MiniHtmlControl::setURLColor(TColor color) {
    store(urlColor_, color);
}
void MiniHtmlControl::setShadowColor(TColor color) {
    store(shadowColor_, color);
}
void MiniHtmlControl::setShadowOffset(int offset) {
    store(shadowOffset_, offset);
}
void MiniHtmlControl::setHover(bool on) {
    store(hover_, on);
}
void MiniHtmlControl::setHoverColor(TColor color) {
    store(hoverColor_, color);
}
void MiniHtmlControl::setHoverFontColor(TColor color) {
    store(hoverFontColor_, color);
}
void MiniHtmlControl::setEllipsis(bool on) {
    store(ellipsis_, on);
}
void MiniHtmlControl::setVAlignment(TVAlignment alignment) {
    store(vAlignment_, alignment);
}
void MiniHtmlControl::setBevelInner(TBevelCut cut) {
    store(frame_.BevelInner, cut);
}
void MiniHtmlControl::setBevelOuter(TBevelCut cut) {
    store(frame_.BevelOuter, cut);
}
void MiniHtmlControl::setBevelWidth(int width) {
    store(frame_.BevelWidth, width);
}
void MiniHtmlControl::setBorderWidth(int width) {
    store(frame_.BorderWidth, width);
}
void MiniHtmlControl::setBorderStyle(TBorderStyle style) {
    store(frame_.BorderStyle, style);
}
void MiniHtmlControl::setColor(TColor color) {
    frame_.Color = color;
    store(color_, color);
}
void MiniHtmlControl::setFontColor(TColor color) {
    store(fontColor_, color);
}

void MiniHtmlControl::setImages(TMiniHtmlImageList* images) {
    images_ = images;
    update();
}

void MiniHtmlControl::setPictureContainer(TMiniHtmlPictureContainer* container) {
    pictures_ = container;
    update();
}

void MiniHtmlControl::setAutoSizing(bool on) {
    autoSizing_ = on;
    if (on && (align_ == TAlign::alLeft || align_ == TAlign::alRight)) {
        resize(6, height());
    } else if (on && (align_ == TAlign::alTop || align_ == TAlign::alBottom)) {
        resize(width(), 6);
    }
    update();
}

void MiniHtmlControl::setAutoSizeType(TAutoSizeType type) {
    autoSizeType_ = type;
    setAutoSizing(autoSizing_);
}

CanvasFont MiniHtmlControl::canvasFont() const {
    return QtCanvas::fromQFont(font(), fontColor_);
}

MiniHtmlRenderInput MiniHtmlControl::renderInput(Canvas& canvas, const MiniHtmlRect& rect) const {
    MiniHtmlRenderInput in;
    in.Canvas = &canvas;
    if (!rendersOwnText())
        in.Text = *text_;
    in.Rect = rect;
    in.PictureContainer = pictures_.data();
    in.PictureCache = const_cast<TMiniHtmlPictureCache*>(&cache_); // loading a picture fills the cache
    in.Images = images_.data();
    in.ShadowColor = shadowColor_;
    in.HoverFontColor = hoverFontColor_;
    in.HoverColor = hoverColor_;
    in.URLColor = urlColor_;
    in.WordWrap = !ellipsis_;
    in.Hover = hover_;
    in.Blink = false;
    in.ShadowOffset = shadowOffset_;
    return in;
}

MiniHtmlRect MiniHtmlControl::frameTextRect() const {
    return pinlet::frameTextRect({0, 0, width(), height()}, frame_);
}

namespace {

bool sizesWidth(TAlign align, TAutoSizeType type) {
    return (align == TAlign::alNone || align == TAlign::alLeft || align == TAlign::alRight) &&
           (type == TAutoSizeType::asHorizontal || type == TAutoSizeType::asBoth);
}

bool sizesHeight(TAlign align, TAutoSizeType type) {
    return (align == TAlign::alNone || align == TAlign::alTop || align == TAlign::alBottom) &&
           (type == TAutoSizeType::asVertical || type == TAutoSizeType::asBoth);
}

} // namespace

MiniHtmlRect MiniHtmlControl::autoSizedRect(MiniHtmlRect rect) const {
    if (autoSizing_ && sizesWidth(align_, autoSizeType_)) {
        rect.Right += 65535;
    }
    if (autoSizing_ && sizesHeight(align_, autoSizeType_)) {
        rect.Bottom += 65535;
    }
    return rect;
}

bool MiniHtmlControl::applyAutoSize(int xSize, int ySize) {
    if (!autoSizing_) {
        return false;
    }
    QSize size = this->size();
    if (sizesHeight(align_, autoSizeType_)) {
        size.setHeight(ySize + 6);
    }
    if (sizesWidth(align_, autoSizeType_)) {
        size.setWidth(xSize + 6);
    }
    if (size == this->size()) {
        return false;
    }
    resize(size);
    return true;
}

MiniHtmlRect MiniHtmlControl::alignedRect(Canvas& canvas, MiniHtmlRect rect) {
    if (vAlignment_ == TVAlignment::tvaTop) {
        return rect;
    }
    MiniHtmlRenderInput in = renderInput(canvas, rect);
    in.CheckOnly = true;
    const int textHeight = renderText(in).YSize;
    if (textHeight < height()) {
        rect.Top = vAlignment_ == TVAlignment::tvaCenter
                       ? rect.Top + (rect.Bottom - rect.Top - textHeight) / 2
                       : rect.Bottom - textHeight;
    }
    return rect;
}

MiniHtmlRect MiniHtmlControl::layoutRect(Canvas& canvas) {
    return alignedRect(canvas, autoSizedRect(frameTextRect()));
}

MiniHtmlRenderOutput MiniHtmlControl::renderText(const MiniHtmlRenderInput& input) {
    return MiniHtmlRender(input);
}

pinlet::AnchorHit MiniHtmlControl::anchorAt(QPoint point) {
    pinlet::MeasuringCanvas measuring(*this, canvasFont());
    Canvas& canvas = measuring.canvas();
    canvas.setBrush(color_);
    return pinlet::hitTestAnchor(renderInput(canvas, layoutRect(canvas)), point.x(), point.y(),
                                 [this](const MiniHtmlRenderInput& input) { return renderText(input); });
}

void MiniHtmlControl::trackPointer(QPoint point) {
    trackHit(anchorAt(point));
}

void MiniHtmlControl::trackHit(const pinlet::AnchorHit& hit) {
    const pinlet::AnchorTracker::Change change = tracker_.move(hit);
    if (change.entered) {
        if (anchorHint_) {
            QToolTip::hideText();
        }
        setCursor(Qt::PointingHandCursor);
        if (onAnchorEnter_) {
            onAnchorEnter_(this, tracker_.href());
        }
    } else if (!tracker_.overLink() && cursor().shape() == Qt::PointingHandCursor) {
        setCursor(Qt::ArrowCursor);
    }
    if (change.exited && onAnchorExit_) {
        onAnchorExit_(this, std::string());
    }
    if (hover_ && change.hoverChanged) {
        update();
    }
}

void MiniHtmlControl::activateAnchor(std::string href, TAnchorClick handler) {
    if (pinlet::activateLink(href) && handler) {
        handler(this, href);
    }
}

bool MiniHtmlControl::showAnchorHint(QPoint point, QPoint globalPoint, const TAnchorHintEvent& onHint) {
    if (!anchorHint_) {
        return false;
    }
    std::string hint = anchorAt(point).Href;
    if (hint.empty()) {
        return false;
    }
    if (onHint) {
        onHint(this, hint);
    }
    QToolTip::showText(globalPoint + QPoint(10, -10), plainHint(hint), this);
    return true;
}

QString MiniHtmlControl::plainHint(const std::string& text) {
    QString plain = QString::fromStdString(text);
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return QLatin1String("<p style='white-space:pre'>") + plain.toHtmlEscaped() + QLatin1String("</p>");
}

void MiniHtmlControl::pressAt(QMouseEvent& press) {
    pinlet::AnchorHit hit = anchorAt(press.position().toPoint());
    if (hit.overLink()) {
        press.accept();
        activateAnchor(std::move(hit.Href), onAnchorClick_);
    }
}

void MiniHtmlControl::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    trackPointer(event->position().toPoint());
}

void MiniHtmlControl::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    pressAt(*event);
}

void MiniHtmlControl::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (onMouseEnter_) {
        onMouseEnter_(this);
    }
}

void MiniHtmlControl::leaveEvent(QEvent* event) {
    if (tracker_.leave().hoverChanged && hover_) {
        update();
    }
    QWidget::leaveEvent(event);
    if (onMouseLeave_) {
        onMouseLeave_(this);
    }
}

void MiniHtmlControl::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange) {
        update();
    }
}
