#include "windows/WindowLook.h"

#include <QWidget>

namespace pinlet {

QFont windowface(const QStringList& families, QFont::StyleHint hint, int pixels, bool bold) {
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont windowfont() {
    // Not "MS Sans Serif": on Windows that name is a bitmap font, jagged and of the wrong size once the
    // display is scaled. Its outline twin looks the same at 100 % and scales.
    return windowface({"Microsoft Sans Serif", "Tahoma", "DejaVu Sans", "Liberation Sans"}, QFont::SansSerif,
                      11);
}

void paintbackground(QWidget& widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(role, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

} // namespace pinlet
