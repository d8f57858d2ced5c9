#include "controls/QtCanvas.h"

#include "controls/MiniHtmlPicture.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPalette>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect toQRect(const MiniHtmlRect& rect) {
    return QRect(QPoint(rect.Left, rect.Top), QPoint(rect.Right - 1, rect.Bottom - 1));
}

// Text that needs Qt's formatting path: mnemonics or tabs. Everything else is measured and drawn directly,
// which is several times faster and gives the same pixels.
bool needsFormatting(const QString& text, unsigned flags) {
    return text.contains(QLatin1Char('\t')) || ((flags & dtNoPrefix) == 0 && text.contains(QLatin1Char('&')));
}

// The characters that show when "&" is a mnemonic prefix: it hides itself, and "&&" shows one "&".
QString withoutMnemonics(const QString& text) {
    QString visible;
    visible.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (++i == text.size()) {
                break;
            }
        }
        visible.append(text[i]);
    }
    return visible;
}

int formatFlags(unsigned flags) {
    int qt = Qt::TextSingleLine | Qt::TextExpandTabs | Qt::AlignLeft | Qt::AlignTop;
    if ((flags & dtNoPrefix) == 0) {
        qt |= Qt::TextShowMnemonic;
    }
    return qt;
}

QPalette appPalette() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::palette()
                                                                        : QPalette();
}

} // namespace

QtCanvas::QtCanvas(QPainter& painter, const CanvasFont& font)
    : painter_(painter), font_(font), qfont_(pinlet::QtFontFor(font, painter.device())),
      textBackground_(clNone) {}

QImage QtCanvas::measuringImage(const QPaintDevice& device) {
    QImage image(1, 1, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(device.logicalDpiX() / 0.0254));
    image.setDotsPerMeterY(qRound(device.logicalDpiY() / 0.0254));
    return image;
}

QFont QtCanvas::toQFont(const CanvasFont& font) {
    const QString face = QString::fromUtf8(font.Face.c_str());
    // List bullets ask for the symbol face, whose private encoding holds the bullet where Unicode does
    // not; the text here is Unicode, and symbol-encoded faces do not fall back to other fonts for it.
    QFont qfont = face.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0 ? QFont() : QFont(face);
    if (font.PixelHeight > 0) {
        qfont.setPixelSize(font.PixelHeight);
    } else if (font.Size > 0) {
        qfont.setPointSize(font.Size);
    }
    qfont.setBold((font.Style & fsBold) != 0);
    qfont.setItalic((font.Style & fsItalic) != 0);
    qfont.setUnderline((font.Style & fsUnderline) != 0);
    qfont.setStrikeOut((font.Style & fsStrikeOut) != 0);
    // Fully specified: a painter resolves the font it is given against its widget's font, and a property
    // left open (a style hint, say) would then pick another face for drawing than the one measured.
    qfont.setResolveMask(QFont::AllPropertiesResolved);
    return qfont;
}

CanvasFont QtCanvas::fromQFont(const QFont& font, TColor color) {
    CanvasFont result;
    result.Face = font.family().toStdString();
    if (font.pixelSize() > 0) {
        result.PixelHeight = font.pixelSize();
    } else {
        result.Size = font.pointSize();
    }
    result.Style = (font.bold() ? fsBold : 0u) | (font.italic() ? fsItalic : 0u) |
                   (font.underline() ? fsUnderline : 0u) | (font.strikeOut() ? fsStrikeOut : 0u);
    result.Color = color;
    return result;
}

QColor QtCanvas::toQColor(TColor rgb) {
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

TColor QtCanvas::fromQColor(const QColor& color) {
    return static_cast<TColor>(color.red()) | static_cast<TColor>(color.green()) << 8 |
           static_cast<TColor>(color.blue()) << 16;
}

TColor QtCanvas::systemColor(int index) {
#ifdef Q_OS_WIN
    return static_cast<TColor>(GetSysColor(index));
#else
    const QPalette p = appPalette();
    QColor color;
    switch (index) {
    case 1:
        color = p.color(QPalette::Shadow);
        break; // desktop
    case 2:
        color = p.color(QPalette::Active, QPalette::Highlight);
        break; // active caption
    case 3:
        color = p.color(QPalette::Inactive, QPalette::Highlight);
        break; // inactive caption
    case 4:
        color = p.color(QPalette::Window);
        break; // menu
    case 5:
        color = p.color(QPalette::Base);
        break; // window
    case 6:
        color = p.color(QPalette::Shadow);
        break; // window frame
    case 7:
        color = p.color(QPalette::WindowText);
        break; // menu text
    case 8:
        color = p.color(QPalette::Text);
        break; // window text
    case 9:
        color = p.color(QPalette::Active, QPalette::HighlightedText);
        break; // caption text
    case 10:
        color = p.color(QPalette::Window);
        break; // active border
    case 11:
        color = p.color(QPalette::Window);
        break; // inactive border
    case 12:
        color = p.color(QPalette::Dark);
        break; // application workspace
    case 13:
        color = p.color(QPalette::Active, QPalette::Highlight);
        break; // selection
    case 14:
        color = p.color(QPalette::Active, QPalette::HighlightedText);
        break; // selected text
    case 15:
        color = p.color(QPalette::Button);
        break; // button face
    case 16:
        color = p.color(QPalette::Dark);
        break; // button shadow
    case 17:
        color = p.color(QPalette::Disabled, QPalette::Text);
        break; // grey text
    case 18:
        color = p.color(QPalette::ButtonText);
        break; // button text
    case 19:
        color = p.color(QPalette::Inactive, QPalette::HighlightedText);
        break; // inactive caption text
    case 20:
        color = p.color(QPalette::Light);
        break; // button highlight
    case 21:
        color = p.color(QPalette::Shadow);
        break; // 3-D dark shadow
    case 22:
        color = p.color(QPalette::Midlight);
        break; // 3-D light
    case 23:
        color = p.color(QPalette::ToolTipText);
        break; // tooltip text
    case 24:
        color = p.color(QPalette::ToolTipBase);
        break; // tooltip background
    default:
        color = Qt::black;
        break;
    }
    return fromQColor(color);
#endif
}

TColor QtCanvas::resolveColor(TColor color) const {
    if (color == clNone) {
        return 0;
    }
    if (IsSystemColor(color)) {
        return systemColor(static_cast<int>(color & 0xFFu));
    }
    return color & 0xFFFFFFu;
}

void QtCanvas::setFont(const CanvasFont& font) {
    if (font == font_) {
        return;
    }
    const bool sameQtFont = font.Face == font_.Face && font.Size == font_.Size &&
                            font.PixelHeight == font_.PixelHeight && font.Style == font_.Style;
    font_ = font;
    if (!sameQtFont) {
        qfont_ = pinlet::QtFontFor(font, painter_.device());
    }
}

MiniHtmlSize QtCanvas::measureText(std::string_view text, unsigned flags) const {
    int height = qfont_->height();
    if ((flags & dtExternalLeading) != 0) {
        height += std::max(0, qfont_->leading());
    }
    if (text.empty()) {
        return {0, height};
    }
    int width = 0;
    if (text.find('\t') != std::string_view::npos) {
        width = qfont_->metrics().size(formatFlags(flags), toQString(text)).width();
    } else if ((flags & dtNoPrefix) == 0 && text.find('&') != std::string_view::npos) {
        // Measured as the characters that show, so that "a&b" is exactly as wide as "ab".
        width = qfont_->metrics().horizontalAdvance(withoutMnemonics(toQString(text)));
    } else {
        width = qfont_->plainWidth(text);
    }
    return {width, height};
}

void QtCanvas::drawText(std::string_view text, const MiniHtmlRect& box, unsigned flags) {
    if (text.empty()) {
        return;
    }
    QString qtext = toQString(text);
    const bool formatted = needsFormatting(qtext, flags);
    int width = measureText(text, flags).cx;
    const int boxWidth = std::max(0, box.Right - box.Left);
    if ((flags & dtEndEllipsis) != 0 && width > boxWidth && font_.Escapement == 0) {
        qtext = qfont_->metrics().elidedText(qtext, Qt::ElideRight, boxWidth, formatFlags(flags));
        width = boxWidth;
    }
    const int height = qfont_->height();
    const int top = (flags & dtBottom) != 0 ? box.Bottom - height : box.Top;
    const QRect cell(box.Left, top, width, height);

    painter_.save();
    if (font_.Escapement == 0) {
        painter_.setClipRect(toQRect(box), Qt::IntersectClip);
    }
    if (textBackground_ != clNone) {
        painter_.fillRect(cell, toQColor(resolveColor(textBackground_)));
    }
    // Qt leaves a run's trailing spaces out of its underline and strike-out, so words of one link would
    // show gaps between them: the lines are drawn here, over the run's whole measured width.
    const QFont& qfont = qfont_->font();
    const bool decorated = qfont.underline() || qfont.strikeOut();
    painter_.setFont(qfont_->undecorated());
    const QColor color = toQColor(resolveColor(font_.Color));
    painter_.setPen(color);
    if (font_.Escapement != 0) {
        // Rotated runs turn about the left end of their baseline, as escapement fonts do.
        painter_.translate(box.Left, top + qfont_->ascent());
        painter_.rotate(-font_.Escapement / 10.0);
        painter_.translate(-box.Left, -(top + qfont_->ascent()));
    }
    if (formatted) {
        painter_.drawText(QRect(box.Left, top, std::max(width, boxWidth), height), formatFlags(flags), qtext);
    } else {
        painter_.drawText(QPoint(box.Left, top + qfont_->ascent()), qtext);
    }
    if (decorated) {
        const int baseline = top + qfont_->ascent();
        const QFontMetrics& metrics = qfont_->metrics();
        const int thickness = std::max(1, metrics.lineWidth());
        if (qfont.underline()) {
            painter_.fillRect(QRect(box.Left, baseline + metrics.underlinePos(), width, thickness), color);
        }
        if (qfont.strikeOut()) {
            painter_.fillRect(QRect(box.Left, baseline - metrics.strikeOutPos(), width, thickness), color);
        }
    }
    painter_.restore();
}

void QtCanvas::setPen(TColor color, int width) {
    pen_ = color;
    penWidth_ = std::max(1, width);
}

void QtCanvas::fillRect(const MiniHtmlRect& rect) {
    if (brush_ == clNone || rect.Right <= rect.Left || rect.Bottom <= rect.Top) {
        return;
    }
    painter_.fillRect(QRect(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top),
                      toQColor(resolveColor(brush_)));
}

void QtCanvas::drawRectangle(const MiniHtmlRect& rect) {
    if (rect.Right <= rect.Left || rect.Bottom <= rect.Top) {
        return;
    }
    fillRect(rect);
    if (pen_ == clNone) {
        return;
    }
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    const QColor color = toQColor(resolveColor(pen_));
    const int w = std::min({penWidth_, rect.Right - rect.Left, rect.Bottom - rect.Top});
    // Four filled strips keep the outline inside the rectangle whatever the pen width.
    painter_.fillRect(QRect(rect.Left, rect.Top, rect.Right - rect.Left, w), color);
    painter_.fillRect(QRect(rect.Left, rect.Bottom - w, rect.Right - rect.Left, w), color);
    painter_.fillRect(QRect(rect.Left, rect.Top, w, rect.Bottom - rect.Top), color);
    painter_.fillRect(QRect(rect.Right - w, rect.Top, w, rect.Bottom - rect.Top), color);
    painter_.restore();
}

void QtCanvas::drawLine(int x0, int y0, int x1, int y1) {
    if (pen_ == clNone || (x0 == x1 && y0 == y1)) {
        return;
    }
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(toQColor(resolveColor(pen_)));
    // The end point is not part of the line: stop one step short of it along the major axis.
    const int dx = x1 - x0;
    const int dy = y1 - y0;
    const int steps = std::max(std::abs(dx), std::abs(dy));
    if (penWidth_ == 1) {
        // A cosmetic pen that draws both of its end points, in whatever direction the line runs (a flat
        // cap would drop the lower end, which is the start of a line drawn upwards), so that edges and
        // frames built of such lines meet exactly.
        pen.setWidth(0);
        pen.setCapStyle(Qt::SquareCap);
        painter_.setPen(pen);
        const int lastX = x0 + static_cast<int>(std::lround(dx * (steps - 1.0) / steps));
        const int lastY = y0 + static_cast<int>(std::lround(dy * (steps - 1.0) / steps));
        painter_.drawLine(x0, y0, lastX, lastY);
        painter_.restore();
        return;
    }
    pen.setWidth(penWidth_);
    pen.setCapStyle(Qt::FlatCap);
    painter_.setPen(pen);
    const double fx = x0 + dx * (steps - 1.0) / steps;
    const double fy = y0 + dy * (steps - 1.0) / steps;
    if (steps == 1) {
        painter_.drawPoint(x0, y0);
    } else {
        painter_.drawLine(QPointF(x0, y0), QPointF(fx, fy));
    }
    painter_.restore();
}

void QtCanvas::drawFocusRect(const MiniHtmlRect& rect) {
    if (rect.Right <= rect.Left || rect.Bottom <= rect.Top) {
        return;
    }
    // Every other pixel of the outline, each exactly once, so that a second call restores the pixels.
    QList<QPoint> points;
    const auto add = [&points](int x, int y) {
        if (((x + y) & 1) == 0) {
            points.append(QPoint(x, y));
        }
    };
    for (int x = rect.Left; x < rect.Right; ++x) {
        add(x, rect.Top);
        if (rect.Bottom - 1 != rect.Top) {
            add(x, rect.Bottom - 1);
        }
    }
    for (int y = rect.Top + 1; y < rect.Bottom - 1; ++y) {
        add(rect.Left, y);
        if (rect.Right - 1 != rect.Left) {
            add(rect.Right - 1, y);
        }
    }
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    const bool canInvert =
        painter_.paintEngine() != nullptr && painter_.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    if (canInvert) {
        painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter_.setPen(QPen(Qt::white, 1));
    } else {
        painter_.setPen(QPen(Qt::black, 1));
    }
    painter_.drawPoints(points.constData(), static_cast<int>(points.size()));
    painter_.restore();
}

void QtCanvas::pushClip(const MiniHtmlRect& rect) {
    clips_.push_back(painter_.hasClipping() ? std::optional<QRegion>(painter_.clipRegion()) : std::nullopt);
    painter_.setClipRect(
        QRect(rect.Left, rect.Top, std::max(0, rect.Right - rect.Left), std::max(0, rect.Bottom - rect.Top)),
        painter_.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

void QtCanvas::popClip() {
    if (clips_.empty()) {
        return;
    }
    const std::optional<QRegion> saved = clips_.back();
    clips_.pop_back();
    if (saved) {
        painter_.setClipRegion(*saved);
    } else {
        painter_.setClipping(false);
    }
}

void QtCanvas::drawPicture(const MiniHtmlPicture& picture, const MiniHtmlRect& dest) {
    const auto* qtPicture = dynamic_cast<const TMiniHtmlPicture*>(&picture);
    if (qtPicture == nullptr || qtPicture->empty() || dest.Right <= dest.Left || dest.Bottom <= dest.Top) {
        return;
    }
    painter_.drawImage(QRect(dest.Left, dest.Top, dest.Right - dest.Left, dest.Bottom - dest.Top),
                       qtPicture->image());
}

MiniHtmlSize QtCanvas::systemIconSize(bool large) const {
    const QStyle* style =
        qobject_cast<QApplication*>(QCoreApplication::instance()) ? QApplication::style() : nullptr;
    const int size = style != nullptr
                         ? style->pixelMetric(large ? QStyle::PM_LargeIconSize : QStyle::PM_SmallIconSize)
                         : (large ? 32 : 16);
    return {size, size};
}

void QtCanvas::drawSystemIcon(const std::string& source, bool large, int x, int y) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return;
    }
    static const QFileIconProvider provider;
    QIcon icon;
    bool numeric = !source.empty();
    for (char c : source) {
        numeric = numeric && c >= '0' && c <= '9';
    }
    if (numeric) {
        // The provider's own kinds stand in for the first entries of the system's icon list.
        const int index = std::clamp(std::atoi(source.c_str()), 0, static_cast<int>(QFileIconProvider::File));
        icon = provider.icon(static_cast<QFileIconProvider::IconType>(index));
    } else {
        const QFileInfo info(QString::fromUtf8(source.c_str()));
        // A path that does not exist is known by its name alone, as the shell does for such names.
        icon = provider.icon(info.exists() ? info : QFileInfo(info.fileName()));
        if (icon.isNull()) {
            icon = provider.icon(QFileIconProvider::File);
        }
    }
    const MiniHtmlSize size = systemIconSize(large);
    if (!icon.isNull()) {
        icon.paint(&painter_, QRect(x, y, size.cx, size.cy));
    }
}

int QtCanvas::pixelsPerInchX() const {
    return painter_.device() != nullptr ? painter_.device()->logicalDpiX() : 96;
}

int QtCanvas::pixelsPerInchY() const {
    return painter_.device() != nullptr ? painter_.device()->logicalDpiY() : 96;
}
