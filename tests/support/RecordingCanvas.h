#pragma once
// A Canvas with fixed metrics that records every call, so that layout, drawing order and hit-testing are
// tested exactly, without fonts or a display. Header-only so that any test suite can use it.
//
// Metrics: every visible character is 7 pixels wide, a space 4; a tab advances to the next multiple of 56
// pixels from the start of the text; "&" hides itself before a character and "&&" is one "&" (unless
// dtNoPrefix). A text cell is the font's PixelHeight high, or Size * 4 / 3 when that is 0 (so 12 points
// give 16 pixels, the height of "gh"), plus externalLeading when measuring with dtExternalLeading.

#include "minihtml/Canvas.h"
#include "minihtml/MiniHtmlPictures.h"

#include <string>
#include <string_view>
#include <vector>

struct CanvasCall {
    enum class Op {
        SetFont,
        Measure,
        DrawText,
        TextBackground,
        Pen,
        Brush,
        FillRect,
        Rectangle,
        Line,
        FocusRect,
        PushClip,
        PopClip,
        Picture,
        SystemIcon,
    };
    Op op = Op::SetFont;
    std::string text;   // measured or drawn text; system icon source
    MiniHtmlRect rect;  // box, rectangle, clip, picture destination; a line is (x0, y0, x1, y1)
    unsigned flags = 0; // text flags
    CanvasFont font;    // the font when the call was made
    TColor textBackground = clNone;
    TColor pen = 0;
    TColor brush = clNone;
    const MiniHtmlPicture* picture = nullptr;
};

class RecordingCanvas : public Canvas {
public:
    static constexpr int kCharWidth = 7;
    static constexpr int kSpaceWidth = 4;

    RecordingCanvas() {
        font_.Face = "Arial";
        font_.Size = 12;
    }

    int externalLeading = 0;
    int ppiX = 96;
    int ppiY = 96;
    // Measuring is const on a Canvas, and is recorded too.
    mutable std::vector<CanvasCall> calls;

    // Calls of one kind, in order.
    std::vector<CanvasCall> of(CanvasCall::Op op) const {
        std::vector<CanvasCall> result;
        for (const CanvasCall& call : calls) {
            if (call.op == op) {
                result.push_back(call);
            }
        }
        return result;
    }
    std::vector<CanvasCall> drawn() const { return of(CanvasCall::Op::DrawText); }
    std::vector<std::string> drawnTexts() const {
        std::vector<std::string> texts;
        for (const CanvasCall& call : drawn()) {
            texts.push_back(call.text);
        }
        return texts;
    }

    static int cellHeight(const CanvasFont& font) {
        return font.PixelHeight > 0 ? font.PixelHeight : font.Size * 4 / 3;
    }

    static int textWidth(std::string_view text, unsigned flags) {
        int width = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            char c = text[i];
            if (c == '&' && (flags & dtNoPrefix) == 0) {
                if (++i == text.size()) {
                    break;
                }
                c = text[i];
            }
            if ((static_cast<unsigned char>(c) & 0xC0u) == 0x80u) {
                continue; // a UTF-8 continuation byte belongs to the character before it
            }
            if (c == '\t') {
                width = (width / 56 + 1) * 56;
            } else {
                width += c == ' ' ? kSpaceWidth : kCharWidth;
            }
        }
        return width;
    }

    CanvasFont font() const override { return font_; }
    void setFont(const CanvasFont& font) override {
        font_ = font;
        record(CanvasCall::Op::SetFont);
    }
    MiniHtmlSize measureText(std::string_view text, unsigned flags) const override {
        CanvasCall call = make(CanvasCall::Op::Measure);
        call.text = std::string(text);
        call.flags = flags;
        calls.push_back(call);
        const int leading = (flags & dtExternalLeading) != 0 ? externalLeading : 0;
        return {textWidth(text, flags), cellHeight(font_) + leading};
    }
    void drawText(std::string_view text, const MiniHtmlRect& box, unsigned flags) override {
        CanvasCall call = make(CanvasCall::Op::DrawText);
        call.text = std::string(text);
        call.rect = box;
        call.flags = flags;
        calls.push_back(call);
    }
    void setTextBackground(TColor color) override {
        textBackground_ = color;
        record(CanvasCall::Op::TextBackground);
    }
    void setPen(TColor color, int) override {
        pen_ = color;
        record(CanvasCall::Op::Pen);
    }
    void setBrush(TColor color) override {
        brush_ = color;
        record(CanvasCall::Op::Brush);
    }
    TColor brushColor() const override { return brush_; }
    void fillRect(const MiniHtmlRect& rect) override { record(CanvasCall::Op::FillRect, rect); }
    void drawRectangle(const MiniHtmlRect& rect) override { record(CanvasCall::Op::Rectangle, rect); }
    void drawLine(int x0, int y0, int x1, int y1) override { record(CanvasCall::Op::Line, {x0, y0, x1, y1}); }
    void drawFocusRect(const MiniHtmlRect& rect) override { record(CanvasCall::Op::FocusRect, rect); }
    void pushClip(const MiniHtmlRect& rect) override { record(CanvasCall::Op::PushClip, rect); }
    void popClip() override { record(CanvasCall::Op::PopClip); }
    void drawPicture(const MiniHtmlPicture& picture, const MiniHtmlRect& dest) override {
        CanvasCall call = make(CanvasCall::Op::Picture);
        call.rect = dest;
        call.picture = &picture;
        calls.push_back(call);
    }
    MiniHtmlSize systemIconSize(bool large) const override {
        return large ? MiniHtmlSize{32, 32} : MiniHtmlSize{16, 16};
    }
    void drawSystemIcon(const std::string& source, bool, int x, int y) override {
        CanvasCall call = make(CanvasCall::Op::SystemIcon);
        call.text = source;
        call.rect = {x, y, x, y};
        calls.push_back(call);
    }
    int pixelsPerInchX() const override { return ppiX; }
    int pixelsPerInchY() const override { return ppiY; }
    // System colour n resolves to n in every channel, so tests can tell which one was asked for.
    TColor resolveColor(TColor color) const override {
        if (color == clNone) {
            return 0;
        }
        if (IsSystemColor(color)) {
            const TColor n = static_cast<TColor>(SystemColorIndex(color));
            return n | n << 8 | n << 16;
        }
        return color & 0xFFFFFFu;
    }

private:
    CanvasCall make(CanvasCall::Op op, const MiniHtmlRect& rect = {}) const {
        CanvasCall call;
        call.op = op;
        call.rect = rect;
        call.font = font_;
        call.textBackground = textBackground_;
        call.pen = pen_;
        call.brush = brush_;
        return call;
    }
    void record(CanvasCall::Op op, const MiniHtmlRect& rect = {}) { calls.push_back(make(op, rect)); }

    CanvasFont font_;
    TColor textBackground_ = clNone;
    TColor pen_ = 0;
    TColor brush_ = 0xFFFFFFu;
};
