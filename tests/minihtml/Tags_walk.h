#pragma once
// Walks a markup text the way the layout engine consumes it, in one pass, and records each visible run
// with the state it would be drawn in. Lets tag effects be checked as a reader sees them, without any
// geometry.

#include "minihtml/MiniHtmlTags.h"
#include "minihtml/markup.h"

#include <string>
#include <string_view>
#include <vector>

struct WalkedRun {
    std::string text; // "\n" marks a tag that ended the line
    MiniHtmlFont font;
    TColor background = clNone;
    bool inAnchor = false;
    std::string href;
};

struct Walked {
    std::vector<WalkedRun> runs;
    std::vector<MiniHtmlTagEffect> effects; // of every tag, in order
    RenderState state;
    MiniHtmlFont font;

    // The runs' texts joined, for a quick look at what shows.
    std::string text() const {
        std::string all;
        for (const WalkedRun& run : runs)
            all += run.text;
        return all;
    }
    // The first run with exactly this text.
    const WalkedRun& run(std::string_view text) const {
        for (const WalkedRun& run : runs) {
            if (run.text == text)
                return run;
        }
        static const WalkedRun missing{"<missing>", {}, clNone, false, {}};
        return missing;
    }
};

inline MiniHtmlTagContext TestContext(bool draws = true) {
    MiniHtmlTagContext context;
    context.baseFont = {"Base", 9, 0, 0, 0x111111};
    context.callerBackground = 0xEEEEEE;
    context.urlColor = 0xFF0000; // blue
    context.draws = draws;
    return context;
}

inline Walked WalkMarkup(std::string_view markup, const MiniHtmlTagContext& context, bool wordWrap = false) {
    Walked walked;
    walked.font = context.baseFont;
    const std::string prepared = PrepareMiniHtml(markup);
    std::string_view rest = prepared;
    while (!rest.empty() && !IsDroppedTagTail(rest)) {
        if (StartsMiniHtmlTag(rest)) {
            walked.effects.push_back(ApplyMiniHtmlTag(rest, walked.state, walked.font, context));
            if (walked.effects.back().endsLine)
                walked.runs.push_back({"\n", walked.font, walked.state.background, false, {}});
            rest.remove_prefix(MiniHtmlTagLength(rest));
            continue;
        }
        const MiniHtmlRun run = CutMiniHtmlRun(rest, wordWrap);
        rest.remove_prefix(run.length);
        if (!walked.state.hidden) {
            walked.runs.push_back(
                {run.text, walked.font, walked.state.background, walked.state.inAnchor, walked.state.href});
        }
    }
    return walked;
}
