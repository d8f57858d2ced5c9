#pragma once
// Makes the controls draw through RecordingCanvas (fixed metrics), for the lifetime of the object. The
// last canvas made stays readable, so a test can see what a paint or hit test did.

#include "controls/CanvasFactory.h"
#include "support/RecordingCanvas.h"

#include <memory>

class FixedCanvasMaker {
public:
    FixedCanvasMaker()
        : override_([this](QPainter&, const CanvasFont& font) -> std::unique_ptr<Canvas> {
              auto canvas = std::make_unique<RecordingCanvas>();
              canvas->setFont(font);
              canvas->calls.clear();
              last_ = canvas.get();
              ++made_;
              return canvas;
          }) {}

    // The canvas made last; valid only while its control still holds it (during a paint or hit test).
    RecordingCanvas* last() const { return last_; }
    int made() const { return made_; }

private:
    RecordingCanvas* last_ = nullptr;
    int made_ = 0;
    pinlet::CanvasFactory::Override override_;
};
