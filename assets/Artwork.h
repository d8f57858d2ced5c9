#pragma once
// The program's own pictures, drawn as vectors and compiled in, so they stay crisp at any display scaling.
// Everything that shows a picture of the program (note window, list window, tray, window manager) takes it
// from here; the sources lie in assets/icons/ (the program icon is assets/icons/pinlet.svg).

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace pinlet {

enum class Artwork {
    PinLeaning, // 50 x 40: the note is not pinned (a loose pin with its shadow)
    PinUpright, // 50 x 40: the note is pinned, always on top
    Floppy,     // 25 x 24: save
    Cross,      // 23 x 28: save and close
    Grip,       // 16 x 16: resize from the bottom-right corner
    NewNote,    // 30 x 30: a note sheet with a green plus
    WasteBin,   // 30 x 30: delete
    ProgramIcon // 256 x 256 drawing, meant for 16 to 256 pixels
};

// The size the picture is laid out at, in device-independent pixels.
QSize artworksize(Artwork picture);

// The Qt resource path of the picture's vector source (":/pinlet/icons/....svg").
QString artworkpath(Artwork picture);

// The picture drawn at `pixels` device pixels, on transparency. A null image only if the compiled-in source
// cannot be read, which the tests rule out.
QImage artworkimage(Artwork picture, QSize pixels);

// The picture at its layout size for a screen with the given device pixel ratio (1, 1.5, 2 ...): drawn at
// the device resolution, tagged with the ratio, so a label shows it sharp and at its layout size.
QPixmap artworkpixmap(Artwork picture, qreal devicePixelRatio = 1.0);

// The program icon in the sizes the tray, the window manager and icon files ask for: 16, 20, 24, 32, 40,
// 48, 64, 128 and 256 pixels.
QIcon programicon();

} // namespace pinlet
