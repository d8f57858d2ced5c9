// Fuzz entry point for the mini-HTML markup: preparation, the run/tag walk the layout engine performs
// (two passes per line, restarted from the line start), tag effects and the plain-text form. Besides the
// sanitizers, it checks the promises callers build on; a broken one aborts with a message.

#include "minihtml/MiniHtmlTags.h"
#include "minihtml/markup.h"
#include "tests/support/EntitySweep.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "markup fuzz: %s\n", what);
        std::abort();
    }
}

bool ValidColor(TColor color) {
    return color == clNone || IsRgbColor(color) || IsSystemColor(color);
}

// Consumes one line from rest, as one pass of the engine does (without widths: a line ends at a tag
// that ends it, or after a handful of runs). Returns the bytes consumed.
std::size_t Pass(std::string_view rest, bool wordWrap, RenderState& state, MiniHtmlFont& font,
                 const MiniHtmlTagContext& context) {
    std::size_t used = 0;
    int runs = 0;
    while (used < rest.size()) {
        const std::string_view text = rest.substr(used);
        if (IsDroppedTagTail(text))
            return rest.size();
        if (StartsMiniHtmlTag(text)) {
            const MiniHtmlTagKind kind = ClassifyMiniHtmlTag(text, state.listLevel);
            if (kind == MiniHtmlTagKind::Image) {
                const MiniHtmlImage image = ParseMiniHtmlImage(text);
                Check(image.src.size() <= text.size(), "image source longer than its tag");
                Check(std::abs(image.width) <= kMiniHtmlPixelLimit &&
                          std::abs(image.height) <= kMiniHtmlPixelLimit,
                      "image size out of range");
            }
            const MiniHtmlTagEffect effect = ApplyMiniHtmlTag(text, state, font, context);
            Check(effect.kind == kind, "apply and classify disagree");
            Check(!effect.indent || std::abs(*effect.indent) <= kMiniHtmlPixelLimit,
                  "IND value out of range");
            const std::size_t length = MiniHtmlTagLength(text);
            Check(length > 0 && length <= text.size(), "tag length out of range");
            used += length;
            if (effect.endsLine)
                break;
            continue;
        }
        const MiniHtmlRun run = CutMiniHtmlRun(text, wordWrap);
        Check(run.length > 0 && run.length <= text.size(), "a run that consumes nothing");
        Check(run.text.size() <= run.length, "entities grew a run");
        used += run.length;
        if (++runs == 4)
            break;
    }
    return used;
}

void CheckState(const RenderState& state, const MiniHtmlFont& font) {
    Check(state.listLevel >= 0, "negative list level");
    Check(state.indent >= -kMiniHtmlPixelLimit && state.indent <= kMiniHtmlPixelLimit, "indent out of range");
    Check(!state.rotation || (*state.rotation > -360 && *state.rotation < 360), "rotation out of range");
    Check(font.Size > 0 && font.Size <= 1000, "font size out of range");
    Check(ValidColor(font.Color) && ValidColor(state.background), "invalid colour");
    Check(ValidColor(state.fontBackgroundSlot) && ValidColor(state.highlightColorSlot) &&
              ValidColor(state.highlightBackgroundSlot) && ValidColor(state.paragraphSlot) &&
              ValidColor(state.hoverSlot),
          "invalid colour in a slot");
}

void Layout(const std::string& prepared, bool wordWrap, bool hover) {
    MiniHtmlTagContext context;
    context.baseFont = {"Base", 9, 0, 0, 0x111111};
    context.callerBackground = 0xEEEEEE;
    context.urlColor = 0xFF0000;
    context.hover = hover;
    context.hoverLink = 1;
    context.hoverColor = 0x00FFFF;
    context.hoverFontColor = 0x00FF00;
    context.blink = false;

    RenderState state;
    MiniHtmlFont measureFont = context.baseFont;
    MiniHtmlFont drawFont = context.baseFont;
    std::string_view rest = prepared;
    while (!rest.empty()) {
        const RenderState::LineStart start = state.beginLine();
        context.draws = false;
        const std::size_t used = Pass(rest, wordWrap, state, measureFont, context);
        Check(used > 0, "a line that consumes nothing");
        state.restartLine(start);
        context.draws = true;
        const std::size_t again = Pass(rest.substr(0, used), wordWrap, state, drawFont, context);
        Check(again == used, "the second pass read the line differently");
        CheckState(state, drawFont);
        CheckState(state, measureFont);
        rest.remove_prefix(used);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    const std::string prepared = PrepareMiniHtml(input);
    Check(prepared.find_first_of("\r\n") == std::string::npos, "line breaks survived preparation");
    if (input.find_first_of("&<\r\n") == std::string::npos)
        Check(prepared == input, "preparation changed text without markup");
    if (size <= 256) {
        std::string expected = SweepEntities(input);
        if (const std::size_t at = expected.find("<#"); at != std::string::npos) {
            expected.erase(at, 1);
            if (const std::size_t close = expected.find('>', at); close != std::string::npos)
                expected.erase(close, 1);
        }
        Check(prepared == StripLineBreaks(expected, true), "preparation differs from the literal sweep");
    }

    for (bool wordWrap : {false, true}) {
        for (bool hover : {false, true})
            Layout(prepared, wordWrap, hover);
    }

    const std::string plain = MiniHtmlPlainText(input);
    Check(plain.size() <= input.size(), "plain text longer than its markup");
    if (input.find('<') == std::string::npos)
        Check(plain == input, "plain text changed text without tags");

    (void)LeadingNumber(input);
    (void)ParseHtmlColor(input);
    return 0;
}
