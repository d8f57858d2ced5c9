#include "controls/QtFontCache.h"

#include "controls/QtCanvas.h"

#include <QCoreApplication>
#include <QPaintDevice>
#include <QPointer>

#include <algorithm>
#include <vector>

namespace pinlet {

namespace {

// Enough for every word of a screenful of lists and banners; a generation of plain-text widths costs a
// few hundred kilobytes at most.
constexpr std::size_t kWidthsPerGeneration = 2048;
// A program shows a handful of fonts; markup may ask for more, and the oldest then go.
constexpr std::size_t kFonts = 32;

struct FontKey {
    std::string face;
    int size = 0;
    int pixelHeight = 0;
    unsigned style = 0;
    int dpiX = 0;
    int dpiY = 0;
    bool operator==(const FontKey&) const = default;
};

// Owned by the application object, so that no Qt font outlives the font database it came from.
class FontRegistry : public QObject {
public:
    explicit FontRegistry(QObject* parent) : QObject(parent) {}
    std::vector<std::pair<FontKey, std::shared_ptr<QtFontEntry>>> fonts;
};

FontRegistry* registry() {
    static QPointer<FontRegistry> kept;
    if (kept.isNull()) {
        if (QCoreApplication* app = QCoreApplication::instance()) {
            kept = new FontRegistry(app);
        }
    }
    return kept.data();
}

} // namespace

QtFontEntry::QtFontEntry(const QFont& font, const QPaintDevice* device)
    : font_(font), undecorated_(font), metrics_(font, device), height_(metrics_.height()),
      leading_(metrics_.leading()), ascent_(metrics_.ascent()) {
    undecorated_.setUnderline(false);
    undecorated_.setStrikeOut(false);
}

int QtFontEntry::plainWidth(std::string_view text) {
    if (const auto found = young_.find(text); found != young_.end()) {
        return found->second;
    }
    int width = 0;
    if (const auto found = old_.find(text); found != old_.end()) {
        width = found->second;
    } else {
        width =
            metrics_.horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
    if (young_.size() >= kWidthsPerGeneration) {
        old_ = std::move(young_);
        young_ = Widths();
    }
    young_.emplace(text, width);
    return width;
}

std::shared_ptr<QtFontEntry> QtFontFor(const CanvasFont& font, const QPaintDevice* device) {
    FontKey key{font.Face, font.Size, font.PixelHeight, font.Style};
    if (device != nullptr) {
        key.dpiX = device->logicalDpiX();
        key.dpiY = device->logicalDpiY();
    }
    FontRegistry* fonts = registry();
    if (fonts == nullptr) {
        return std::make_shared<QtFontEntry>(QtCanvas::toQFont(font), device);
    }
    auto& list = fonts->fonts;
    const auto found =
        std::find_if(list.begin(), list.end(), [&](const auto& kept) { return kept.first == key; });
    if (found != list.end()) {
        return found->second;
    }
    if (list.size() >= kFonts) {
        list.erase(list.begin());
    }
    list.emplace_back(std::move(key), std::make_shared<QtFontEntry>(QtCanvas::toQFont(font), device));
    return list.back().second;
}

} // namespace pinlet
