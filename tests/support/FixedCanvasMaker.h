#pragma once
// Makes the controls draw and measure through RecordingCanvas (fixed metrics) for the lifetime of the
// object, and keeps what each paint drew after its canvas is gone.

#include "controls/CanvasFactory.h"
#include "support/RecordingCanvas.h"

#include <QImage>
#include <QPainter>

#include <memory>
#include <vector>

class FixedCanvasMaker {
public:
    FixedCanvasMaker()
        : override_([this](QPainter& painter, const CanvasFont& font) -> std::unique_ptr<Canvas> {
              // Hit tests and measurements paint into a 1 x 1 image; a paint paints on its widget.
              const bool paint = painter.device()->width() > 1 || painter.device()->height() > 1;
              auto canvas = std::make_unique<LoggedCanvas>(paint ? &paints_ : nullptr);
              canvas->setFont(font);
              canvas->calls.clear();
              return canvas;
          }) {}

    // Every paint since the object was made, oldest first.
    const std::vector<RecordingCanvas>& paints() const { return paints_; }
    const RecordingCanvas& lastPaint() const { return paints_.back(); }
    int paintCount() const { return static_cast<int>(paints_.size()); }

private:
    class LoggedCanvas : public RecordingCanvas {
    public:
        explicit LoggedCanvas(std::vector<RecordingCanvas>* log) : log_(log) {}
        ~LoggedCanvas() override {
            if (log_ != nullptr) {
                log_->push_back(*this);
            }
        }

    private:
        std::vector<RecordingCanvas>* log_;
    };

    std::vector<RecordingCanvas> paints_;
    pinlet::CanvasFactory::Override override_;
};
