#include "minihtml/RenderState.h"

RenderState::LineStart RenderState::beginLine() {
    subscript = false;
    superscript = false;
    return LineStart{inAnchor, href,   anchorCount, listLevel,  imageCount,
                     shadow,   hidden, subscript,   superscript};
}

void RenderState::restartLine(const LineStart& start) {
    inAnchor = start.inAnchor;
    href = start.href;
    anchorCount = start.anchorCount;
    listLevel = start.listLevel;
    imageCount = start.imageCount;
    shadow = start.shadow;
    hidden = start.hidden;
    subscript = start.subscript;
    superscript = start.superscript;
}
