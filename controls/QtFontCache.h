#pragma once
// Qt fonts as the canvas measures and draws them, kept across canvases. Every paint and every hit test makes
// a new canvas, and a long list measures the same few fonts and the same words over and over: each font is
// resolved once per device resolution, and the widths of plain texts measured in it are remembered.

#include "minihtml/Canvas.h"

#include <QFont>
#include <QFontMetrics>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

class QPaintDevice;

namespace pinlet {

class QtFontEntry {
public:
    QtFontEntry(const QFont& font, const QPaintDevice* device);

    const QFont& font() const { return font_; }
    // The same font without underline and strike-out, which the canvas draws itself.
    const QFont& undecorated() const { return undecorated_; }
    const QFontMetrics& metrics() const { return metrics_; }
    int height() const { return height_; }
    int leading() const { return leading_; }
    int ascent() const { return ascent_; }

    // The advance of text, which holds no tab and no mnemonic "&" (those take the formatting path).
    int plainWidth(std::string_view text);

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    using Widths = std::unordered_map<std::string, int, Hash, std::equal_to<>>;

    QFont font_;
    QFont undecorated_;
    QFontMetrics metrics_;
    int height_;
    int leading_;
    int ascent_;
    // Two generations: when the young one is full it becomes the old one and the older is dropped, so the
    // words in use stay while memory stays bounded whatever the number of distinct words.
    Widths young_;
    Widths old_;
};

// The entry for font (its colour and rotation aside) on a device of device's resolution. Entries live as
// long as the application object (or as long as a canvas still holds one); without an application object
// nothing is kept.
std::shared_ptr<QtFontEntry> QtFontFor(const CanvasFont& font, const QPaintDevice* device);

} // namespace pinlet
