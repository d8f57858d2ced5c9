#pragma once
// The borderless window in which TMiniHtmlPopup shows its notice: a shaded background, a one-pixel edge or
// a raised frame, and the mini-HTML text. It never takes the activation or the keyboard focus, has no
// taskbar entry and stays above its owner form, which owns and destroys it.

#include "controls/AnchorTracker.h"
#include "controls/MiniHtmlAnchors.h"
#include "controls/MiniHtmlImageList.h"
#include "controls/MiniHtmlPictureCache.h"
#include "controls/MiniHtmlPictureContainer.h"
#include "minihtml/Canvas.h"
#include "minihtml/MiniHtmlRender.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>

// The label's own TAutoSizeType names other values; the popup's kind is kept apart under its own name.
enum TPopupAutoSizeType { asdHeight, asdWidth, asdBoth };
enum TShadeDirection { sdHorizontal, sdVertical };

// The display settings that the window copies from its component at every show. The references are
// cleared when the image list or picture container they point to is destroyed.
struct TMiniHtmlPopupLook {
    bool AlwaysOnTop = false;
    bool AutoHide = false;
    bool AutoSize = false;
    TPopupAutoSizeType AutoSizeType = asdHeight;
    int BorderSize = 0;
    TColor Color = SystemColor(24); // the tooltip background
    CanvasFont Font;
    bool Hover = false;
    QPointer<TMiniHtmlImageList> Images;
    int MarginX = 4;
    int MarginY = 4;
    bool ShadeEnable = false;
    TColor ShadeStartColor = 0xC0C0C0u;
    TColor ShadeEndColor = 0x808080u;
    int ShadeSteps = 40; // 0..65535; 0 paints one band
    TShadeDirection ShadeDirection = sdHorizontal;
    QPointer<TMiniHtmlPictureContainer> PictureContainer;
};

class TMiniHtmlPopupWindow : public QWidget {
    Q_OBJECT
public:
    // A frameless tool window owned by owner (which may be null for a window nobody owns).
    explicit TMiniHtmlPopupWindow(QWidget* owner);

    // Takes new settings and forgets the hovered link. Applying AlwaysOnTop may re-create the native
    // window, which hides it.
    void setLook(const TMiniHtmlPopupLook& look);
    const TMiniHtmlPopupLook& look() const { return look_; }
    // The joined mini-HTML text; repaints.
    void setHtml(const std::string& html);
    const std::string& html() const { return html_; }

    // Sizes the window to its text: text size + 2 x BorderSize + 16 in each auto-sized direction.
    void autoSize();

    // The text rectangle for the window's current size: the client rectangle less the frame and margins.
    MiniHtmlRect textRect() const;
    // The link at a point in window coordinates.
    pinlet::AnchorHit hitTest(QPoint at) const;
    // The number of the link under the pointer (1, 2 ...), -1 for none.
    int hoveredLink() const { return tracker_.hoverLink(); }

    // Draws background, frame and text for the window's current size.
    void paintTo(Canvas& canvas);

    // While a notice rises the pointer leaving it does not hide it.
    void setRising(bool rising) { rising_ = rising; }

    // A press over a link: the link's href, which may be empty.
    std::function<void(const std::string& href)> OnAnchorClick;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // The engine's inputs for painting, without a canvas.
    MiniHtmlRenderInput renderInput() const;
    void paintShading(Canvas& canvas) const;
    void paintFrame(Canvas& canvas) const;
    void trackPointer(QPoint at);

    TMiniHtmlPopupLook look_;
    std::string html_;
    // Pictures the markup loads by URL; mutable because the engine fills it while it lays out.
    mutable TMiniHtmlPictureCache pictureCache_;
    pinlet::AnchorTracker tracker_;
    bool rising_ = false;
    // The window that was active when the notice showed; it gets the activation back should a platform
    // that ignores the no-focus hints hand it to the notice.
    QPointer<QWidget> activeBeforeShow_;
};
