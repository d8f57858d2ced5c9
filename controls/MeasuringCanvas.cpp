#include "controls/MeasuringCanvas.h"

#include "controls/CanvasFactory.h"
#include "controls/QtCanvas.h"

namespace pinlet {

MeasuringCanvas::MeasuringCanvas(const QPaintDevice& device, const CanvasFont& font)
    : image_(QtCanvas::measuringImage(device)), painter_(&image_),
      canvas_(CanvasFactory::make(painter_, font)) {}

} // namespace pinlet
