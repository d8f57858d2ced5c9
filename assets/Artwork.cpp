#include "assets/Artwork.h"

#include <QPainter>
#include <QSvgRenderer>

#include <array>
#include <cmath>

namespace pinlet {

namespace {

struct Entry {
    const char* file;
    QSize size;
};

const Entry& entry(Artwork picture) {
    static const std::array<Entry, 8> entries{{
        {"pin_leaning.svg", {50, 40}},
        {"pin_upright.svg", {50, 40}},
        {"floppy.svg", {25, 24}},
        {"cross.svg", {23, 28}},
        {"grip.svg", {16, 16}},
        {"newnote.svg", {30, 30}},
        {"wastebin.svg", {30, 30}},
        {"pinlet.svg", {256, 256}},
    }};
    return entries.at(static_cast<std::size_t>(picture));
}

} // namespace

QSize artworksize(Artwork picture) {
    return entry(picture).size;
}

QString artworkpath(Artwork picture) {
    return QStringLiteral(":/pinlet/icons/") + QString::fromLatin1(entry(picture).file);
}

QImage artworkimage(Artwork picture, QSize pixels) {
    QSvgRenderer renderer(artworkpath(picture));
    if (!renderer.isValid() || pixels.isEmpty())
        return {};
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
    return image;
}

QPixmap artworkpixmap(Artwork picture, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QSize logical = artworksize(picture);
    const QSize pixels(int(std::ceil(logical.width() * ratio)), int(std::ceil(logical.height() * ratio)));
    QPixmap pixmap = QPixmap::fromImage(artworkimage(picture, pixels));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QIcon programicon() {
    QIcon icon;
    for (const int side : {16, 20, 24, 32, 40, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(artworkimage(Artwork::ProgramIcon, QSize(side, side))));
    return icon;
}

} // namespace pinlet
