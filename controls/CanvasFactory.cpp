#include "controls/CanvasFactory.h"

#include "controls/QtCanvas.h"

#include <utility>

namespace pinlet {

namespace {

// Empty: QtCanvas.
CanvasFactory::Maker& installedMaker() {
    static CanvasFactory::Maker maker;
    return maker;
}

} // namespace

std::unique_ptr<Canvas> CanvasFactory::make(QPainter& painter, const CanvasFont& font) {
    if (const Maker& maker = installedMaker()) {
        return maker(painter, font);
    }
    return std::make_unique<QtCanvas>(painter, font);
}

CanvasFactory::Override::Override(Maker maker)
    : previous_(std::exchange(installedMaker(), std::move(maker))) {}

CanvasFactory::Override::~Override() {
    installedMaker() = std::move(previous_);
}

} // namespace pinlet
