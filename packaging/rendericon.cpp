// Build-time tool: the program icon as PNG files of the sizes desktops look for in the icon theme, drawn
// from its vector source at each size (never scaled from one bitmap), so the small ones stay sharp.
//   rendericon FOLDER SIZE...   writes FOLDER/SIZE.png for each size

#include "assets/Artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv) {
    // Drawing needs a GUI application object, never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: rendericon FOLDER SIZE...\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "rendericon: cannot make %s\n", argv[1]);
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        bool number = false;
        const int size = QString::fromLatin1(argv[i]).toInt(&number);
        if (!number || size < 1 || size > 1024) {
            std::fprintf(stderr, "rendericon: not a size: %s\n", argv[i]);
            return 2;
        }
        const QImage image = pinlet::artworkimage(pinlet::Artwork::ProgramIcon, QSize(size, size));
        const QString path = folder.filePath(QString::number(size) + QStringLiteral(".png"));
        if (image.isNull() || !image.save(path, "PNG")) {
            std::fprintf(stderr, "rendericon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
