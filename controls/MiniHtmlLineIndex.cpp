#include "controls/MiniHtmlLineIndex.h"

#include "minihtml/AsciiText.h"

#include <algorithm>
#include <limits>

namespace pinlet {

namespace {

bool isAsciiSpace(char c) {
    return c == ' ' || c == '\t';
}

// The tag's name in upper case, with "/" for a closing tag, for a tag from "<" through its first ">".
std::string tagName(std::string_view tag) {
    std::size_t end = 1;
    while (end < tag.size() && !isAsciiSpace(tag[end]) && tag[end] != '>') {
        ++end;
    }
    return ascii::Upper(tag.substr(1, end - 1));
}

} // namespace

std::vector<std::size_t> SplitIndependentLines(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    std::vector<std::size_t> starts{0};
    bool inAnchor = false;
    std::size_t pos = 0;
    while ((pos = text.find('<', pos)) != std::string::npos) {
        const std::size_t close = text.find('>', pos);
        if (close == std::string::npos) {
            return {};
        }
        const std::string_view tag(text.data() + pos, close + 1 - pos);
        const std::string name = tagName(tag);
        pos = close + 1;
        if (name == "A" && tag.size() > 2 && isAsciiSpace(tag[2]) && !inAnchor) {
            inAnchor = true;
        } else if (tag.size() == 4 && name == "/A" && inAnchor) {
            inAnchor = false;
        } else if (tag.size() == 4 && name == "BR" && !inAnchor) {
            if (pos < text.size()) {
                starts.push_back(pos);
            }
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

void MiniHtmlLineIndex::update(const MiniHtmlRenderInput& input) {
    const CanvasFont font = input.Canvas->font();
    const int ppiX = input.Canvas->pixelsPerInchX();
    const int ppiY = input.Canvas->pixelsPerInchY();
    const bool sameLayout = input.Rect.width() == key_.width && font == key_.font &&
                            input.WordWrap == key_.wordWrap && ppiX == key_.ppiX && ppiY == key_.ppiY;
    // Compared in place: every pointer move over a long list comes here, and a copy of its text would cost
    // more than the rest of the move.
    if (sameLayout && input.Text == key_.text) {
        return;
    }
    if (!sameLayout) {
        measured_.clear();
    }
    Key key{input.Text, input.Rect.width(), font, input.WordWrap, ppiX, ppiY};
    key_ = std::move(key);

    MiniHtmlRenderInput measure = input;
    measure.MeasureOnly = true;
    measure.CheckOnly = true;
    measure.Rect = {input.Rect.Left, 0, input.Rect.Right, std::numeric_limits<int>::max() / 2};

    // Without wrapping, a line too long for the width drops the rest of the whole text: nothing there is
    // independent of what comes before.
    starts_ = input.WordWrap ? SplitIndependentLines(key_.text) : std::vector<std::size_t>{};
    split_ = starts_.size() > 1;
    tops_.clear();
    anchorsBefore_.clear();
    widestBefore_.clear();
    if (!split_) {
        starts_.clear();
        measure.Text = key_.text;
        const MiniHtmlRenderOutput out = MiniHtmlRender(measure);
        height_ = out.YSize;
        width_ = out.XSize;
        measured_.clear();
        return;
    }

    std::map<std::string, Piece, std::less<>> kept;
    int top = 0;
    int anchors = 0;
    int widest = 0;
    for (std::size_t i = 0; i + 1 < starts_.size(); ++i) {
        std::string piece = key_.text.substr(starts_[i], starts_[i + 1] - starts_[i]);
        tops_.push_back(top);
        anchorsBefore_.push_back(anchors);
        widestBefore_.push_back(widest);
        Piece sizes;
        if (auto found = measured_.find(piece); found != measured_.end()) {
            sizes = found->second;
        } else if (auto again = kept.find(piece); again != kept.end()) {
            sizes = again->second;
        } else {
            measure.Text = piece;
            const MiniHtmlRenderOutput out = MiniHtmlRender(measure);
            sizes = {out.YSize, out.XSize, out.AnchorCount};
        }
        top += sizes.height;
        anchors += sizes.anchors;
        widest = std::max(widest, sizes.width);
        kept.emplace(std::move(piece), sizes);
    }
    tops_.push_back(top);
    height_ = top;
    width_ = widest;
    measured_ = std::move(kept);
}

MiniHtmlRenderOutput MiniHtmlLineIndex::render(MiniHtmlRenderInput input, int visibleTop) const {
    if (!split_) {
        return MiniHtmlRender(input);
    }
    const int textTop = input.Rect.Top;
    const int skipAbove = (input.CheckOnly ? std::min(visibleTop, input.Y) : visibleTop) - textTop;
    // The first piece whose bottom reaches below skipAbove, and the first whose top lies at or below the
    // rectangle's bottom (the engine lays out nothing there).
    const std::size_t pieces = starts_.size() - 1;
    std::size_t first = static_cast<std::size_t>(std::upper_bound(tops_.begin() + 1, tops_.end(), skipAbove) -
                                                 (tops_.begin() + 1));
    first = std::min(first, pieces - 1);
    std::size_t last = static_cast<std::size_t>(
        std::lower_bound(tops_.begin(), tops_.begin() + static_cast<std::ptrdiff_t>(pieces),
                         input.Rect.Bottom - textTop) -
        tops_.begin());
    last = std::clamp(last, first + 1, pieces);

    const int shift = anchorsBefore_[first];
    input.Text = key_.text.substr(starts_[first], starts_[last] - starts_[first]);
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
