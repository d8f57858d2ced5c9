#pragma once
// Menu items that carry a note's name.

#include <QString>

class QAction;
class QMenu;

namespace pinlet {

// How wide a name may make a menu, in average characters of the menu's font.
inline constexpr int kMenuNameChars = 40;

// Adds an item showing name as typed (an "&" is never a shortcut key). A name wider than kMenuNameChars is
// cut short with an ellipsis, so that the menu stays narrow, and the item's tooltip holds the whole name.
QAction* addnameitem(QMenu& menu, const QString& name);

} // namespace pinlet
