#pragma once
// A strip that shows a mini-HTML text on a solid background and acts on a press of its links; the banner
// under the note list is one. It can take the keyboard focus (TabStop) and walk its links with the arrow
// keys, blink <BLINK> text, and scroll a tall text with two small arrows (MiniScroll).

#include "controls/MiniHtmlControl.h"

#include <QBasicTimer>

using TOnNewSize = std::function<void(QObject* Sender, int NewWidth, int NewHeight)>;

class TMiniHtmlStaticText : public MiniHtmlControl {
    Q_OBJECT
public:
    explicit TMiniHtmlStaticText(QWidget* parent = nullptr);

    void setAutoScroll(bool on);
    bool AutoScroll() const { return autoScroll_; }
    void setEnableBlink(bool on);
    bool EnableBlink() const { return enableBlink_; }
    void setMiniScroll(bool on);
    bool MiniScroll() const { return miniScroll_; }
    void setVAlignment(TVAlignment alignment) override;
    // Whether Tab reaches the control (off by default).
    void setTabStop(bool on);
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }

    void setOnAnchorKeypress(TAnchorClick handler) { onAnchorKeypress_ = std::move(handler); }
    void setOnNewSize(TOnNewSize handler) { onNewSize_ = std::move(handler); }

    // The keyboard-focused link (0 for the first), -1 for none.
    int focusLink() const { return focusLink_; }
    // From the last paint: the number of links, the focused link's href, the text's size.
    int linkCount() const { return linkCount_; }
    const std::string& focusAnchor() const { return focusAnchor_; }
    int textWidth() const { return xSize_; }
    int textHeight() const { return ySize_; }
    int scrollOffset() const { return offset_; }
    bool blinkPhase() const { return blink_; }
    bool timerActive() const { return timer_.isActive(); }

protected:
    MiniHtmlRect layoutRect(Canvas& canvas) override;
    void trackPointer(QPoint point) override;
    void textChanged() override;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool event(QEvent* event) override;

private:
    // The text area inside fill and frames, before auto-sizing, alignment and scrolling.
    MiniHtmlRect textArea() const;
    QRect upArrow() const;
    QRect downArrow() const;
    // Scrolls by 4 pixels when point is on a shown arrow; true when it was.
    bool scrollAt(QPoint point);
    void updateTimer();
    // Lays the text out as a paint would and keeps its link count and focused href; schedules a paint.
    void refreshLinks();
    void drawArrow(Canvas& canvas, const QRect& corner, bool down) const;

    bool autoScroll_ = false;
    bool enableBlink_ = false;
    bool miniScroll_ = false;
    TAnchorClick onAnchorKeypress_;
    TOnNewSize onNewSize_;

    bool blink_ = true;
    int focusLink_ = -1;
    int linkCount_ = 0;
    std::string focusAnchor_;
    int xSize_ = 0;
    int ySize_ = 0;
    int offset_ = 0;
    bool upShown_ = false;
    bool downShown_ = false;
    bool buttonDown_ = false;
    QBasicTimer timer_;
    int ticks_ = 0;
};
