#pragma once
// What the program's two windows share of their look: the faces they ask for, and plain backgrounds.

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QStringList>

class QWidget;

namespace pinlet {

// The colour of both windows and their top bars.
inline const QColor kBarColour(0xDE, 0xDE, 0x73);

// A face by its preferred families: where the first is missing (they are Windows fonts) the next one that
// holds every Hungarian letter, ő and ű included, takes its place. The size is the character height.
QFont windowface(const QStringList& families, QFont::StyleHint hint, int pixels, bool bold = false);

// The windows' own font, Microsoft Sans Serif with a character height of 11 pixels or its nearest look-alike.
QFont windowfont();

// Fills the widget's background with the colour in the given palette role.
void paintbackground(QWidget& widget, QPalette::ColorRole role, const QColor& colour);

} // namespace pinlet
