#include "platform/x11/X11KeySymbols.h"

#include <QChar>

#include <array>
#include <utility>

namespace pinlet {

namespace {

struct Named {
    Qt::Key key;
    std::uint32_t symbol;
};

constexpr std::array kNamed{
    Named{Qt::Key_Escape, 0xff1b},    Named{Qt::Key_Tab, 0xff09},    Named{Qt::Key_Backtab, 0xfe20},
    Named{Qt::Key_Backspace, 0xff08}, Named{Qt::Key_Return, 0xff0d}, Named{Qt::Key_Enter, 0xff8d},
    Named{Qt::Key_Insert, 0xff63},    Named{Qt::Key_Delete, 0xffff}, Named{Qt::Key_Pause, 0xff13},
    Named{Qt::Key_Print, 0xff61},     Named{Qt::Key_Home, 0xff50},   Named{Qt::Key_End, 0xff57},
    Named{Qt::Key_Left, 0xff51},      Named{Qt::Key_Up, 0xff52},     Named{Qt::Key_Right, 0xff53},
    Named{Qt::Key_Down, 0xff54},      Named{Qt::Key_PageUp, 0xff55}, Named{Qt::Key_PageDown, 0xff56},
    Named{Qt::Key_Menu, 0xff67},
};

// Hungarian's double-acute letters have symbols of their own in the Latin-2 range, which keyboard maps use.
constexpr std::array<std::pair<char16_t, std::uint32_t>, 4> kLatin2{
    {{u'\u0150', 0x1d5}, {u'\u0151', 0x1f5}, {u'\u0170', 0x1db}, {u'\u0171', 0x1fb}}};

std::uint32_t charactersymbol(char16_t character) {
    if (character >= 0x20 && character <= 0x7e)
        return character;
    if (character >= 0xa0 && character <= 0xff)
        return character;
    for (const auto& [unicode, symbol] : kLatin2) {
        if (unicode == character)
            return symbol;
    }
    return 0x01000000u | character;
}

} // namespace

std::vector<std::uint32_t> x11keysymbols(Qt::Key key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return {0xffbeu + std::uint32_t(key - Qt::Key_F1)};
    for (const Named& named : kNamed) {
        if (named.key == key)
            return {named.symbol};
    }
    // Qt names a character key by the character, a letter by its capital.
    if (key < Qt::Key_Space || key > 0xffff)
        return {};
    const QChar character{char16_t(key)};
    const std::uint32_t lower = charactersymbol(character.toLower().unicode());
    const std::uint32_t upper = charactersymbol(character.toUpper().unicode());
    if (lower == upper)
        return {lower};
    return {lower, upper};
}

std::uint16_t x11modifiers(Qt::KeyboardModifiers modifiers) {
    std::uint16_t bits = 0;
    if (modifiers & Qt::ShiftModifier)
        bits |= 1u << 0;
    if (modifiers & Qt::ControlModifier)
        bits |= 1u << 2;
    if (modifiers & Qt::AltModifier)
        bits |= 1u << 3;
    if (modifiers & Qt::MetaModifier)
        bits |= 1u << 6;
    return bits;
}

} // namespace pinlet
