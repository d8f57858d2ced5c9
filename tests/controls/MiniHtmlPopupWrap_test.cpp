// A notice sized to its text by height draws every line of it at any width: the height is measured in the
// very rectangle the text is painted in.
#include "controls/MiniHtmlPopup.h"
#include "support/FixedCanvasMaker.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PopupAutoSize, ByHeightEveryWordOfTheNoticeIsDrawnAtEveryWidth) {
    FixedCanvasMaker fixed;
    QWidget owner;
    TMiniHtmlPopup popup(&owner);
    CanvasFont font;
    font.Face = "Arial";
    font.PixelHeight = 16;
    popup.setFont(font);
    popup.setAutoSize(true);
    popup.setAutoSizeType(asdHeight);
    popup.setText(QStringLiteral("aa bbb cccc dd eee ffff g hh iii"));
    // The program's margins of 5, the default ones of 4, and margins inside a raised frame.
    const struct {
        int margin;
        int border;
    } looks[] = {{5, 0}, {4, 0}, {5, 3}};
    for (const auto& look : looks) {
        popup.setMarginX(look.margin);
        popup.setMarginY(look.margin);
        popup.setBorderSize(look.border);
        // Every width from one where the longest word just fits to one where the whole line does.
        for (int width = 28 + 2 * (look.margin + look.border); width <= 240; ++width) {
            popup.setPopupWidth(width);
            popup.ShowPopup();
            RecordingCanvas canvas;
            canvas.setFont(font);
            popup.PopupWindow()->paintTo(canvas);
            std::string words;
            for (const std::string& piece : canvas.drawnTexts()) {
                for (const char c : piece) {
                    if (c != ' ') {
                        words += c;
                    }
                }
            }
            EXPECT_EQ(words, "aabbbccccddeeeffffghhiii")
                << "width " << width << ", margins " << look.margin << ", frame " << look.border;
        }
    }
}

} // namespace
