// The engine drawing through QtCanvas into a QImage (offscreen). Fonts differ from machine to machine, so
// these tests check relations between what is drawn and what is hit, never exact pixels.
#include "controls/QtCanvas.h"
#include "minihtml/GradientFill.h"
#include "minihtml/MiniHtmlRender.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

constexpr TColor kRedRgb = 0x0000FF; // 0x00BBGGRR

CanvasFont testFont() {
    CanvasFont font = QtCanvas::fromQFont(QFont(), 0x000000);
    font.Size = 0;
    font.PixelHeight = 16;
    return font;
}

QImage whiteImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// The bounding box of the pixels that match, or nothing.
std::optional<QRect> inkBox(const QImage& image, const std::function<bool(QColor)>& match) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (match(image.pixelColor(x, y))) {
                box = box.united(QRect(x, y, 1, 1));
            }
        }
    }
    return box.isNull() ? std::nullopt : std::optional<QRect>(box);
}

bool notWhite(QColor c) {
    return c != QColor(Qt::white);
}
bool reddish(QColor c) {
    return c.red() > 150 && c.green() < 110 && c.blue() < 110;
}

struct Render {
    QImage image = whiteImage(320, 80);
    MiniHtmlRenderInput in;

    MiniHtmlRenderOutput run(const std::string& text, bool checkOnly = false, int x = 0, int y = 0) {
        QPainter painter(&image);
        QtCanvas canvas(painter, testFont());
        canvas.setBrush(0xFFFFFF);
        in.Canvas = &canvas;
        in.Rect = {0, 0, image.width(), image.height()};
        in.Text = text;
        in.CheckOnly = checkOnly;
        in.X = x;
        in.Y = y;
        return MiniHtmlRender(in);
    }
};

TEST(QtCanvas, ADrawnLinkIsHitWhereItIsDrawn) {
    Render r;
    r.in.URLColor = kRedRgb;
    const std::string text = "Go <a href=\"there\">WWWWW</a> back";
    r.run(text);
    const std::optional<QRect> link = inkBox(r.image, reddish);
    ASSERT_TRUE(link.has_value());
    const std::optional<QRect> all = inkBox(r.image, notWhite);
    ASSERT_TRUE(all.has_value());
    EXPECT_GT(link->left(), all->left()); // "Go " stands before it

    MiniHtmlRenderOutput out = r.run(text, true, link->center().x(), link->center().y());
    EXPECT_TRUE(out.Result);
    EXPECT_EQ(out.AnchorHref, "there");
    EXPECT_EQ(out.AnchorIndex, 1);
    EXPECT_TRUE(QRect(QPoint(out.AnchorRect.Left, out.AnchorRect.Top),
                      QPoint(out.AnchorRect.Right, out.AnchorRect.Bottom))
                    .contains(link->center()));
    // Left of the link, over "Go", there is none.
    out = r.run(text, true, all->left() + 1, link->center().y());
    EXPECT_FALSE(out.Result);
}

TEST(QtCanvas, AMnemonicAmpersandIsNotDrawn) {
    QImage image = whiteImage(100, 40);
    QPainter painter(&image);
    QtCanvas canvas(painter, testFont());
    const int plain = canvas.measureText("ab", dtBottom).cx;
    EXPECT_EQ(canvas.measureText("a&b", dtBottom).cx, plain);
    EXPECT_EQ(canvas.measureText("&&", dtBottom).cx, canvas.measureText("&", dtBottom | dtNoPrefix).cx);
    EXPECT_GT(canvas.measureText("a&b", dtBottom | dtNoPrefix).cx, plain);

    canvas.drawText("a&b", {10, 0, 100, 30}, dtBottom);
    painter.end();
    const std::optional<QRect> ink = inkBox(image, notWhite);
    ASSERT_TRUE(ink.has_value());
    EXPECT_LE(ink->right(), 10 + plain + 1);
}

TEST(QtCanvas, ARotatedRunDraws) {
    Render r;
    r.image = whiteImage(200, 200);
    r.run("<br><br><br><br><br><br><br><br><r a=\"90\">HHHHHHHH</r>");
    const std::optional<QRect> ink = inkBox(r.image, notWhite);
    ASSERT_TRUE(ink.has_value());
    EXPECT_GT(ink->height(), ink->width()); // it stands upright
    EXPECT_LT(ink->top(), 8 * 16);          // and rises above its line
}

TEST(QtCanvas, EllipsisKeepsTheRunInsideItsBox) {
    Render r;
    r.in.WordWrap = false;
    r.image = whiteImage(80, 30);
    r.run("A long line that cannot fit");
    const std::optional<QRect> ink = inkBox(r.image, notWhite);
    ASSERT_TRUE(ink.has_value());
    EXPECT_LT(ink->right(), 80);
}

TEST(QtCanvas, FocusRectangleDrawnTwiceLeavesNoTrace) {
    QImage image = whiteImage(60, 30);
    image.setPixelColor(12, 5, Qt::blue);
    const QImage before = image;
    {
        QPainter painter(&image);
        QtCanvas canvas(painter, testFont());
        canvas.drawFocusRect({5, 5, 40, 20});
        painter.end();
    }
    EXPECT_NE(image, before);
    EXPECT_TRUE(inkBox(image, [](QColor c) { return c == QColor(Qt::black); }).has_value());
    {
        QPainter painter(&image);
        QtCanvas canvas(painter, testFont());
        canvas.drawFocusRect({5, 5, 40, 20});
    }
    EXPECT_EQ(image, before);
}

TEST(QtCanvas, GradientFillsTheWholeRectangle) {
    QImage image = whiteImage(64, 10);
    {
        QPainter painter(&image);
        QtCanvas canvas(painter, testFont());
        GradientFill(canvas, 0x000000, 0x0000FF, true, {0, 0, 64, 10}, 8);
    }
    EXPECT_EQ(image.pixelColor(0, 0), QColor(0, 0, 0));
    EXPECT_EQ(image.pixelColor(63, 9), QColor(RoundHalfEven(7 * 255 / 8.0), 0, 0));
    for (int x = 1; x < 64; ++x) {
        EXPECT_GE(image.pixelColor(x, 5).red(), image.pixelColor(x - 1, 5).red()) << x;
    }
}

TEST(QtCanvas, ClipsNestAndComeOff) {
    QImage image = whiteImage(40, 40);
    {
        QPainter painter(&image);
        QtCanvas canvas(painter, testFont());
        canvas.setBrush(0x000000);
        canvas.pushClip({0, 0, 20, 20});
        canvas.pushClip({10, 10, 40, 40});
        canvas.fillRect({0, 0, 40, 40});
        canvas.popClip();
        canvas.popClip();
        canvas.fillRect({30, 30, 31, 31});
    }
    EXPECT_EQ(inkBox(image, notWhite), std::optional<QRect>(QRect(10, 10, 21, 21)));
    EXPECT_EQ(image.pixelColor(25, 25), QColor(Qt::white));
}

TEST(QtCanvas, ColoursAndFonts) {
    EXPECT_EQ(QtCanvas::toQColor(0x123456), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(QtCanvas::fromQColor(QColor(0x56, 0x34, 0x12)), 0x123456u);
    QImage image = whiteImage(4, 4);
    QPainter painter(&image);
    QtCanvas canvas(painter, testFont());
    EXPECT_EQ(canvas.resolveColor(0x123456), 0x123456u);
    EXPECT_EQ(canvas.resolveColor(SystemColor(13)), QtCanvas::systemColor(13));
    EXPECT_EQ(canvas.pixelsPerInchX(), image.logicalDpiX());

    // A measuring canvas takes the resolution of the device it stands in for.
    QImage screen = whiteImage(4, 4);
    screen.setDotsPerMeterX(qRound(120 / 0.0254));
    screen.setDotsPerMeterY(qRound(144 / 0.0254));
    const QImage measuring = QtCanvas::measuringImage(screen);
    EXPECT_EQ(measuring.logicalDpiX(), 120);
    EXPECT_EQ(measuring.logicalDpiY(), 144);

    CanvasFont font = testFont();
    font.Style = fsBold | fsUnderline;
    const QFont qfont = QtCanvas::toQFont(font);
    EXPECT_TRUE(qfont.bold());
    EXPECT_TRUE(qfont.underline());
    EXPECT_FALSE(qfont.italic());
    EXPECT_EQ(qfont.pixelSize(), 16);
    EXPECT_EQ(QtCanvas::fromQFont(qfont, 0x0000FF).Style, font.Style);
    font.PixelHeight = 0;
    font.Size = 12;
    EXPECT_EQ(QtCanvas::toQFont(font).pointSize(), 12);
}

} // namespace

TEST(QtCanvas, LinesStopJustBeforeTheirEndPointInEveryDirection) {
    QImage image = whiteImage(12, 12);
    QPainter painter(&image);
    QtCanvas canvas(painter, testFont());
    canvas.setPen(0x000000, 1);
    canvas.drawLine(1, 1, 10, 1);   // right
    canvas.drawLine(10, 10, 1, 10); // left
    canvas.drawLine(3, 9, 3, 2);    // up
    canvas.drawLine(8, 2, 8, 9);    // down
    canvas.drawLine(5, 5, 6, 5);    // one pixel
    painter.end();
    const auto black = [&image](int x, int y) { return image.pixelColor(x, y) == QColor(Qt::black); };
    EXPECT_TRUE(black(1, 1) && black(9, 1));
    EXPECT_FALSE(black(10, 1));
    EXPECT_TRUE(black(10, 10) && black(2, 10));
    EXPECT_FALSE(black(1, 10));
    EXPECT_TRUE(black(3, 9) && black(3, 3));
    EXPECT_FALSE(black(3, 2));
    EXPECT_TRUE(black(8, 2) && black(8, 8));
    EXPECT_FALSE(black(8, 9));
    EXPECT_TRUE(black(5, 5));
    EXPECT_FALSE(black(6, 5));
}

// A painter resolves its font against the widget's: nothing of a window font (its style hint, spacing)
// may leak into the face drawn, or runs are drawn wider than they were measured and overlap.
TEST(QtCanvas, TheFontDrawnIsTheFontMeasuredWhateverTheWidgetsFont) {
    QFont widgetfont;
    widgetfont.setFamilies({"MS Sans Serif", "Tahoma"});
    widgetfont.setStyleHint(QFont::Serif);
    widgetfont.setWordSpacing(7);
    widgetfont.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    const QFont canvasfont = QtCanvas::toQFont(testFont());
    EXPECT_EQ(canvasfont.resolve(widgetfont), canvasfont);
}

TEST(QtCanvas, UnderlineAndStrikeOutRunOverTrailingSpaces) {
    // The words of one link are separate runs, each with its trailing space: the line must reach the
    // next run, or a link shows gaps between its words. Several sizes, since advances in fractions of a
    // pixel are what cut a line short.
    for (const unsigned style : {unsigned{fsUnderline}, unsigned{fsStrikeOut}}) {
        for (int pixels = 9; pixels <= 27; pixels += 3) {
            QImage image = whiteImage(240, 60);
            QPainter painter(&image);
            CanvasFont font = testFont();
            font.PixelHeight = pixels;
            font.Style = style;
            font.Color = kRedRgb;
            QtCanvas canvas(painter, font);
            const int run = canvas.measureText("Jegyzet ", dtBottom).cx;
            ASSERT_GT(run, canvas.measureText("Jegyzet", dtBottom).cx);
            canvas.drawText("Jegyzet ", {10, 0, 240, 50}, dtBottom);
            painter.end();
            const std::optional<QRect> ink = inkBox(image, reddish);
            ASSERT_TRUE(ink.has_value());
            // Up to the run's last column; the next run starts right after it.
            EXPECT_EQ(ink->right(), 10 + run - 1) << "style " << style << ", " << pixels << " px";
        }
    }
}
