#pragma once
// The mini-HTML Canvas over a QPainter: a widget in its paint event, a QImage or a QPixmap.

#include "controls/QtFontCache.h"
#include "minihtml/Canvas.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRegion>

#include <memory>
#include <optional>
#include <vector>

class QPainter;

class QtCanvas : public Canvas {
public:
    // The painter must be active and outlive the canvas. The canvas starts with font, a white brush, a
    // black pen and a transparent text background; the painter's own state is set on every drawing call, so
    // code that shares the painter may change it freely in between.
    QtCanvas(QPainter& painter, const CanvasFont& font);

    CanvasFont font() const override { return font_; }
    void setFont(const CanvasFont& font) override;
    MiniHtmlSize measureText(std::string_view text, unsigned flags) const override;
    void drawText(std::string_view text, const MiniHtmlRect& box, unsigned flags) override;
    void setTextBackground(TColor color) override { textBackground_ = color; }
    void setPen(TColor color, int width) override;
    void setBrush(TColor color) override { brush_ = color; }
    TColor brushColor() const override { return brush_; }
    void fillRect(const MiniHtmlRect& rect) override;
    void drawRectangle(const MiniHtmlRect& rect) override;
    void drawLine(int x0, int y0, int x1, int y1) override;
    void drawFocusRect(const MiniHtmlRect& rect) override;
    void pushClip(const MiniHtmlRect& rect) override;
    void popClip() override;
    void drawPicture(const MiniHtmlPicture& picture, const MiniHtmlRect& dest) override;
    MiniHtmlSize systemIconSize(bool large) const override;
    void drawSystemIcon(const std::string& source, bool large, int x, int y) override;
    int pixelsPerInchX() const override;
    int pixelsPerInchY() const override;
    TColor resolveColor(TColor color) const override;

    // A 1 x 1 image with the resolution of device. A canvas over it measures and hit-tests outside a paint
    // event exactly as a canvas painting on device would, point sizes included.
    static QImage measuringImage(const QPaintDevice& device);

    // The Qt font that a CanvasFont stands for: the face by name (the platform picks a fallback for a face
    // that is not installed; "Symbol" gives the default face, which holds the Unicode bullet), PixelHeight
    // as the pixel size when set, else Size in points.
    static QFont toQFont(const CanvasFont& font);
    // A CanvasFont for a Qt font and a text colour; a font given in pixels keeps its pixel size.
    static CanvasFont fromQFont(const QFont& font, TColor color);
    // The RGB value of a system colour number 1 to 24 (the Windows colour indices) on this platform.
    static TColor systemColor(int index);
    static QColor toQColor(TColor rgb);
    static TColor fromQColor(const QColor& color);

private:
    QPainter& painter_;
    CanvasFont font_;
    std::shared_ptr<pinlet::QtFontEntry> qfont_; // shared by every canvas on devices of this resolution
    TColor textBackground_;
    TColor pen_ = 0;
    int penWidth_ = 1;
    TColor brush_ = 0xFFFFFFu;
    // Each pushClip remembers the clip it replaced (none: the painter did not clip).
    std::vector<std::optional<QRegion>> clips_;
};
