#pragma once
// Line positions of a long mini-HTML text, kept while its text, width and font stay the same, so that a
// control scrolled far down lays out only the lines in view instead of every line above them.
//
// The engine lays a text out from its first line on every call. For a text whose "<BR>"-separated pieces
// do not carry any state from one to the next (the note list: links and plain text, every link closed
// before its line break), each piece lays out the same alone as in the whole text, shifted down by the
// pieces above it. The index measures each piece once (pieces seen before are not measured again) and
// renders only the pieces that reach into view. Other texts are rendered whole, as the engine does.

#include "minihtml/MiniHtmlRender.h"

#include <map>
#include <string>
#include <vector>

namespace pinlet {

class MiniHtmlLineIndex {
public:
    // Brings the index up to date for input's text, layout width, canvas font and wrapping; costs nothing
    // when they are as last time.
    void update(const MiniHtmlRenderInput& input);

    // The whole text's height and widest line, as the engine measures them (MeasureOnly).
    int height() const { return height_; }
    int width() const { return width_; }
    // Whether the text is made of independent pieces (else render lays out the whole text).
    bool split() const { return split_; }

    // MiniHtmlRender(input) for the index's text, with the same output, laying out only the lines that
    // reach below visibleTop (and below the hit-test point in a hit test). input.Rect may start far above
    // visibleTop: that is the scrolled position.
    MiniHtmlRenderOutput render(MiniHtmlRenderInput input, int visibleTop) const;

private:
    struct Piece {
        int height = 0;
        int width = 0;
        int anchors = 0;
    };
    struct Key {
        std::string text;
        int width = -1;
        CanvasFont font;
        bool wordWrap = true;
        int ppiX = 0;
        int ppiY = 0;
        bool operator==(const Key&) const = default;
    };

    Key key_;
    bool split_ = false;
    int height_ = 0;
    int width_ = 0;
    std::vector<std::size_t> starts_; // where each piece starts in the text; one past the end last
    std::vector<int> tops_;           // piece tops from the text's top; the whole height last
    std::vector<int> anchorsBefore_;  // anchors in the pieces above each piece
    std::vector<int> widestBefore_;   // the widest line above each piece
    std::map<std::string, Piece, std::less<>> measured_; // by piece text, for the key's width and font
};

// Splits text after every "<BR>" when no other tag than <A ...>, </A> and <BR> occurs in it and every <A>
// is closed before the next "<BR>"; returns where each piece starts. Empty when the text does not split.
std::vector<std::size_t> SplitIndependentLines(const std::string& text);

} // namespace pinlet
