#include "windows/IcoList.h"

#include <QImage>
#include <QPixmap>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

namespace {

using pinlet::TIconList;

// A square picture in one colour, with a fully transparent and a half transparent pixel in its first row.
QImage picture(int side, QRgb colour) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(colour);
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    image.setPixel(1, 0, qRgba(10, 20, 30, 128));
    return image;
}

QIcon icon(std::initializer_list<std::pair<int, QRgb>> pictures) {
    QIcon result;
    for (const auto& [side, colour] : pictures)
        result.addPixmap(QPixmap::fromImage(picture(side, colour)));
    return result;
}

QByteArray le32(std::uint32_t value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// The picture of the given size in an icon, exactly as stored.
QImage at(const QIcon& icon, int side) {
    return icon.pixmap(QSize(side, side), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST(IconList, TheBinaryFormRoundTripsEveryIconSizeAndPixel) {
    TIconList list;
    list.add(
        icon({{32, qRgb(255, 255, 0)}, {16, qRgb(0, 160, 0)}})); // the program's icon has these two sizes
    list.add(QIcon());                                           // an empty entry stays empty
    list.add(icon({{48, qRgba(200, 0, 0, 255)}}));
    list.add(icon({{256, qRgb(1, 2, 3)}})); // the largest side an icon file can name

    TIconList copy;
    copy.readdata(list.writedata());
    ASSERT_EQ(copy.count(), 4);
    EXPECT_TRUE(copy.at(1).isNull());
    const struct {
        int entry;
        int side;
        QRgb colour;
    } pictures[] = {{0, 32, qRgb(255, 255, 0)},
                    {0, 16, qRgb(0, 160, 0)},
                    {2, 48, qRgb(200, 0, 0)},
                    {3, 256, qRgb(1, 2, 3)}};
    for (const auto& p : pictures) {
        EXPECT_TRUE(copy.at(p.entry).availableSizes().contains(QSize(p.side, p.side)))
            << p.entry << " " << p.side;
        EXPECT_EQ(at(copy.at(p.entry), p.side), picture(p.side, p.colour)) << p.entry << " " << p.side;
    }
    EXPECT_EQ(copy.writedata(), list.writedata()) << "a second round gives the same bytes";
}

TEST(IconList, TheBinaryFormIsACountThenLengthPrefixedIconFiles) {
    TIconList list;
    list.add(QIcon());
    list.add(icon({{16, qRgb(9, 9, 9)}}));
    const QByteArray data = list.writedata();
    ASSERT_GE(data.size(), 4 + 4 + 4 + 6);
    EXPECT_EQ(data.left(4), le32(2));
    EXPECT_EQ(data.mid(4, 4), le32(0)) << "an empty icon is a zero length";
    const std::uint32_t length = qFromLittleEndian<std::uint32_t>(data.constData() + 8);
    EXPECT_EQ(qsizetype(length), data.size() - 12);
    // An icon file header: reserved 0, type 1 (icon), one picture; then its 16-by-16, 32-bit entry.
    EXPECT_EQ(data.mid(12, 6), QByteArray("\0\0\1\0\1\0", 6));
    EXPECT_EQ(data.mid(18, 4), QByteArray("\x10\x10\0\0", 4));
    EXPECT_EQ(data.mid(24, 2), QByteArray("\x20\0", 2));

    TIconList empty;
    EXPECT_EQ(empty.writedata(), le32(0));
    TIconList target;
    target.add(icon({{16, qRgb(1, 1, 1)}}));
    target.readdata(le32(0));
    EXPECT_EQ(target.count(), 0) << "reading replaces the contents";
}

TEST(IconList, DamagedDataIsRefusedAndTheListKeptAsItWas) {
    TIconList source;
    source.add(icon({{16, qRgb(9, 9, 9)}}));
    const QByteArray good = source.writedata();
    struct Case {
        QByteArray data;
        const char* why;
    };
    const Case cases[] = {
        {QByteArray(), "no count"},
        {QByteArray("\1\0\0", 3), "a short count"},
        {le32(1), "a count without its entry"},
        {le32(0xFFFFFFFF) + le32(0), "a count far beyond the data"},
        {le32(1) + le32(100) + QByteArray(10, 'x'), "a length beyond the data"},
        {le32(1) + le32(0x80000000), "a length beyond any data"},
        {le32(1) + le32(4) + QByteArray("junk"), "bytes that are no icon"},
        {good.left(good.size() - 1), "an icon cut short"},
        {good + QByteArray(1, '\0'), "bytes after the last icon"},
    };
    for (const Case& c : cases) {
        TIconList list;
        list.add(icon({{16, qRgb(1, 2, 3)}}));
        int changes = 0;
        list.OnChange = [&] { ++changes; };
        EXPECT_THROW(list.readdata(c.data), std::runtime_error) << c.why;
        EXPECT_EQ(list.count(), 1) << c.why;
        EXPECT_EQ(changes, 0) << c.why;
    }
}

TEST(IconList, AnIconFileWithManyPicturesIsRefused) {
    // A directory of a thousand entries all pointing at one picture: small data, huge when decoded.
    const QByteArray single = pinlet::iconfilebytes(icon({{16, qRgb(5, 5, 5)}}));
    const int entries = 1000;
    QByteArray file("\0\0\1\0", 4);
    file.append(char(entries & 0xFF)).append(char(entries >> 8));
    const QByteArray entry = single.mid(6, 12);
    for (int i = 0; i < entries; ++i)
        file.append(entry).append(le32(std::uint32_t(6 + 16 * entries)));
    file.append(single.mid(22));
    EXPECT_THROW(pinlet::iconfromfilebytes(file), std::runtime_error);
}

TEST(IconList, EveryChangeIsReportedOutsideAnUpdate) {
    TIconList list;
    int changes = 0;
    list.OnChange = [&] { ++changes; };
    const QIcon one = icon({{16, qRgb(1, 1, 1)}});
    list.add(one);
    list.insert(0, one);
    list.replace(1, QIcon());
    list.remove(0);
    list.clear();
    list.clear(); // already empty: nothing changed
    EXPECT_EQ(changes, 5);

    changes = 0;
    list.BeginUpdate();
    list.BeginUpdate();
    list.add(one);
    list.add(one);
    list.EndUpdate();
    EXPECT_EQ(changes, 0) << "still inside the outer update";
    list.EndUpdate();
    EXPECT_EQ(changes, 1) << "one report for the whole update";
    list.BeginUpdate();
    list.EndUpdate();
    list.EndUpdate(); // unmatched: harmless
    EXPECT_EQ(changes, 1) << "an update that changed nothing reports nothing";
    list.add(one);
    EXPECT_EQ(changes, 2);

    TIconList other;
    other.assign(list);
    EXPECT_EQ(other.count(), 3);
}

} // namespace
