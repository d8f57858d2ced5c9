// Picture sources: loading by URL with its bounds, the cache and the container, and pictures drawn by
// the engine through QtCanvas.
#include "controls/MiniHtmlImageList.h"
#include "controls/MiniHtmlPicture.h"
#include "controls/MiniHtmlPictureCache.h"
#include "controls/MiniHtmlPictureContainer.h"
#include "controls/QtCanvas.h"
#include "minihtml/MiniHtmlRender.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

std::string loadError(const std::string& url) {
    TMiniHtmlPicture picture;
    try {
        picture.loadFromUrl(url);
    } catch (const std::runtime_error& error) {
        EXPECT_TRUE(picture.empty()) << url;
        EXPECT_EQ(picture.url(), url);
        return error.what();
    }
    return picture.empty() ? "empty" : "loaded";
}

QString writePng(const QTemporaryDir& dir, const QString& name, QColor colour, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir.filePath(name);
    EXPECT_TRUE(image.save(path, "PNG"));
    return path;
}

QString writeBytes(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
}

TEST(MiniHtmlPicture, LoadingByUrl) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string png = writePng(dir, "p.png", Qt::red, 5, 7).toStdString();
    const std::string garbage = writeBytes(dir, "g.png", "not a picture").toStdString();
    const std::string empty = writeBytes(dir, "e.png", "").toStdString();
    QByteArray big(TMiniHtmlPicture::kMaxFileSize + 1, '\0');
    const std::string tooBig = writeBytes(dir, "big.png", big).toStdString();
    big.clear();

    struct Row {
        const char* comment;
        std::string url;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"a file", "FILE://" + png, "loaded"},
        {"any letter case", "file://" + png, "loaded"},
        {"the local host by name", "file://localhost" + png, "loaded"},
        {"a host (\"//tmp\"), refused before any look", "FILE:///" + png, "Could not load image"},
        {"a long UNC path", "FILE://\\\\?\\UNC" + png, "Could not load image"},
        {"bytes that do not decode", "FILE://" + garbage, "Could not load image. Invalid format"},
        {"an empty file", "FILE://" + empty, "Empty image stream created"},
        {"a file over the size bound is not read", "FILE://" + tooBig, "Could not load image"},
        {"a folder is not a regular file", "FILE://" + dir.path().toStdString(), "Could not load image"},
        {"a missing file", "FILE://" + dir.filePath("none.png").toStdString(), "Could not load image"},
        {"a missing resource", "RES://no/such/picture.png", "Could not load image"},
        {"other URLs are only remembered", "http://example.invalid/p.png", "empty"},
        {"no scheme", "p.png", "empty"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(loadError(row.url), row.expected) << row.comment;
    }
#ifndef Q_OS_WIN
    // A device would never end: it is refused before any read.
    EXPECT_EQ(loadError("FILE:///dev/zero"), "Could not load image");
#endif
}

TEST(MiniHtmlPicture, CacheAndContainerLookups) {
    QTemporaryDir dir;
    const std::string url = "FILE://" + writePng(dir, "p.png", Qt::red, 5, 7).toStdString();
    TMiniHtmlPictureCache cache;
    EXPECT_EQ(cache.findPicture(url), nullptr);
    cache.addPicture(url);
    EXPECT_THROW(cache.addPicture("FILE://" + dir.filePath("missing").toStdString()), std::runtime_error);
    EXPECT_EQ(cache.count(), 2); // a failed load stays remembered, empty
    ASSERT_NE(cache.findPicture(url), nullptr);
    EXPECT_EQ(cache.findPicture(url)->width(), 5);
    EXPECT_EQ(cache.findPicture("file://" + url.substr(7)), nullptr); // URLs match exactly
    cache.clear();
    EXPECT_EQ(cache.count(), 0);

    TMiniHtmlPictureContainer container;
    TPictureItem& first = container.Items.Add();
    first.Name = "Logo";
    first.Picture.setImage(QImage(3, 3, QImage::Format_RGB32));
    container.Items.Add().Name = "logo";
    EXPECT_EQ(container.findPicture("LOGO"), &first.Picture); // the first of equal names, any case
    EXPECT_EQ(container.findPicture("other"), nullptr);
}

TEST(MiniHtmlPicture, EngineDrawsPicturesAndSurvivesBadOnes) {
    QTemporaryDir dir;
    const std::string url = "FILE://" + writePng(dir, "p.png", Qt::red, 10, 10).toStdString();
    const std::string bad = "FILE://" + writeBytes(dir, "bad.png", "garbage").toStdString();
    TMiniHtmlPictureCache cache;
    TMiniHtmlPictureContainer container;
    TPictureItem& item = container.Items.Add();
    item.Name = "green";
    QImage green(4, 4, QImage::Format_RGB32);
    green.fill(Qt::green);
    item.Picture.setImage(green);
    TMiniHtmlImageList list(6, 6);
    QImage blue(6, 6, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    list.add(blue);

    QImage image(100, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    MiniHtmlRenderOutput out;
    {
        QPainter painter(&image);
        QtCanvas canvas(painter, QtCanvas::fromQFont(QFont(), 0));
        MiniHtmlRenderInput in;
        in.Canvas = &canvas;
        in.Rect = {0, 0, 100, 40};
        in.PictureCache = &cache;
        in.PictureContainer = &container;
        in.Images = &list;
        in.Text = "<img src=\"" + bad + "\"><img src=\"" + url + "\"><img src=\"GREEN\"><img src=\"idx:0\">";
        EXPECT_NO_THROW(out = MiniHtmlRender(in));
    }
    // The bad picture takes no space: red from x = 1, then green, then blue.
    EXPECT_EQ(image.pixelColor(1, 0), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(10, 9), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(11, 0), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(15, 0), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(21, 0), QColor(Qt::white));
    EXPECT_EQ(cache.count(), 2);
}

TEST(MiniHtmlPicture, BodyBackgroundIsTiledAndClipped) {
    TMiniHtmlPictureContainer container;
    TPictureItem& item = container.Items.Add();
    item.Name = "tile";
    QImage tile(8, 8, QImage::Format_RGB32);
    tile.fill(Qt::black);
    tile.setPixelColor(0, 0, Qt::red);
    item.Picture.setImage(tile);

    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QtCanvas canvas(painter, QtCanvas::fromQFont(QFont(), 0));
        MiniHtmlRenderInput in;
        in.Canvas = &canvas;
        in.Rect = {4, 4, 36, 26};
        in.PictureContainer = &container;
        in.Text = "<body background=\"tile\">";
        MiniHtmlRender(in);
    }
    EXPECT_EQ(image.pixelColor(4, 4), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(12, 12), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(35, 25), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(36, 25), QColor(Qt::white)); // clipped to the rectangle
    EXPECT_EQ(image.pixelColor(3, 3), QColor(Qt::white));
}

} // namespace
