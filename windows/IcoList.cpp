#include "windows/IcoList.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace pinlet {

namespace {

// An icon file holds one picture per size; no real one has more than a handful. The bound keeps a small
// file whose directory points many entries at one large picture from decoding into gigabytes.
constexpr int kMaxImagesPerIcon = 64;
constexpr int kMaxIconSide = 256;

void put16(QByteArray& out, std::uint16_t value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void put32(QByteArray& out, std::uint32_t value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

// One picture as a 32-bit device-independent bitmap: header, colour rows bottom-up in BGRA, then the
// 1-bit transparency mask that older readers expect (1 where the pixel is fully transparent).
QByteArray bitmapentry(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const int width = image.width();
    const int height = image.height();
    const int maskStride = ((width + 31) / 32) * 4;
    QByteArray out;
    put32(out, 40);
    put32(out, std::uint32_t(width));
    put32(out, std::uint32_t(height * 2)); // colour rows and mask rows together
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, std::uint32_t(width * height * 4 + maskStride * height));
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    for (int y = height - 1; y >= 0; --y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x)
            put32(out, line[x]); // 0xAARRGGBB little-endian is B, G, R, A
    }
    for (int y = height - 1; y >= 0; --y) {
        QByteArray mask(maskStride, '\0');
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x)
            if (qAlpha(line[x]) == 0)
                mask[x / 8] = char(mask[x / 8] | (0x80 >> (x % 8)));
        out.append(mask);
    }
    return out;
}

QList<QImage> iconpictures(const QIcon& icon) {
    QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty())
        sizes = {QSize(32, 32), QSize(16, 16)}; // a scalable icon: the two sizes the shell asks for
    QList<QImage> pictures;
    QList<QSize> seen;
    for (const QSize& size : sizes) {
        QImage image = icon.pixmap(size, 1.0).toImage();
        if (image.isNull())
            continue;
        if (image.width() > kMaxIconSide || image.height() > kMaxIconSide)
            image = image.scaled(kMaxIconSide, kMaxIconSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (seen.contains(image.size()))
            continue;
        seen.append(image.size());
        pictures.append(image);
    }
    return pictures;
}

std::uint32_t get32(const QByteArray& data, qsizetype at) {
    return qFromLittleEndian<std::uint32_t>(data.constData() + at);
}

} // namespace

QByteArray iconfilebytes(const QIcon& icon) {
    if (icon.isNull())
        return {};
    const QList<QImage> pictures = iconpictures(icon);
    if (pictures.isEmpty())
        return {};
    QList<QByteArray> entries;
    for (const QImage& picture : pictures)
        entries.append(bitmapentry(picture));

    QByteArray out;
    put16(out, 0);
    put16(out, 1); // an icon, not a cursor
    put16(out, std::uint16_t(entries.size()));
    std::uint32_t offset = std::uint32_t(6 + 16 * entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QImage& picture = pictures[i];
        out.append(char(picture.width() == kMaxIconSide ? 0 : picture.width())); // 0 stands for 256
        out.append(char(picture.height() == kMaxIconSide ? 0 : picture.height()));
        out.append(char(0)); // no palette
        out.append(char(0));
        put16(out, 1);
        put16(out, 32);
        put32(out, std::uint32_t(entries[i].size()));
        put32(out, offset);
        offset += std::uint32_t(entries[i].size());
    }
    for (const QByteArray& entry : entries)
        out.append(entry);
    return out;
}

QIcon iconfromfilebytes(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return {};
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    const int images = reader.imageCount();
    if (images <= 0)
        throw std::runtime_error("The icon data cannot be read");
    if (images > kMaxImagesPerIcon)
        throw std::runtime_error("The icon data holds too many pictures");
    QIcon icon;
    for (int i = 0; i < images; ++i) {
        if (!reader.jumpToImage(i))
            throw std::runtime_error("The icon data cannot be read");
        const QImage image = reader.read();
        if (image.isNull())
            throw std::runtime_error("The icon data cannot be read");
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

void TIconList::add(const QIcon& icon) {
    icons_.append(icon);
    changed();
}

void TIconList::insert(int index, const QIcon& icon) {
    icons_.insert(index, icon);
    changed();
}

void TIconList::replace(int index, const QIcon& icon) {
    icons_.replace(index, icon);
    changed();
}

void TIconList::remove(int index) {
    icons_.removeAt(index);
    changed();
}

void TIconList::clear() {
    if (icons_.isEmpty())
        return;
    icons_.clear();
    changed();
}

void TIconList::assign(const TIconList& other) {
    if (&other == this)
        return;
    icons_ = other.icons_;
    changed();
}

void TIconList::BeginUpdate() {
    ++updating_;
}

void TIconList::EndUpdate() {
    if (updating_ == 0)
        return;
    if (--updating_ == 0 && changedWhileUpdating_) {
        changedWhileUpdating_ = false;
        changed();
    }
}

void TIconList::changed() {
    if (updating_ > 0) {
        changedWhileUpdating_ = true;
        return;
    }
    if (OnChange)
        OnChange();
}

QByteArray TIconList::writedata() const {
    QByteArray out;
    put32(out, std::uint32_t(icons_.size()));
    for (const QIcon& icon : icons_) {
        const QByteArray bytes = iconfilebytes(icon);
        put32(out, std::uint32_t(bytes.size()));
        out.append(bytes);
    }
    return out;
}

void TIconList::readdata(const QByteArray& data) {
    if (data.size() < 4)
        throw std::runtime_error("The icon list data is truncated");
    const std::uint32_t count = get32(data, 0);
    qsizetype at = 4;
    // Every entry needs at least its length field: a count beyond that is damage, not a big list.
    if (count > std::uint32_t((data.size() - at) / 4))
        throw std::runtime_error("The icon list data is truncated");
    QList<QIcon> icons;
    icons.reserve(qsizetype(count));
    for (std::uint32_t i = 0; i < count; ++i) {
        if (data.size() - at < 4)
            throw std::runtime_error("The icon list data is truncated");
        const std::uint32_t length = get32(data, at);
        at += 4;
        if (length > std::uint64_t(data.size() - at))
            throw std::runtime_error("The icon list data is truncated");
        icons.append(iconfromfilebytes(data.mid(at, qsizetype(length))));
        at += qsizetype(length);
    }
    if (at != data.size())
        throw std::runtime_error("The icon list data has bytes after its last icon");
    icons_ = std::move(icons);
    changed();
}

} // namespace pinlet
