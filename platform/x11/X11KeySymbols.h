#pragma once
// How a key combination is named to the X server: key symbols and modifier bits.

#include <QKeyCombination>

#include <cstdint>
#include <vector>

namespace pinlet {

// The key symbols a keyboard map may give the key: a letter's small and capital forms, or the one symbol of
// a function or motion key. Empty for a key X has no symbol for.
std::vector<std::uint32_t> x11keysymbols(Qt::Key key);

// The core protocol's modifier bits for Shift, Ctrl, Alt (Mod1) and Meta (Mod4).
std::uint16_t x11modifiers(Qt::KeyboardModifiers modifiers);

} // namespace pinlet
