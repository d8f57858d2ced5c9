// The compiled-in pictures: every one is present, drawn at its layout size, and sharp at higher scaling.
#include "assets/Artwork.h"

#include <gtest/gtest.h>

#include <QFile>

namespace pinlet {
namespace {

constexpr Artwork kAll[] = {Artwork::PinLeaning, Artwork::PinUpright, Artwork::Floppy,
                            Artwork::Cross,      Artwork::Grip,       Artwork::NewNote,
                            Artwork::WasteBin,   Artwork::ProgramIcon};

// Share of pixels that are at least half opaque.
double inkshare(const QImage& image) {
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += qAlpha(image.pixel(x, y)) >= 128;
    return double(ink) / (image.width() * image.height());
}

TEST(Artwork, EveryPictureIsCompiledInAndDrawsSomethingOnTransparency) {
    for (const Artwork picture : kAll) {
        SCOPED_TRACE(artworkpath(picture).toStdString());
        EXPECT_TRUE(QFile::exists(artworkpath(picture)));
        const QImage image = artworkimage(picture, artworksize(picture));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), artworksize(picture));
        const double share = inkshare(image);
        EXPECT_GT(share, 0.04); // something is drawn
        if (picture != Artwork::ProgramIcon) {
            EXPECT_LT(share, 0.9); // a picture on a bar, not a filled block
        }
    }
}

TEST(Artwork, PixmapsAreDrawnAtTheDeviceResolutionAndKeepTheirLayoutSize) {
    for (const qreal ratio : {1.0, 1.5, 2.0}) {
        const QPixmap pin = artworkpixmap(Artwork::PinLeaning, ratio);
        EXPECT_EQ(pin.size(), QSize(qRound(50 * ratio), qRound(40 * ratio)));
        EXPECT_EQ(pin.deviceIndependentSize().toSize(), QSize(50, 40));
    }
    // The two pins differ: pinning must be visible.
    EXPECT_NE(artworkimage(Artwork::PinLeaning, {50, 40}), artworkimage(Artwork::PinUpright, {50, 40}));
}

TEST(Artwork, ProgramIconHasEverySizeFromSixteenToTwoHundredFiftySix) {
    const QIcon icon = programicon();
    const QList<QSize> sizes = icon.availableSizes();
    for (const int side : {16, 24, 32, 48, 256})
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
    EXPECT_GT(inkshare(icon.pixmap(QSize(16, 16)).toImage()), 0.5);
}

} // namespace
} // namespace pinlet
