#pragma once

#include "minihtml/Canvas.h"

#include <QImage>
#include <QPainter>

#include <memory>

class QPaintDevice;

namespace pinlet {

// A canvas for hit-testing and measuring outside a paint event: it paints into a 1 x 1 image with the
// resolution of device, so it measures exactly as a canvas painting on device would.
class MeasuringCanvas {
public:
    MeasuringCanvas(const QPaintDevice& device, const CanvasFont& font);
    Canvas& canvas() { return *canvas_; }

private:
    QImage image_;
    QPainter painter_;
    std::unique_ptr<Canvas> canvas_;
};

} // namespace pinlet
