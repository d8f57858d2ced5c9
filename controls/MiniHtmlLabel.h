#pragma once
// A label that shows a mini-HTML text and reports a press on a link. The note list is one: every note
// name is a link whose href is the note id.
//
// Beyond the classic label it can scroll (Scrolling, off by default): a text taller than the label then
// scrolls with the wheel and a slim scroll bar at the right edge, shown only while it is needed, so every
// line of a long list can be reached. Painting, hit-testing and hover all use the scrolled position.

#include "controls/MiniHtmlControl.h"
#include "controls/MiniHtmlLineIndex.h"

class QScrollBar;
class QTimer;

class TMiniHtmlLabel : public MiniHtmlControl {
    Q_OBJECT
public:
    explicit TMiniHtmlLabel(QWidget* parent = nullptr);

    void setTransparent(bool on);
    bool Transparent() const { return transparent_; }
    void setColorTo(TColor color);
    TColor ColorTo() const { return colorTo_; }
    void setGradientType(TGradientType type);
    TGradientType GradientType() const { return gradientType_; }
    // Kept for completeness; it changes nothing.
    void setLineWidth(int width) { lineWidth_ = width; }
    int LineWidth() const { return lineWidth_; }
    // The whole text as the hint: its plain text, or the markup itself with HTMLHint.
    void setHintShowFull(bool on) { hintShowFull_ = on; }
    bool HintShowFull() const { return hintShowFull_; }
    void setHTMLHint(bool on) { htmlHint_ = on; }
    bool HTMLHint() const { return htmlHint_; }
    void setOnAnchorHint(TAnchorHintEvent handler) { onAnchorHint_ = std::move(handler); }

    void setScrolling(bool on);
    bool Scrolling() const { return scrolling_; }
    // Pixels of text scrolled out at the top; 0 unless Scrolling is on and the text is taller than the label.
    int scrollOffset() const { return offset_; }
    void setScrollOffset(int offset);
    // The slim bar at the right edge (objectName "scrollBar"); visible only while the text is taller.
    QScrollBar* scrollBar() const { return bar_; }

    // The text's size as the last paint laid it out.
    int textWidth() const { return xSize_; }
    int textHeight() const { return ySize_; }

protected:
    MiniHtmlRect layoutRect(Canvas& canvas) override;
    MiniHtmlRenderOutput renderText(const MiniHtmlRenderInput& input) override;
    bool rendersOwnText() const override { return scrolling_; }
    void textChanged() override;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Brings the line index up to the text, shows the bar only when the text is taller than the label, and
    // keeps the offset where it still fits.
    void updateScrollRange();
    // The scroll range for a text height; the offset kept where it still fits.
    void applyContentHeight(int height);
    // The engine input the index measures with: the text rectangle beside the bar when it shows; no text.
    MiniHtmlRenderInput layoutInput(Canvas& canvas) const;
    // Measures a slice of the lines not measured yet, and comes back for the rest while the program idles.
    void measureIdle();
    bool barShown() const;
    void showHint(QPoint point, QPoint globalPoint);
    void changeEvent(QEvent* event) override;

    bool transparent_ = false;
    TColor colorTo_ = clNone;
    TGradientType gradientType_ = TGradientType::gtFullHorizontal;
    int lineWidth_ = 0;
    bool hintShowFull_ = false;
    bool htmlHint_ = false;
    TAnchorHintEvent onAnchorHint_;

    bool scrolling_ = false;
    int offset_ = 0;
    int visibleTop_ = 0; // top of the text rectangle while scrolled
    int contentHeight_ = 0;
    int wheelDelta_ = 0; // wheel turn not yet scrolled, in eighths of a degree
    QScrollBar* bar_;
    QTimer* idle_;
    pinlet::MiniHtmlLineIndex lines_;
    int xSize_ = 0;
    int ySize_ = 0;
};
