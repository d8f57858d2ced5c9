#include "controls/MiniHtmlLineIndex.h"

#include <algorithm>
#include <limits>

namespace pinlet {

namespace {

bool isAsciiSpace(char c) {
    return c == ' ' || c == '\t';
}

bool isLetter(char c, char upper) {
    return c == upper || c == upper - 'A' + 'a';
}

// The next c at or after from, or npos. Tags lie a few characters apart in a list: a plain loop beats a
// library search started for every one.
std::size_t nextChar(std::string_view text, char c, std::size_t from) {
    for (; from < text.size(); ++from) {
        if (text[from] == c) {
            return from;
        }
    }
    return std::string_view::npos;
}

// The runs of a line: measured with the font's external leading, as the engine measures them.
constexpr unsigned kMeasureFlags = dtBottom | dtExpandTabs | dtExternalLeading;

// The measuring input for one piece, from an input whose text is not needed (and best empty).
MiniHtmlRenderInput measuring(const MiniHtmlRenderInput& base, std::string_view piece) {
    MiniHtmlRenderInput m = base;
    m.Text.assign(piece);
    m.Rect = {base.Rect.Left, 0, base.Rect.Right, std::numeric_limits<int>::max() / 2};
    m.HoverLink = -1;
    m.MeasureOnly = true;
    m.CheckOnly = true;
    return m;
}

// The style bit that "<B>", "<I>", "<U>" or "<S>" (or its closing tag) sets or clears; 0 for any other tag.
unsigned styleBit(std::string_view tag) {
    const bool closing = tag.size() == 4 && tag[1] == '/';
    if (tag.size() != 3 && !closing) {
        return 0;
    }
    switch (tag[closing ? 2 : 1]) {
    case 'b':
    case 'B':
        return fsBold;
    case 'i':
    case 'I':
        return fsItalic;
    case 'u':
    case 'U':
        return fsUnderline;
    case 's':
    case 'S':
        return fsStrikeOut;
    default:
        return 0;
    }
}

} // namespace

std::vector<std::size_t> SplitIndependentLines(std::string_view text, unsigned baseStyle) {
    if (text.empty()) {
        return {};
    }
    std::vector<std::size_t> starts{0};
    bool inAnchor = false;
    unsigned styles = 0; // bold, italic, underline, strike-out set by the text: each tag sets or clears one
    std::size_t pos = 0;
    while ((pos = nextChar(text, '<', pos)) != std::string::npos) {
        const std::size_t close = nextChar(text, '>', pos);
        if (close == std::string::npos) {
            return {};
        }
        const std::string_view tag = text.substr(pos, close + 1 - pos);
        pos = close + 1;
        if (!inAnchor && tag.size() > 3 && isLetter(tag[1], 'A') && isAsciiSpace(tag[2])) {
            inAnchor = true;
        } else if (inAnchor && tag.size() == 4 && tag[1] == '/' && isLetter(tag[2], 'A')) {
            inAnchor = false;
        } else if (!inAnchor && tag.size() == 4 && isLetter(tag[1], 'B') && isLetter(tag[2], 'R')) {
            // A line break after which every style is off again starts a piece that lays out alone.
            if (styles == 0 && pos < text.size()) {
                starts.push_back(pos);
            }
        } else if (const unsigned bit = styleBit(tag); bit != 0 && (baseStyle & bit) == 0) {
            styles = tag[1] == '/' ? styles & ~bit : styles | bit;
        } else {
            return {};
        }
    }
    if (inAnchor) {
        return {};
    }
    starts.push_back(text.size());
    return starts;
}

void MiniHtmlLineIndex::update(const MiniHtmlRenderInput& input, std::string_view text) {
    update(input, text == *text_ ? text_ : std::make_shared<const std::string>(text));
}

void MiniHtmlLineIndex::update(const MiniHtmlRenderInput& input, std::shared_ptr<const std::string> shared) {
    const std::string_view text = *shared;
    Canvas& canvas = *input.Canvas;
    const CanvasFont font = canvas.font();
    const int ppiX = canvas.pixelsPerInchX();
    const int ppiY = canvas.pixelsPerInchY();
    const bool sameLayout = input.Rect.width() == layoutWidth_ && font == font_ &&
                            input.WordWrap == wordWrap_ && ppiX == ppiX_ && ppiY == ppiY_;
    // Every pointer move over a long list comes here: the text it shares is told from the kept one by its
    // pointer, and only a new one is compared.
    const bool sameText = shared == text_ || text == *text_;
    if (sameLayout && sameText) {
        text_ = std::move(shared);
        return;
    }
    layoutWidth_ = input.Rect.width();
    font_ = font;
    wordWrap_ = input.WordWrap;
    ppiX_ = ppiX;
    ppiY_ = ppiY;
    lineHeight_ = canvas.measureText("gh", kMeasureFlags).cy;

    if (sameText) {
        // Another width or font: the same pieces, none measured.
        std::fill(pieces_.begin(), pieces_.end(), Piece{});
    } else {
        // Without wrapping, a line too long for the width drops the rest of the whole text: nothing there is
        // independent of what comes before.
        std::vector<std::size_t> starts =
            input.WordWrap ? SplitIndependentLines(text, font.Style) : std::vector<std::size_t>{};
        if (starts.size() < 2) {
            starts.clear();
        }
        starts.shrink_to_fit(); // kept while the text is shown
        std::vector<Piece> pieces(starts.empty() ? 0 : starts.size() - 1);
        if (sameLayout && split_ && !pieces.empty()) {
            // Pieces whose bytes are the same as before, at the same place counted from the start or from
            // the end, measure as before.
            const std::string_view before = *text_;
            const std::string_view after = text;
            const std::size_t head = static_cast<std::size_t>(
                std::mismatch(before.begin(), before.end(), after.begin(), after.end()).first -
                before.begin());
            const std::size_t tail = static_cast<std::size_t>(
                std::mismatch(before.rbegin(), before.rend(), after.rbegin(), after.rend()).first -
                before.rbegin());
            std::size_t same = 0;
            while (same < pieces.size() && same < pieces_.size() && starts[same + 1] <= head &&
                   starts[same + 1] == starts_[same + 1]) {
                pieces[same] = pieces_[same];
                ++same;
            }
            for (std::size_t back = 1; back <= pieces.size() - same && back <= pieces_.size(); ++back) {
                const std::size_t i = pieces.size() - back;
                const std::size_t j = pieces_.size() - back;
                if (starts[i] < after.size() - std::min(tail, after.size()) ||
                    after.size() - starts[i] != before.size() - starts_[j] ||
                    after.size() - starts[i + 1] != before.size() - starts_[j + 1]) {
                    break;
                }
                pieces[i] = pieces_[j];
            }
        }
        starts_ = std::move(starts);
        pieces_ = std::move(pieces);
    }
    text_ = std::move(shared);
    split_ = !pieces_.empty();
    restartPrefix();
    if (!split_) {
        const MiniHtmlRenderOutput out = MiniHtmlRender(measuring(input, text));
        restHeight_ = out.YSize;
        widest_ = out.XSize;
    }
}

void MiniHtmlLineIndex::restartPrefix() {
    // Sized for every piece at once: a long list is measured whole soon after it shows, and kept so.
    for (std::vector<int>* prefix : {&tops_, &anchorsBefore_, &widestBefore_}) {
        prefix->assign(1, 0);
        if (prefix->capacity() != pieces_.size() + 1) {
            prefix->shrink_to_fit();
            prefix->reserve(pieces_.size() + 1);
        }
    }
    restHeight_ = 0;
    widest_ = 0;
    for (const Piece& piece : pieces_) {
        restHeight_ += estimate(piece);
        widest_ = std::max(widest_, piece.width);
    }
    // The pieces kept measured at the top need no canvas to join the prefix.
    while (measuredPrefix() < pieceCount() && pieces_[measuredPrefix()].measured()) {
        extend(MiniHtmlRenderInput{});
    }
}

void MiniHtmlLineIndex::extend(const MiniHtmlRenderInput& base) {
    const std::size_t i = measuredPrefix();
    Piece& piece = pieces_[i];
    restHeight_ -= estimate(piece);
    if (!piece.measured()) {
        const std::string_view text =
            std::string_view(*text_).substr(starts_[i], starts_[i + 1] - starts_[i]);
        const MiniHtmlRenderOutput out = MiniHtmlRender(measuring(base, text));
        piece = {out.YSize, out.XSize, out.AnchorCount};
        widest_ = std::max(widest_, piece.width);
    }
    tops_.push_back(tops_.back() + piece.height);
    anchorsBefore_.push_back(anchorsBefore_.back() + piece.anchors);
    widestBefore_.push_back(std::max(widestBefore_.back(), piece.width));
}

void MiniHtmlLineIndex::measureThrough(MiniHtmlRenderInput input, int bottom) {
    input.Text.clear();
    while (measuredPrefix() < pieceCount() && prefixTop() < bottom) {
        extend(input);
    }
}

bool MiniHtmlLineIndex::measureMore(MiniHtmlRenderInput input, std::size_t count) {
    input.Text.clear();
    for (; count > 0 && !complete(); --count) {
        extend(input);
    }
    return !complete();
}

MiniHtmlRenderOutput MiniHtmlLineIndex::render(MiniHtmlRenderInput input, int visibleTop) {
    if (!split_) {
        input.Text = *text_;
        return MiniHtmlRender(input);
    }
    const int textTop = input.Rect.Top;
    const int skipAbove = (input.CheckOnly ? std::min(visibleTop, input.Y) : visibleTop) - textTop;
    const int bottom = input.Rect.Bottom - textTop;
    // Positions are exact down to the rectangle's bottom (the engine lays out nothing below it). The whole
    // text is not needed for that, nor afterwards: only the pieces in view are laid out.
    input.Text.clear();
    measureThrough(input, std::max(bottom, 1));
    // The first piece whose bottom reaches below skipAbove, and the first whose top lies at or below the
    // rectangle's bottom.
    const std::size_t known = measuredPrefix();
    std::size_t first = static_cast<std::size_t>(std::upper_bound(tops_.begin() + 1, tops_.end(), skipAbove) -
                                                 (tops_.begin() + 1));
    first = std::min(first, known - 1);
    std::size_t last = static_cast<std::size_t>(
        std::lower_bound(tops_.begin(), tops_.begin() + static_cast<std::ptrdiff_t>(known), bottom) -
        tops_.begin());
    last = std::clamp(last, first + 1, known);

    const int shift = anchorsBefore_[first];
    input.Text.assign(*text_, starts_[first], starts_[last] - starts_[first]);
    input.Rect.Top = textTop + tops_[first];
    input.HoverLink = input.HoverLink > shift ? input.HoverLink - shift : -1;
    input.FocusLink = input.FocusLink >= shift ? input.FocusLink - shift : -1;
    MiniHtmlRenderOutput out = MiniHtmlRender(input);
    if (out.AnchorIndex != -1) {
        out.AnchorIndex += shift;
    }
    out.AnchorCount += shift;
    out.YSize += tops_[first];
    out.XSize = std::max(out.XSize, widestBefore_[first]);
    return out;
}

} // namespace pinlet
