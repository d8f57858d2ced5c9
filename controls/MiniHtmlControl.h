#pragma once
// What the mini-HTML display controls share: the text and its look, the pictures, laying the text out in
// the control, the link under the pointer with its hand cursor and enter/exit events, and the press that
// opens or reports a link. Each control adds what makes it different (painting, scrolling, keyboard).

#include "controls/AnchorTracker.h"
#include "controls/MiniHtmlAnchors.h"
#include "controls/MiniHtmlControlTypes.h"
#include "controls/MiniHtmlFrames.h"
#include "controls/MiniHtmlImageList.h"
#include "controls/MiniHtmlPictureCache.h"
#include "controls/MiniHtmlPictureContainer.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>

class MiniHtmlControl : public QWidget {
    Q_OBJECT
public:
    // The mini-HTML text. A control keeps it as lines joined with nothing between them, so every CR and
    // LF is dropped: a line break in the display is written "<BR>".
    void setHTMLText(const std::string& text);
    // The same; a text without line ends is taken over, not copied.
    void setHTMLText(std::string&& text);
    const std::string& HTMLText() const { return *text_; }

    void setURLColor(TColor color);
    TColor URLColor() const { return urlColor_; }
    void setShadowColor(TColor color);
    TColor ShadowColor() const { return shadowColor_; }
    void setShadowOffset(int offset);
    int ShadowOffset() const { return shadowOffset_; }
    void setHover(bool on);
    bool Hover() const { return hover_; }
    void setHoverColor(TColor color);
    TColor HoverColor() const { return hoverColor_; }
    void setHoverFontColor(TColor color);
    TColor HoverFontColor() const { return hoverFontColor_; }
    void setAnchorHint(bool on) { anchorHint_ = on; }
    bool AnchorHint() const { return anchorHint_; }
    void setAutoSizing(bool on);
    bool AutoSizing() const { return autoSizing_; }
    void setAutoSizeType(TAutoSizeType type);
    TAutoSizeType AutoSizeType() const { return autoSizeType_; }
    virtual void setVAlignment(TVAlignment alignment);
    TVAlignment VAlignment() const { return vAlignment_; }
    void setEllipsis(bool on);
    bool Ellipsis() const { return ellipsis_; }
    void setBevelInner(TBevelCut cut);
    TBevelCut BevelInner() const { return frame_.BevelInner; }
    void setBevelOuter(TBevelCut cut);
    TBevelCut BevelOuter() const { return frame_.BevelOuter; }
    void setBevelWidth(int width);
    int BevelWidth() const { return frame_.BevelWidth; }
    void setBorderWidth(int width);
    int BorderWidth() const { return frame_.BorderWidth; }
    void setBorderStyle(TBorderStyle style);
    TBorderStyle BorderStyle() const { return frame_.BorderStyle; }
    void setImages(TMiniHtmlImageList* images);
    TMiniHtmlImageList* Images() const { return images_; }
    void setPictureContainer(TMiniHtmlPictureContainer* container);
    TMiniHtmlPictureContainer* PictureContainer() const { return pictures_; }
    // Background colour and text colour (system colours allowed); the font is the widget's font.
    void setColor(TColor color);
    TColor Color() const { return color_; }
    void setFontColor(TColor color);
    TColor FontColor() const { return fontColor_; }
    // How the owner places the control; auto-sizing leaves a stretched extent alone.
    void setAlign(TAlign align) { align_ = align; }
    TAlign Align() const { return align_; }
    std::string Version() const { return kMiniHtmlControlVersion; }

    void setOnAnchorClick(TAnchorClick handler) { onAnchorClick_ = std::move(handler); }
    void setOnAnchorEnter(TAnchorClick handler) { onAnchorEnter_ = std::move(handler); }
    void setOnAnchorExit(TAnchorClick handler) { onAnchorExit_ = std::move(handler); }
    void setOnMouseEnter(TNotifyEvent handler) { onMouseEnter_ = std::move(handler); }
    void setOnMouseLeave(TNotifyEvent handler) { onMouseLeave_ = std::move(handler); }

    // The anchor number drawn in the hover style, -1 for none.
    int hoverLink() const { return tracker_.hoverLink(); }
    // The link under a client point, laid out exactly as the last paint drew it.
    pinlet::AnchorHit anchorAt(QPoint point);

protected:
    MiniHtmlControl(QWidget* parent, int shadowOffset);

    // The engine's input for the text in rect on canvas, with the control's look; the caller sets the
    // point, hover, focus and mode.
    MiniHtmlRenderInput renderInput(Canvas& canvas, const MiniHtmlRect& rect) const;
    CanvasFont canvasFont() const;
    const pinlet::MiniHtmlFrameStyle& frameStyle() const { return frame_; }
    // The text as one object, new at every change, for whoever keeps it beside the control (a line
    // index): shared rather than copied.
    const std::shared_ptr<const std::string>& sharedText() const { return text_; }

    // The rectangle the text is laid out in on canvas: inside the frames, grown for auto-sizing, moved for
    // vertical alignment and scrolling. Painting and hit-testing both use it.
    virtual MiniHtmlRect layoutRect(Canvas& canvas);
    // Lays out, draws or hit-tests; a control that keeps line positions renders through them.
    virtual MiniHtmlRenderOutput renderText(const MiniHtmlRenderInput& input);
    // True when renderText reads the text from the control itself: the inputs are then made without a
    // copy of it, which for a long list is most of what a paint or a pointer move would cost.
    virtual bool rendersOwnText() const { return false; }
    // The text rectangle inside the frames, before auto-sizing, alignment and scrolling.
    MiniHtmlRect frameTextRect() const;
    // The text rectangle grown by auto-sizing.
    MiniHtmlRect autoSizedRect(MiniHtmlRect rect) const;
    // rect moved down for centre or bottom alignment when the text is lower than the control.
    MiniHtmlRect alignedRect(Canvas& canvas, MiniHtmlRect rect);
    // Applies the text size of a paint to the control when auto-sizing; true when the size changed.
    bool applyAutoSize(int xSize, int ySize);

    // The pointer is at point (over the control): hit test, cursor, enter/exit, hover repaint.
    virtual void trackPointer(QPoint point);
    void trackHit(const pinlet::AnchorHit& hit);
    // With AnchorHint on and a link at point: shows its href (which onHint may replace) as the hint 10
    // pixels right of and above globalPoint, and returns true.
    bool showAnchorHint(QPoint point, QPoint globalPoint, const TAnchorHintEvent& onHint = {});
    // A hint that shows text as written: a tooltip would read text that looks like markup as rich text.
    static QString plainHint(const std::string& text);
    // A press opens the link under it or reports it. A press that hits a link is accepted first: the
    // handler may destroy this control, and Qt must not then hand the press on to the parent through it.
    void pressAt(QMouseEvent& press);
    // The text was replaced: hover dropped, pictures loaded for the old text forgotten.
    virtual void textChanged();
    pinlet::AnchorTracker& tracker() { return tracker_; }
    // Opens href when it is an allowed address, else raises handler (OnAnchorClick, OnAnchorKeypress) with
    // it. The handler may destroy this control, and with it the handler object and any href kept in the
    // control: it runs as a copy, with a copy of href, and nothing of the control is touched afterwards.
    void activateAnchor(std::string href, TAnchorClick handler);

    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

    TAnchorClick onAnchorClick_;
    TAnchorClick onAnchorEnter_;
    TAnchorClick onAnchorExit_;
    TNotifyEvent onMouseEnter_;
    TNotifyEvent onMouseLeave_;

private:
    template <typename T> void store(T& field, T value);

    std::shared_ptr<const std::string> text_ = std::make_shared<const std::string>();
    TColor urlColor_ = 0xFF0000u; // blue
    TColor shadowColor_ = 0x808080u;
    int shadowOffset_;
    bool hover_ = false;
    TColor hoverColor_ = clNone;
    TColor hoverFontColor_ = clNone;
    bool anchorHint_ = false;
    bool autoSizing_ = false;
    TAutoSizeType autoSizeType_ = TAutoSizeType::asVertical;
    TVAlignment vAlignment_ = TVAlignment::tvaTop;
    bool ellipsis_ = false;
    pinlet::MiniHtmlFrameStyle frame_;
    QPointer<TMiniHtmlImageList> images_;
    QPointer<TMiniHtmlPictureContainer> pictures_;
    TMiniHtmlPictureCache cache_;
    TColor color_ = SystemColor(kSystemBtnFace);
    TColor fontColor_ = SystemColor(kSystemWindowText);
    TAlign align_ = TAlign::alNone;
    pinlet::AnchorTracker tracker_;
};
