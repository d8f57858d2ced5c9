#pragma once
// The notice popup: a component on a form that shows a short mini-HTML text in a shaded, borderless window
// rising from the bottom-right corner of the desktop's work area.
//
//     popup.setText(QStringLiteral("Tömörítés kész."));
//     popup.RollUp();
//
// Property changes reach the window at the next show; Text also at once while the window exists. There is
// no hide operation: the window hides itself when the pointer leaves it (AutoHide) or at the next show.

#include "controls/MiniHtmlPopupWindow.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <string>

class QEventLoop;

class TMiniHtmlPopup : public QObject {
    Q_OBJECT
public:
    // Sender is the component; Anchor the href of the link, which may be empty.
    using TAnchorClickEvent = TAnchorClick;
    // The desktop area that the taskbar does not cover, in screen pixels.
    using TWorkAreaSource = std::function<QRect()>;

    // owner is the form the popup sits on: it owns the component and, from the first show, the window.
    explicit TMiniHtmlPopup(QWidget* owner);
    ~TMiniHtmlPopup() override;

    // Prepares the window and shows it at (PopupLeft, PopupTop). Returns at once.
    void ShowPopup();
    // Shows the window below the work area's bottom edge, 20 pixels left of its right edge, and slides it
    // up by 20 pixels every 50 ms until its bottom edge is RollUpSpace pixels above the work area's bottom.
    // Returns when it is there, or when the popup or its owner is destroyed meanwhile; the program's
    // events, timers and paints go on all the while. A RollUp called during a rise shows its own notice
    // in the same window, which rises anew from below; it returns at once, and the RollUp already waiting
    // returns when the new notice is up. However many notices come, only one RollUp waits.
    void RollUp();

    bool AlwaysOnTop() const { return look_.AlwaysOnTop; }
    void setAlwaysOnTop(bool value) { look_.AlwaysOnTop = value; }
    bool AutoHide() const { return look_.AutoHide; }
    void setAutoHide(bool value) { look_.AutoHide = value; }
    bool AutoSize() const { return look_.AutoSize; }
    void setAutoSize(bool value) { look_.AutoSize = value; }
    TPopupAutoSizeType AutoSizeType() const { return look_.AutoSizeType; }
    void setAutoSizeType(TPopupAutoSizeType value) { look_.AutoSizeType = value; }
    // Width of the raised and sunken frame; 0 draws a one-pixel edge. A negative width counts as 0.
    int BorderSize() const { return look_.BorderSize; }
    void setBorderSize(int value);
    TColor Color() const { return look_.Color; }
    void setColor(TColor value) { look_.Color = value; }
    // The base font of the text, colour included; a copy is kept.
    const CanvasFont& Font() const { return look_.Font; }
    void setFont(const CanvasFont& value) { look_.Font = value; }
    bool Hover() const { return look_.Hover; }
    void setHover(bool value) { look_.Hover = value; }
    // Pictures for <IMG SRC="IDX:n">; forgotten when the list is destroyed.
    TMiniHtmlImageList* Images() const { return look_.Images.data(); }
    void setImages(TMiniHtmlImageList* value) { look_.Images = value; }
    int MarginX() const { return look_.MarginX; }
    void setMarginX(int value) { look_.MarginX = value; }
    int MarginY() const { return look_.MarginY; }
    void setMarginY(int value) { look_.MarginY = value; }
    int PopupLeft() const { return popupLeft_; }
    void setPopupLeft(int value) { popupLeft_ = value; }
    int PopupTop() const { return popupTop_; }
    void setPopupTop(int value) { popupTop_ = value; }
    // A negative space counts as 0: the rise would otherwise never end.
    int RollUpSpace() const { return rollUpSpace_; }
    void setRollUpSpace(int value);
    bool ShadeEnable() const { return look_.ShadeEnable; }
    void setShadeEnable(bool value) { look_.ShadeEnable = value; }
    TColor ShadeStartColor() const { return look_.ShadeStartColor; }
    void setShadeStartColor(TColor value) { look_.ShadeStartColor = value; }
    TColor ShadeEndColor() const { return look_.ShadeEndColor; }
    void setShadeEndColor(TColor value) { look_.ShadeEndColor = value; }
    // Kept within 0..65535; 0 paints one band.
    int ShadeSteps() const { return look_.ShadeSteps; }
    void setShadeSteps(int value);
    TShadeDirection ShadeDirection() const { return look_.ShadeDirection; }
    void setShadeDirection(TShadeDirection value) { look_.ShadeDirection = value; }
    // The markup, as lines joined with no separator at all. A copy is kept; while the window exists it
    // gets the new text at once.
    const QStringList& Text() const { return text_; }
    void setText(const QStringList& lines);
    void setText(const QString& line) { setText(QStringList{line}); }
    // Named pictures for <IMG> and <BODY>; forgotten when the container is destroyed.
    TMiniHtmlPictureContainer* PictureContainer() const { return look_.PictureContainer.data(); }
    void setPictureContainer(TMiniHtmlPictureContainer* value) { look_.PictureContainer = value; }
    int PopupWidth() const { return popupWidth_; }
    void setPopupWidth(int value) { popupWidth_ = value; }
    int PopupHeight() const { return popupHeight_; }
    void setPopupHeight(int value) { popupHeight_ = value; }
    QString Version() const { return QStringLiteral("1.0.0.0"); }
    // Read-only: assigning has no effect.
    void setVersion(const QString&) {}

    TAnchorClickEvent OnAnchorClick;

    // The window, from the first show until its owner destroys it; null otherwise.
    TMiniHtmlPopupWindow* PopupWindow() const { return window_.data(); }

    // Where the work area comes from: the primary screen's available geometry unless replaced (tests
    // give a fixed one; the offscreen platform has no taskbar).
    void setWorkAreaSource(TWorkAreaSource source) { workArea_ = std::move(source); }

private:
    // Steps 1 and 2 of every show: a hidden window with the current settings, text and size.
    void prepare();
    QRect workArea() const;
    // The rise: whether the window's bottom edge is still below the work area's; one step; the end, at
    // the final place.
    bool belowTheLine() const;
    void riseStep();
    void endRise();
    std::string joinedText() const;

    QPointer<QWidget> owner_;
    QPointer<TMiniHtmlPopupWindow> window_;
    TMiniHtmlPopupLook look_;
    QStringList text_;
    int popupLeft_ = 0;
    int popupTop_ = 0;
    int rollUpSpace_ = 0;
    int popupWidth_ = 200;
    int popupHeight_ = 200;
    TWorkAreaSource workArea_;

    // The rise in progress: the work area's bottom edge read by the latest RollUp, the steps, and the
    // loop of the RollUp that waits for the end (a later one hands its notice to it instead of nesting).
    int riseBottom_ = 0;
    QTimer riseTimer_;
    QEventLoop* riseLoop_ = nullptr;
};
