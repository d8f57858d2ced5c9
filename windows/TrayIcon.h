#pragma once
// The program's icon in the desktop's notification area: its picture, tooltip, clicks and menu.

#include "windows/IcoList.h"

#include <QFlags>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

class QSystemTrayIcon;

namespace pinlet {

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftStateFlag {
    ssShift = 0x01,
    ssAlt = 0x02,
    ssCtrl = 0x04,
    ssLeft = 0x08,
    ssRight = 0x10,
    ssMiddle = 0x20,
    ssDouble = 0x40,
};
Q_DECLARE_FLAGS(TShiftState, TShiftStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TShiftState)

// The mouse messages in which the notification area reports what happened on the icon (the numbers are
// those of the Windows messages, so a native notification can be passed on unchanged).
namespace traymsg {
inline constexpr unsigned MouseMove = 0x200;
inline constexpr unsigned LeftDown = 0x201;
inline constexpr unsigned LeftUp = 0x202;
inline constexpr unsigned LeftDoubleClick = 0x203;
inline constexpr unsigned RightDown = 0x204;
inline constexpr unsigned RightUp = 0x205;
inline constexpr unsigned RightDoubleClick = 0x206;
inline constexpr unsigned MiddleDown = 0x207;
inline constexpr unsigned MiddleUp = 0x208;
inline constexpr unsigned MiddleDoubleClick = 0x209;
// The message number under which a native notification area calls back.
inline constexpr unsigned Callback = 0xB054;
} // namespace traymsg

// The notification area itself, as the component uses it. add() reports whether the icon now shows.
class TrayShell {
public:
    virtual ~TrayShell() = default;
    virtual bool add(const QIcon& icon, const QString& tip) = 0;
    virtual void modify(const QIcon& icon, const QString& tip) = 0;
    virtual void remove() = 0;
};

// The notification area through QSystemTrayIcon. Adding fails while the desktop has none, and on Windows
// while the shell does not hold the icon after the add (it then stays hidden until the next add). Activations
// are passed to `notify` as the mouse messages a native area would send: a trigger as left down + up, a
// context request as right down + up, a double click as the left double-click message, a middle click as
// middle down + up.
class QtTrayShell : public TrayShell {
public:
    explicit QtTrayShell(std::function<bool(unsigned)> notify);
    ~QtTrayShell() override;
    bool add(const QIcon& icon, const QString& tip) override;
    void modify(const QIcon& icon, const QString& tip) override;
    void remove() override;

    QSystemTrayIcon& trayicon() { return *tray_; }

private:
    // Whether the desktop really shows the icon just added.
    bool shown() const;

    std::unique_ptr<QSystemTrayIcon> tray_;
    std::function<bool(unsigned)> notify_;
};

// The tooltip made of a hint: the text before the first "|" (all of it without one), cut to 63
// characters, never inside a character that takes two UTF-16 units.
QString shorthint(const QString& hint);

// The tray icon component. The icon shows while Active and registered with the notification area; when the
// desktop has none, registering fails silently and Registered() stays false, so the program can offer
// another way in. Every change retries a failed registration while Active.
//
// Events take the sender first. An exception that one of them lets out is shown in the application's
// failure box and the notification counts as handled.
class TTrayIcon : public QObject {
    Q_OBJECT
public:
    using TMouseEvent =
        std::function<void(QObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
    using TMouseMoveEvent = std::function<void(QObject* sender, TShiftState shift, int x, int y)>;
    using TNotifyEvent = std::function<void(QObject* sender)>;

    // Shows the icon through QSystemTrayIcon.
    explicit TTrayIcon(QObject* owner = nullptr);
    // Shows the icon through the given notification area (tests pass a recording one).
    TTrayIcon(QObject* owner, std::unique_ptr<TrayShell> shell);
    ~TTrayIcon() override;

    // End of the owner's set-up: registers the icon if Active.
    void Loaded();

    bool Active() const { return active_; }
    void setActive(bool active);
    // While false, notifications raise no events and go to default handling.
    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    const QString& Hint() const { return hint_; }
    void setHint(const QString& hint);
    const QIcon& Icon() const { return icon_; }
    void setIcon(const QIcon& icon);
    // The animation frames. Changing the list applies the change.
    TIconList& Icons() { return icons_; }
    bool Animated() const { return animated_; }
    void setAnimated(bool animated);
    // Milliseconds per animation frame.
    std::uint16_t Interval() const { return interval_; }
    void setInterval(std::uint16_t interval);
    // Shown on a right click; forgotten when the menu is destroyed. Its aboutToShow fires before it shows,
    // so the owner can rebuild its items there.
    QMenu* PopupMenu() const { return popupMenu_; }
    void setPopupMenu(QMenu* menu) { popupMenu_ = menu; }

    TMouseEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

    // Whether the notification area shows the icon now.
    bool Registered() const { return registered_; }
    // The icon the area shows: the current frame while animated with frames, else Icon.
    QIcon activeicon() const;
    int frameindex() const { return frame_; }

    // One mouse message from the notification area (traymsg), with the pointer's screen position and the
    // keyboard's shift, control and alt state at that moment. Returns false when the component leaves it
    // to default handling (while not Enabled).
    bool shellnotification(unsigned message, QPoint pointer, TShiftState keys);
    // The same, reading the pointer and the keyboard now.
    bool shellnotification(unsigned message);

private:
    void registericon();
    void removeicon();
    void applychange();
    bool popup(QPoint at);
    void click(TMouseButton button, TShiftState shift, QPoint at);
    void doubleclick();
    void dispatch(unsigned message, QPoint at, TShiftState keys);
    void animationtick();
    void updateanimation();

    std::unique_ptr<TrayShell> shell_;
    bool active_ = true;
    bool enabled_ = true;
    QString hint_;
    QIcon icon_;
    TIconList icons_;
    bool animated_ = false;
    std::uint16_t interval_ = 150;
    QPointer<QMenu> popupMenu_;

    bool registered_ = false;
    bool leftPressed_ = false;
    bool rightPressed_ = false;
    int frame_ = -1;
    QTimer animation_;
};

} // namespace pinlet
