#pragma once
// The colour value used across the mini-HTML engine and the controls that drive it.
//
// A colour is a plain 32-bit value in one of three forms:
//   0x00BBGGRR  an RGB colour (red in the low byte);
//   0xFF0000nn  the platform's system colour number nn (1..24, the usual window-colour indices); it is
//               resolved to RGB only when something is drawn in it;
//   clNone      no colour: text drawn transparently, or a value that was never set.
// Keeping it an integer lets callers store, compare and pass it as cheaply as the number it is.

#include <cstdint>

using TColor = std::uint32_t;

// Distinct from every RGB value (high byte 0) and every system colour (high byte 0xFF).
inline constexpr TColor clNone = 0x20000000u;

inline constexpr TColor kSystemColorFlag = 0xFF000000u;

// System colour numbers the markup itself uses.
inline constexpr int kSystemHighlight = 13;     // selection background
inline constexpr int kSystemHighlightText = 14; // selection text

// Channels outside 0..255 keep only their low eight bits, so the result is always a valid RGB colour.
constexpr TColor ColorFromRgb(int red, int green, int blue) {
    return TColor(red & 0xFF) | TColor(green & 0xFF) << 8 | TColor(blue & 0xFF) << 16;
}

constexpr TColor SystemColor(int index) {
    return kSystemColorFlag | TColor(index & 0xFF);
}

constexpr bool IsSystemColor(TColor color) {
    return (color & 0xFFFFFF00u) == kSystemColorFlag;
}

// The nn of a system colour; meaningful only when IsSystemColor(color).
constexpr int SystemColorIndex(TColor color) {
    return int(color & 0xFFu);
}

constexpr bool IsRgbColor(TColor color) {
    return (color & 0xFF000000u) == 0;
}

constexpr int ColorRed(TColor rgb) {
    return int(rgb & 0xFFu);
}
constexpr int ColorGreen(TColor rgb) {
    return int(rgb >> 8 & 0xFFu);
}
constexpr int ColorBlue(TColor rgb) {
    return int(rgb >> 16 & 0xFFu);
}
