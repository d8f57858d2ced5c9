#pragma once
// Line positions of a long mini-HTML text, so that a control lays out only the lines in view, and at first
// only the lines it shows.
//
// The engine lays a text out from its first line on every call. For a text whose "<BR>"-separated pieces
// do not carry any state from one to the next (the note list: links and plain text, every link closed
// before its line break), each piece lays out the same alone as in the whole text, shifted down by the
// pieces above it. The index measures pieces only when asked to reach them, in order from the top; a piece
// not measured yet counts as one line of the base font, which every piece is at least and which a name that
// does not wrap is exactly. Pieces above what is rendered are always measured, so positions there are
// exact. Other texts are measured and rendered whole, as the engine does.

#include "minihtml/MiniHtmlRender.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pinlet {

class MiniHtmlLineIndex {
public:
    // Brings the index up to date for input's text, layout width, canvas font and wrapping. It measures no
    // piece; a new text keeps the measurements of the pieces it shares, in place, with the last one (a
    // rename, an added or removed note), unless the layout changed too. Costs nothing when nothing changed.
    void update(const MiniHtmlRenderInput& input) { update(input, input.Text); }
    // The same, with the text apart from the input (whose own text is not read): a long text need not be
    // copied into every input. The index keeps a copy of a new text.
    void update(const MiniHtmlRenderInput& input, std::string_view text);
    // The same for a text the caller shares, which the index keeps instead of a copy. A text that stays
    // the same is best passed as the same object: the pointer alone tells it from a new one.
    void update(const MiniHtmlRenderInput& input, std::shared_ptr<const std::string> text);

    // The text's height: exact once complete(), else the measured pieces plus a line for each other one
    // (never more than the exact height).
    int height() const { return prefixTop() + restHeight_; }
    // The widest line of the pieces measured so far.
    int width() const { return widest_; }
    // Whether the text is made of independent pieces (else render lays out the whole text).
    bool split() const { return split_; }
    // Every piece measured: height() and width() are what the engine measures for the whole text.
    bool complete() const { return measuredPrefix() == pieceCount(); }

    // Measures, with input's canvas and layout, the pieces from the top until those starting above bottom
    // (pixels from the text's top) all are: positions down to there are then exact. input's text is not
    // read: the index's own is measured.
    void measureThrough(MiniHtmlRenderInput input, int bottom);
    // Measures up to count more pieces, as measureThrough; true while some remain.
    bool measureMore(MiniHtmlRenderInput input, std::size_t count);

    // MiniHtmlRender(input) for the index's text, with the same output, laying out only the lines that
    // reach below visibleTop (and below the hit-test point in a hit test). input.Rect may start far above
    // visibleTop: that is the scrolled position. Measures the pieces it needs first.
    MiniHtmlRenderOutput render(MiniHtmlRenderInput input, int visibleTop);

private:
    struct Piece {
        int height = -1; // -1: not measured yet
        int width = 0;
        int anchors = 0;
        bool measured() const { return height >= 0; }
    };

    std::size_t pieceCount() const { return pieces_.size(); }
    std::size_t measuredPrefix() const { return tops_.size() - 1; }
    int prefixTop() const { return tops_.back(); }
    int estimate(const Piece& piece) const { return piece.measured() ? piece.height : lineHeight_; }
    // Moves the exact prefix down by one piece, measuring it with base's layout unless it is already.
    void extend(const MiniHtmlRenderInput& base);
    void restartPrefix();

    std::shared_ptr<const std::string> text_ = std::make_shared<const std::string>();
    int layoutWidth_ = -1;
    CanvasFont font_;
    bool wordWrap_ = true;
    int ppiX_ = 0;
    int ppiY_ = 0;

    bool split_ = false;
    int lineHeight_ = 0;              // "gh" in the base font: a piece not measured counts so much
    std::vector<std::size_t> starts_; // where each piece starts in the text; one past the end last
    std::vector<Piece> pieces_;
    // For the measured pieces from the top (the exact prefix) and the first piece below them: its top, the
    // anchors above it and the widest line above it.
    std::vector<int> tops_{0};
    std::vector<int> anchorsBefore_{0};
    std::vector<int> widestBefore_{0};
    int restHeight_ = 0; // the pieces below the exact prefix, each measured or counted as a line
    int widest_ = 0;     // the widest measured piece
};

// Splits text after every "<BR>" when no other tag than <A ...>, </A>, <BR> and the plain style tags <B>,
// <I>, <U>, <S> with their closing tags occurs in it, and every <A> is closed before the next "<BR>"; a
// "<BR>" where a style is still on ends no piece. A style the base font (baseStyle, CanvasFontStyle bits)
// has already does not split. Returns where each piece starts; empty when the text does not split.
std::vector<std::size_t> SplitIndependentLines(std::string_view text, unsigned baseStyle = 0);

} // namespace pinlet
