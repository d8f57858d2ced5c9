#pragma once
// Where the controls get the Canvas they lay out, draw and hit-test through. The program draws with
// QtCanvas; tests install a maker that returns a fixed-metrics canvas, so sizes, alignment and hit
// positions do not depend on the fonts a machine has.

#include "minihtml/Canvas.h"

#include <QPainter>

#include <functional>
#include <memory>

namespace pinlet {

class CanvasFactory {
public:
    // Makes a canvas over an active painter (which outlives it), starting with font.
    using Maker = std::function<std::unique_ptr<Canvas>(QPainter& painter, const CanvasFont& font)>;

    static std::unique_ptr<Canvas> make(QPainter& painter, const CanvasFont& font);

    // Installs maker for the lifetime of the object and puts the previous one back afterwards. Nest them
    // strictly (last installed, first destroyed).
    class Override {
    public:
        explicit Override(Maker maker);
        ~Override();
        Override(const Override&) = delete;
        Override& operator=(const Override&) = delete;

    private:
        Maker previous_;
    };
};

} // namespace pinlet
