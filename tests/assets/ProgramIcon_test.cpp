// The program icon is the note sheet with the green plus: yellow, green, and no red, in every size the
// tray and the window manager take, and in the Windows icon file made from the same drawing.
#include "assets/Artwork.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>

namespace {

struct Colours {
    double yellow = 0, green = 0, red = 0;
};

// Shares of the opaque pixels by the colour they are mostly.
Colours colours(const QImage& image) {
    Colours c;
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor p = image.pixelColor(x, y);
            if (p.alpha() < 200)
                continue;
            ++opaque;
            const int r = p.red(), g = p.green(), b = p.blue();
            c.yellow += r > 190 && g > 190 && b < 170;
            c.green += g > r + 40 && g > b + 40;
            c.red += r > g + 80 && r > b + 80;
        }
    if (opaque > 0) {
        c.yellow /= opaque;
        c.green /= opaque;
        c.red /= opaque;
    }
    return c;
}

void expectNoteWithPlus(const QImage& image, const char* what) {
    ASSERT_FALSE(image.isNull()) << what;
    const Colours c = colours(image.convertToFormat(QImage::Format_ARGB32));
    EXPECT_GT(c.yellow, 0.2) << what << ": a yellow sheet";
    EXPECT_GT(c.green, 0.15) << what << ": a green plus";
    EXPECT_EQ(c.red, 0.0) << what << ": nothing red (the pin is not the program's icon)";
}

TEST(ProgramIcon, IsAYellowNoteSheetWithAGreenPlusInEverySize) {
    const QIcon icon = pinlet::programicon();
    for (const int side : {16, 24, 32, 48, 256})
        expectNoteWithPlus(icon.pixmap(QSize(side, side)).toImage(), "the program icon");
    // The icon file of pinlet.exe is made from the same drawing.
    QImageReader file(QStringLiteral(PINLET_WINDOWS_ICON));
    int pictures = 0;
    do {
        const QImage picture = file.read();
        if (picture.isNull())
            break;
        ++pictures;
        expectNoteWithPlus(picture, "pinlet.ico");
    } while (file.jumpToNextImage());
    EXPECT_GE(pictures, 2) << "the icon file holds " << pictures << " pictures";
}

} // namespace
