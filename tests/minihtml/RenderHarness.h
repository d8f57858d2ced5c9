#pragma once
// One engine call over a RecordingCanvas: the input record aimed at the canvas and a layout rectangle,
// and the call log cleared before each run, so every check sees only that run's drawing.

#include "minihtml/MiniHtmlRender.h"
#include "support/RecordingCanvas.h"

#include <string>

struct RenderHarness {
    RecordingCanvas canvas;
    MiniHtmlRenderInput in;

    explicit RenderHarness(MiniHtmlRect rect = {0, 0, 200, 100}) {
        in.Canvas = &canvas;
        in.Rect = rect;
    }
    MiniHtmlRenderOutput run(const std::string& text) {
        in.Text = text;
        canvas.calls.clear();
        return MiniHtmlRender(in);
    }
};
