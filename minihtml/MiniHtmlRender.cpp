#include "minihtml/MiniHtmlRender.h"

#include "minihtml/AsciiText.h"
#include "minihtml/GradientFill.h"
#include "minihtml/MiniHtmlTags.h"
#include "minihtml/RenderState.h"
#include "minihtml/markup.h"

#include <algorithm>
#include <deque>
#include <string_view>
#include <vector>

static_assert(fsBold == MiniHtmlStyle::Bold && fsItalic == MiniHtmlStyle::Italic &&
                  fsUnderline == MiniHtmlStyle::Underline && fsStrikeOut == MiniHtmlStyle::StrikeOut,
              "canvas and markup font styles must share their bits");

namespace {

// Runs are measured as one line with the font's external leading, and drawn on the bottom of their box.
constexpr unsigned kMeasureFlags = dtBottom | dtExpandTabs | dtExternalLeading;
constexpr unsigned kDrawFlags = dtBottom | dtExpandTabs;
constexpr int kBulletCell = 12;
constexpr int kGradientBands = 64;
constexpr TColor kErrorRed = 0x0000FFu;
constexpr TColor kRuleBlack = 0x000000u;

// Markup can ask for any number (an image width, an indent): such lengths are bounded, and positions add up
// with saturation, so that no text can overflow the arithmetic.
constexpr int kMaxLength = 1 << 16;
constexpr int kMaxPosition = 1 << 28;

int Bounded(int length) {
    return std::clamp(length, -kMaxLength, kMaxLength);
}

int Grow(int position, int by) {
    return static_cast<int>(
        std::clamp<long long>(static_cast<long long>(position) + by, -kMaxPosition, kMaxPosition));
}

enum class Pass { Measure, Draw, Check };

// The vertical geometry of one line: height, subscript and superscript allowances, baseline raise.
struct LineGeometry {
    int H = 0;
    int Q = 0;
    int R = 0;
    int S = 0;
    int textBottom(int top) const { return top + H + R; }
    int boxBottom(int top) const { return top + H + S + R; }
};

struct AnchorClose {
    int index = -1;
    MiniHtmlRect rect;
};

struct PassResult {
    std::size_t consumed = 0; // bytes of the text that make up the line's source
    bool dropRest = false;    // the text ends after this line
    int W = 0;
    // Hit-testing pass: the anchor whose run lies under the point's column, if any.
    int runAnchor = -1;
    std::string runHref;
    // Hit-testing pass: an image inside an anchor lies under the point.
    bool imageHit = false;
    std::string imageHref;
    // Hit-testing pass: every anchor closed on this line, with its part on this line.
    std::vector<AnchorClose> closes;
};

// Where and how an <IMG> is drawn, and the space it takes.
struct ImagePlacement {
    enum class Kind { None, Picture, SystemIcon };
    Kind kind = Kind::None;
    int w = 0; // space taken, scaled to the device
    int h = 0;
    const MiniHtmlPicture* picture = nullptr;
    MiniHtmlRect dest; // relative to the image's top-left corner
    std::string iconSource;
    bool largeIcon = false;
};

MiniHtmlRect Widened(const MiniHtmlRect& r) {
    return {r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1};
}

class Renderer {
public:
    explicit Renderer(const MiniHtmlRenderInput& input) : in_(input), canvas_(*input.Canvas) {}
    MiniHtmlRenderOutput render();

private:
    void MiniHtmlRenderLine(std::string_view text, const MiniHtmlRect& box, Pass pass, LineGeometry& g,
                            MiniHtmlFont& font, PassResult& r);
    void drawRun(const std::string& text, int x, int top, int right, const LineGeometry& g,
                 const MiniHtmlFont& font);
    void drawZigzag(int left, int right, int textBottom);
    void drawBullet(int x, int top, int bottom, const MiniHtmlFont& font);
    void drawFocusPart(const MiniHtmlRect& part);
    void fill(const MiniHtmlRect& rect, TColor color);
    void fillBody(const MiniHtmlTagEffect& effect);
    void tileBackground(const std::string& name);
    const MiniHtmlPicture* findPicture(const std::string& source);
    ImagePlacement placeImage(const MiniHtmlImage& image);
    void drawImage(const ImagePlacement& image, int x, int top);
    void useFont(const MiniHtmlFont& font);
    int ghHeight(const MiniHtmlFont& font);
    int spaceWidth(const MiniHtmlFont& font);
    bool inFocusAnchor() const { return state_.inAnchor && state_.anchorCount == in_.FocusLink + 1; }
    int scaleX(int v) const { return Bounded(Bounded(v) * canvas_.pixelsPerInchX() / 96); }
    int scaleY(int v) const { return Bounded(Bounded(v) * canvas_.pixelsPerInchY() / 96); }
    int indent() const { return Bounded(state_.indent); }

    const MiniHtmlRenderInput& in_;
    Canvas& canvas_;
    MiniHtmlRenderOutput out_;
    MiniHtmlFont baseFont_;
    RenderState state_;
    MiniHtmlTagContext context_;
    std::string text_;
    // An anchor under the point whose </A> is still to come on a later line.
    int pendingAnchor_ = -1;
    // The focus rectangle's part on the current line, while the focus anchor is open.
    bool focusOpen_ = false;
    MiniHtmlRect focus_;
    // The font last given to the canvas, so that runs in one font do not set it again and again.
    CanvasFont applied_;
    bool appliedValid_ = false;
    // The height of "gh" and the width of a space per font; a text uses only a few fonts, and a long list
    // would otherwise measure them again on every line. Colour and rotation do not change them.
    struct FontMetrics {
        std::string face;
        int size;
        int pixelHeight;
        unsigned style;
        int gh;
        int space;
    };
    std::deque<FontMetrics> metrics_;
    const FontMetrics& metricsOf(const MiniHtmlFont& font);
};

void Renderer::useFont(const MiniHtmlFont& font) {
    CanvasFont wanted;
    wanted.Face = font.Face;
    wanted.Size = font.Size;
    wanted.PixelHeight = font.PixelHeight;
    wanted.Style = font.Style;
    wanted.Color = font.Color;
    wanted.Escapement = state_.rotation ? *state_.rotation * 10 : 0;
    if (!appliedValid_ || !(wanted == applied_)) {
        canvas_.setFont(wanted);
        applied_ = std::move(wanted);
        appliedValid_ = true;
    }
}

const Renderer::FontMetrics& Renderer::metricsOf(const MiniHtmlFont& font) {
    for (const FontMetrics& known : metrics_) {
        if (known.face == font.Face && known.size == font.Size && known.pixelHeight == font.PixelHeight &&
            known.style == font.Style) {
            return known;
        }
    }
    useFont(font);
    FontMetrics measured{font.Face,
                         font.Size,
                         font.PixelHeight,
                         font.Style,
                         canvas_.measureText("gh", kMeasureFlags).cy,
                         canvas_.measureText(" ", kMeasureFlags).cx};
    metrics_.push_back(std::move(measured));
    return metrics_.back();
}

int Renderer::ghHeight(const MiniHtmlFont& font) {
    return metricsOf(font).gh;
}

int Renderer::spaceWidth(const MiniHtmlFont& font) {
    return metricsOf(font).space;
}

MiniHtmlRenderOutput Renderer::render() {
    const CanvasFont base = canvas_.font();
    baseFont_.Face = base.Face;
    baseFont_.Size = base.Size;
    baseFont_.PixelHeight = base.PixelHeight;
    baseFont_.Style = base.Style;
    baseFont_.Color = base.Color;
    const TColor callerBackground = canvas_.brushColor();
    canvas_.setBrush(clNone);
    canvas_.setTextBackground(clNone);

    context_.baseFont = baseFont_;
    context_.callerBackground = callerBackground;
    context_.urlColor = in_.URLColor;
    context_.hoverFontColor = in_.HoverFontColor;
    context_.hoverColor = in_.HoverColor;
    context_.hover = in_.Hover;
    context_.hoverLink = in_.HoverLink;
    context_.blink = in_.Blink;

    text_ = PrepareMiniHtml(in_.Text);
    MiniHtmlRect running = in_.Rect;
    running.Left += 1;
    MiniHtmlFont measureFont = baseFont_;
    MiniHtmlFont secondFont = baseFont_;
    std::string_view rest = text_;

    while (!rest.empty()) {
        const RenderState::LineStart start = state_.beginLine();
        LineGeometry g;
        g.H = ghHeight(measureFont);
        const int firstHeight = g.H;

        // The measuring pass wraps at the width the line will really have, so an indented line does not
        // run past the right edge.
        MiniHtmlRect measureBox = running;
        measureBox.Left += indent();
        PassResult measured;
        MiniHtmlRenderLine(rest, measureBox, Pass::Measure, g, measureFont, measured);
        const std::string_view source = rest.substr(0, measured.consumed);
        rest = measured.dropRest ? std::string_view() : rest.substr(measured.consumed);

        MiniHtmlRect box = running;
        const int width = running.Right - running.Left;
        if (state_.alignment == MiniHtmlAlign::Center && (width - measured.W) / 2 > 0) {
            box.Left += (width - measured.W) / 2;
        } else if (state_.alignment == MiniHtmlAlign::Right && running.Right - measured.W > running.Left) {
            box.Left = running.Right - measured.W;
        }
        box.Left += indent();
        box.Bottom = g.boxBottom(running.Top);

        if (!in_.MeasureOnly) {
            state_.restartLine(start);
            PassResult second;
            MiniHtmlRenderLine(source, box, in_.CheckOnly ? Pass::Check : Pass::Draw, g, secondFont, second);
            if (in_.CheckOnly) {
                const int bottom = g.boxBottom(running.Top) - g.Q;
                const int gh = ghHeight(secondFont);
                if (second.runAnchor > 0 && in_.Y > bottom - gh && in_.Y < bottom) {
                    out_.Result = true;
                    out_.AnchorHref = second.runHref;
                    pendingAnchor_ = second.runAnchor;
                    for (const AnchorClose& close : second.closes) {
                        if (close.index == second.runAnchor) {
                            out_.AnchorIndex = close.index;
                            out_.AnchorRect = close.rect;
                            pendingAnchor_ = -1;
                        }
                    }
                }
                if (second.imageHit) {
                    out_.Result = true;
                    out_.AnchorHref = second.imageHref;
                }
            }
        }

        running.Top = Grow(running.Top, g.H + g.S + g.R);
        out_.YSize = Grow(out_.YSize, g.H + g.S + g.R);
        if (measured.consumed == 0 && !measured.dropRest) {
            break; // nothing could be laid out: stop rather than loop
        }
        if (!in_.MeasureOnly && running.Top + firstHeight > in_.Rect.Bottom) {
            break;
        }
    }

    if (out_.YSize == 0) {
        out_.YSize = ghHeight(baseFont_);
    }
    out_.AnchorCount = state_.anchorCount;
    canvas_.setBrush(callerBackground);
    canvas_.setFont(base);
    return out_;
}

void Renderer::MiniHtmlRenderLine(std::string_view text, const MiniHtmlRect& box, Pass pass, LineGeometry& g,
                                  MiniHtmlFont& font, PassResult& r) {
    const bool draws = pass == Pass::Draw;
    context_.draws = draws;
    const int L = box.Left;
    const int T = box.Top;
    const int right = box.Right;
    int lineWidth = right - L;
    int x = L;
    int& W = r.W;
    int trailing = 0;
    bool anyPlaced = false;
    bool lastEndsWithSpace = false;
    int items = 0;         // <LI> tags on this line
    int anchorStartW = -1; // W at the <A> of the open anchor, when that stood on this line
    const auto consume = [&](std::size_t n) {
        text.remove_prefix(n);
        r.consumed += n;
    };

    if (draws) {
        if (focusOpen_) {
            focus_.Left = L + 1;
            focus_.Top = T;
        }
        if (state_.paragraphBand && state_.background != clNone) {
            fill({in_.Rect.Left, T, in_.Rect.Right, T + g.H}, state_.background);
        }
    }

    while (!text.empty()) {
        const MiniHtmlRun run = CutMiniHtmlRun(text, in_.WordWrap);
        if (!run.empty()) {
            useFont(font);
            const MiniHtmlSize size = canvas_.measureText(run.text, kMeasureFlags);
            if (state_.subscript) {
                g.S = std::max(g.S, size.cy / 4);
            }
            if (state_.superscript) {
                g.R = std::max(g.R, size.cy / 4);
            }
            g.H = std::max(g.H, size.cy);
            if (state_.hidden) {
                consume(run.length);
                continue;
            }
            const int w = size.cx;
            W = Grow(W, w);
            if (pass == Pass::Check && state_.inAnchor && in_.X - L >= W - w && in_.X - L <= W) {
                r.runAnchor = state_.anchorCount;
                r.runHref = state_.href;
            }
            if (draws) {
                drawRun(run.text, x, T, right, g, font);
                if (inFocusAnchor()) {
                    out_.FocusAnchor = state_.href;
                }
                if (state_.errorMarking) {
                    drawZigzag(x, x + w, g.textBottom(T));
                }
                x = Grow(x, w);
            }
            // The measuring pass alone decides where a line breaks; the second pass places everything
            // of the line's source, even where an aligned or indented box leaves it less room. A run wider
            // than the whole line is taken only onto an empty line, so it stands alone rather than run
            // past the edge after other words.
            const bool fits = pass != Pass::Measure || W < lineWidth || (w >= lineWidth && !anyPlaced) ||
                              (anyPlaced && !lastEndsWithSpace);
            if (fits || !in_.WordWrap) {
                const bool firstOnLine = !anyPlaced;
                consume(run.length);
                anyPlaced = true;
                lastEndsWithSpace = !run.text.empty() && run.text.back() == ' ';
                trailing = run.endsWithPlainSpace() ? spaceWidth(font) : 0;
                if (!fits && !firstOnLine) {
                    r.dropRest = true;
                    break;
                }
            } else {
                W -= w;
                break; // the line is full; the run starts the next one
            }
        }

        if (IsDroppedTagTail(text)) {
            consume(text.size());
            break;
        }
        if (!StartsMiniHtmlTag(text)) {
            continue;
        }
        const std::size_t length = MiniHtmlTagLength(text);
        const MiniHtmlTagKind kind = ClassifyMiniHtmlTag(text, state_.listLevel);
        if (kind == MiniHtmlTagKind::ListItem) {
            const int cell = Bounded(state_.listLevel) * kBulletCell;
            W = Grow(W, cell);
            if (items > 0) {
                break; // a second item starts the next line, where it is read again
            }
            ++items;
            x = Grow(x, cell - kBulletCell);
            if (draws && !state_.hidden) {
                drawBullet(x, T, g.textBottom(T), font);
            }
            x += kBulletCell;
        } else if (kind == MiniHtmlTagKind::Image) {
            const MiniHtmlImage parsed = ParseMiniHtmlImage(text.substr(0, length));
            const ImagePlacement image = placeImage(parsed);
            if (pass == Pass::Check && state_.inAnchor && L + W < in_.X && in_.X < L + W + image.w &&
                T < in_.Y && in_.Y < T + image.h) {
                r.imageHit = true;
                r.imageHref = state_.href;
            }
            if (pass == Pass::Measure && W + image.w > lineWidth && image.w < lineWidth) {
                break; // the image starts the next line
            }
            if (draws) {
                drawImage(image, x, T);
            }
            W = Grow(W, image.w);
            x = Grow(x, image.w);
            g.H = std::max(g.H, image.h);
            if (parsed.align == MiniHtmlImageAlign::Top) {
                g.Q = g.H - ghHeight(font);
            } else if (parsed.align == MiniHtmlImageAlign::Middle) {
                g.Q = (g.H - ghHeight(font)) / 2;
            }
        } else if (kind == MiniHtmlTagKind::EndAnchor && state_.inAnchor) {
            if (pass == Pass::Check) {
                const AnchorClose close{
                    state_.anchorCount,
                    {anchorStartW >= 0 ? L + anchorStartW : L, T, L + W, g.textBottom(T)}};
                r.closes.push_back(close);
                if (close.index == pendingAnchor_) {
                    out_.AnchorIndex = close.index;
                    out_.AnchorRect = close.rect;
                    pendingAnchor_ = -1;
                }
            }
            if (draws && inFocusAnchor() && focusOpen_) {
                focus_.Right = x;
                focus_.Bottom = g.textBottom(T) - g.Q;
                focus_.Top = focus_.Bottom - ghHeight(font);
                drawFocusPart(focus_);
                focusOpen_ = false;
            }
            anchorStartW = -1;
        }

        const MiniHtmlTagEffect effect = ApplyMiniHtmlTag(text, state_, font, context_);
        switch (effect.kind) {
        case MiniHtmlTagKind::Anchor:
            anchorStartW = W;
            if (draws && inFocusAnchor()) {
                focusOpen_ = true;
                focus_ = {x, T, x, T};
            }
            break;
        case MiniHtmlTagKind::Indent:
            if (effect.indent && *effect.indent > W) {
                W = Bounded(*effect.indent);
                x = Grow(L, W);
            }
            break;
        case MiniHtmlTagKind::Rule:
            if (draws) {
                canvas_.setPen(kRuleBlack, 1);
                canvas_.drawLine(L, g.textBottom(T) + 1, right, g.textBottom(T) + 1);
            }
            break;
        case MiniHtmlTagKind::Body:
            if (draws) {
                fillBody(effect);
            }
            break;
        case MiniHtmlTagKind::Paragraph:
            if (pass == Pass::Measure) {
                // A new indent applies to this line already: wrap in the width it leaves.
                lineWidth = right - (in_.Rect.Left + 1 + indent());
            }
            if (draws && effect.fill.kind == MiniHtmlFill::Kind::Solid) {
                fill({in_.Rect.Left, T, in_.Rect.Right, g.textBottom(T)}, effect.fill.from);
            } else if (draws && effect.fill.kind == MiniHtmlFill::Kind::Gradient) {
                GradientFill(canvas_, effect.fill.from, effect.fill.to, true,
                             {in_.Rect.Left, T, in_.Rect.Right, g.textBottom(T) + 2}, kGradientBands);
                canvas_.setBrush(clNone);
            }
            break;
        default:
            break;
        }
        consume(length);
        if (effect.endsLine) {
            break;
        }
    }

    W -= trailing;
    out_.XSize = std::max(out_.XSize, W);
    if (draws && focusOpen_) {
        focus_.Right = x;
        focus_.Bottom = g.textBottom(T);
        drawFocusPart(focus_);
    }
}

void Renderer::drawRun(const std::string& text, int x, int top, int right, const LineGeometry& g,
                       const MiniHtmlFont& font) {
    int bottom = g.textBottom(top) - g.Q;
    if (state_.superscript) {
        bottom -= g.R;
    } else if (state_.subscript) {
        bottom += g.S;
    }
    const unsigned flags = kDrawFlags | (in_.WordWrap ? 0u : static_cast<unsigned>(dtEndEllipsis));
    canvas_.setTextBackground(state_.background);
    if (state_.shadow) {
        MiniHtmlFont shadow = font;
        shadow.Color = in_.ShadowColor;
        useFont(shadow);
        const int d = in_.ShadowOffset;
        canvas_.drawText(text, {x + d, top + d, right + d, bottom + d}, flags);
    }
    useFont(font);
    canvas_.drawText(text, {x, top, right, bottom}, flags);
}

void Renderer::drawZigzag(int left, int right, int textBottom) {
    canvas_.setPen(kErrorRed, 1);
    int x = 2 * (left / 2);
    int phase = x % 4 == 0 ? 2 : 0;
    int y = textBottom + phase - 1;
    while (x < right) {
        phase = 2 - phase;
        const int nextY = textBottom + phase - 1;
        canvas_.drawLine(x, y, x + 2, nextY);
        x += 2;
        y = nextY;
    }
}

void Renderer::drawBullet(int x, int top, int bottom, const MiniHtmlFont& font) {
    MiniHtmlFont symbol = font;
    symbol.Face = "Symbol";
    useFont(symbol);
    // Odd levels get a filled bullet, even levels a ring.
    const char* bullet = state_.listLevel % 2 != 0 ? "\xE2\x80\xA2" : "o";
    canvas_.setTextBackground(state_.background);
    canvas_.drawText(bullet, {x, top, x + kBulletCell, bottom},
                     kDrawFlags & ~static_cast<unsigned>(dtBottom));
}

void Renderer::drawFocusPart(const MiniHtmlRect& part) {
    canvas_.drawFocusRect(Widened(part));
}

void Renderer::fill(const MiniHtmlRect& rect, TColor color) {
    canvas_.setBrush(color);
    canvas_.fillRect(rect);
    canvas_.setBrush(clNone);
}

void Renderer::fillBody(const MiniHtmlTagEffect& effect) {
    if (!effect.backgroundPicture.empty()) {
        tileBackground(effect.backgroundPicture);
    }
    const MiniHtmlRect& rect = in_.Rect;
    if (effect.fill.kind == MiniHtmlFill::Kind::Solid) {
        fill({rect.Left - 2, rect.Top, rect.Right, rect.Bottom}, effect.fill.from);
    } else if (effect.fill.kind == MiniHtmlFill::Kind::Gradient) {
        GradientFill(canvas_, effect.fill.from, effect.fill.to, effect.fill.horizontal, rect, kGradientBands);
        canvas_.setBrush(clNone);
    }
}

void Renderer::tileBackground(const std::string& name) {
    const MiniHtmlPicture* picture = findPicture(name);
    if (picture == nullptr || picture->empty() || picture->width() <= 0 || picture->height() <= 0) {
        return;
    }
    const MiniHtmlRect& rect = in_.Rect;
    canvas_.pushClip(rect);
    for (int y = rect.Top; y < rect.Bottom; y += picture->height()) {
        for (int x = rect.Left; x < rect.Right; x += picture->width()) {
            canvas_.drawPicture(*picture, {x, y, x + picture->width(), y + picture->height()});
        }
    }
    canvas_.popClip();
}

const MiniHtmlPicture* Renderer::findPicture(const std::string& source) {
    // A picture that cannot be loaded is no picture: a paint must never fail because of one.
    try {
        if (source.find(':') == std::string::npos) {
            return in_.PictureContainer != nullptr ? in_.PictureContainer->findPicture(source) : nullptr;
        }
        if (source.find("://") == std::string::npos || in_.PictureCache == nullptr) {
            return nullptr;
        }
        if (const MiniHtmlPicture* cached = in_.PictureCache->findPicture(source)) {
            return cached;
        }
        try {
            in_.PictureCache->addPicture(source);
        } catch (...) {
            // The cache keeps the failed entry, empty; it is looked up below like any other.
        }
        return in_.PictureCache->findPicture(source);
    } catch (...) {
        return nullptr;
    }
}

ImagePlacement Renderer::placeImage(const MiniHtmlImage& image) {
    ImagePlacement place;
    const std::string& src = image.src;
    if (ascii::StartsNoCase(src, "IDX:")) {
        const int index = LeadingNumber(std::string_view(src).substr(4));
        if (in_.Images != nullptr && index >= 0 && index < in_.Images->count()) {
            place.w = scaleX(in_.Images->width());
            place.h = scaleY(in_.Images->height());
            place.picture = in_.Images->image(index);
            place.kind =
                place.picture != nullptr ? ImagePlacement::Kind::Picture : ImagePlacement::Kind::None;
            place.dest = {0, 0, in_.Images->width(), in_.Images->height()};
        }
        return place;
    }
    if (ascii::StartsNoCase(src, "SSYS:") || ascii::StartsNoCase(src, "LSYS:")) {
        place.kind = ImagePlacement::Kind::SystemIcon;
        place.largeIcon = ascii::StartsNoCase(src, "LSYS:");
        place.iconSource = src.substr(5);
        const MiniHtmlSize size = canvas_.systemIconSize(place.largeIcon);
        place.w = scaleX(size.cx);
        place.h = scaleY(size.cy);
        return place;
    }
    const MiniHtmlPicture* picture = findPicture(src);
    if (picture == nullptr || picture->empty()) {
        return place;
    }
    place.kind = ImagePlacement::Kind::Picture;
    place.picture = picture;
    if (image.width < 1 || image.height < 1) {
        place.dest = {picture->frameOffsetX(), picture->frameOffsetY(),
                      picture->frameOffsetX() + picture->width(),
                      picture->frameOffsetY() + picture->height()};
        place.w = scaleX(picture->width());
        place.h = scaleY(picture->height());
    } else {
        place.dest = {0, 0, Bounded(image.width), Bounded(image.height)};
        place.w = scaleX(image.width);
        place.h = scaleY(image.height);
    }
    return place;
}

void Renderer::drawImage(const ImagePlacement& image, int x, int top) {
    if (image.kind == ImagePlacement::Kind::Picture && image.picture != nullptr) {
        canvas_.drawPicture(*image.picture, {x + image.dest.Left, top + image.dest.Top, x + image.dest.Right,
                                             top + image.dest.Bottom});
    } else if (image.kind == ImagePlacement::Kind::SystemIcon) {
        canvas_.drawSystemIcon(image.iconSource, image.largeIcon, x, top);
    }
}

} // namespace

MiniHtmlRenderOutput MiniHtmlRender(const MiniHtmlRenderInput& input) {
    if (input.Canvas == nullptr) {
        return {};
    }
    return Renderer(input).render();
}
