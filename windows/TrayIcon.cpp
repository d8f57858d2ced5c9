#include "windows/TrayIcon.h"

#include "shell/dialogs.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

#include <algorithm>
#include <exception>

#ifdef Q_OS_WIN
// Keeps the min and max macros out of the way of std::min and std::max.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which leaves it out under WIN32_LEAN_AND_MEAN.
#include <shellapi.h>

#include <cwchar>
#include <vector>
#endif

namespace pinlet {

namespace {

// The native tooltip field holds 64 UTF-16 units with the terminating zero.
constexpr qsizetype kMaxTipLength = 63;

// Runs an event through a copy, so that a handler that reassigns or clears its own slot keeps running.
template <typename Handler, typename... Args> void fire(const Handler& handler, Args... args) {
    if (Handler copy = handler)
        copy(args...);
}

TShiftState keyboardstate() {
    const Qt::KeyboardModifiers keys = QGuiApplication::queryKeyboardModifiers();
    TShiftState state;
    if (keys & Qt::ShiftModifier)
        state |= ssShift;
    if (keys & Qt::ControlModifier)
        state |= ssCtrl;
    if (keys & Qt::AltModifier)
        state |= ssAlt;
    return state;
}

// Whatever the program is in the middle of (an open drop-down, a drag) ends before the tray menu opens.
void cancelmode() {
    for (int i = 0; i < 16; ++i) {
        QWidget* open = QApplication::activePopupWidget();
        if (!open)
            break;
        open->close();
    }
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
}

// Windows closes a menu on a click elsewhere only while its process owns the foreground.
void foreground([[maybe_unused]] QMenu* menu) {
#ifdef Q_OS_WIN
    if (!menu)
        return;
    const HWND window = reinterpret_cast<HWND>(menu->winId());
    if (IsWindowEnabled(window))
        SetForegroundWindow(window);
#endif
}

// After the menu closes: the shell's menu rules ask for a message to the window that took the foreground,
// so that a second right click opens the menu again. The foreground itself stays where the chosen command
// put it (a note window it just activated): taking it back would leave the user's typing nowhere.
void menuclosed([[maybe_unused]] QMenu* menu) {
#ifdef Q_OS_WIN
    if (menu)
        PostMessageW(reinterpret_cast<HWND>(menu->winId()), WM_NULL, 0, 0);
#endif
}

#ifdef Q_OS_WIN
// Collects the windows through which Qt adds notification-area icons, known by the title it gives them.
BOOL CALLBACK collecttraywindow(HWND window, LPARAM found) {
    wchar_t title[32] = {};
    if (GetWindowTextW(window, title, 32) > 0 && std::wcscmp(title, L"QTrayIconMessageWindow") == 0)
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}
#endif

} // namespace

QString shorthint(const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    QString tip = bar < 0 ? hint : hint.left(bar);
    if (tip.size() > kMaxTipLength) {
        qsizetype keep = kMaxTipLength;
        if (tip.at(keep - 1).isHighSurrogate())
            --keep;
        tip.truncate(keep);
    }
    return tip;
}

QtTrayShell::QtTrayShell(std::function<bool(unsigned)> notify)
    : tray_(std::make_unique<QSystemTrayIcon>()), notify_(std::move(notify)) {
    QObject::connect(tray_.get(), &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         // The first message's handler may destroy the component, and this shell with it.
                         QPointer<QSystemTrayIcon> alive(tray_.get());
                         auto pair = [&](unsigned down, unsigned up) {
                             notify_(down);
                             if (alive)
                                 notify_(up);
                         };
                         switch (reason) {
                         case QSystemTrayIcon::Trigger:
                             pair(traymsg::LeftDown, traymsg::LeftUp);
                             break;
                         case QSystemTrayIcon::Context:
                             pair(traymsg::RightDown, traymsg::RightUp);
                             break;
                         case QSystemTrayIcon::DoubleClick:
                             notify_(traymsg::LeftDoubleClick);
                             break;
                         case QSystemTrayIcon::MiddleClick:
                             pair(traymsg::MiddleDown, traymsg::MiddleUp);
                             break;
                         case QSystemTrayIcon::Unknown:
                             break;
                         }
                     });
}

QtTrayShell::~QtTrayShell() = default;

bool QtTrayShell::add(const QIcon& icon, const QString& tip) {
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return false;
    tray_->setIcon(icon);
    tray_->setToolTip(tip);
    tray_->show();
    if (shown())
        return true;
    // Hidden again, so that the next add asks the shell afresh instead of only changing a missing icon.
    tray_->hide();
    return false;
}

bool QtTrayShell::shown() const {
#ifdef Q_OS_WIN
    // Qt does not report a failed add: at logon the taskbar may still be starting, or busy past the
    // shell's time-out, and no "TaskbarCreated" follows then. Asking the shell for the icon's rectangle
    // fails only for an icon it does not hold. (QSystemTrayIcon::geometry() cannot stand in: it is empty
    // for an icon in the overflow area too, where new icons go.) The icon is found by the window Qt adds it
    // with; where that cannot be told, Qt's word stands.
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), collecttraywindow, reinterpret_cast<LPARAM>(&windows));
    if (windows.size() != 1)
        return true;
    NOTIFYICONIDENTIFIER icon = {};
    icon.cbSize = sizeof icon;
    icon.hWnd = windows.front();
    icon.uID = 0; // Qt's one icon per window
    RECT rectangle;
    return SUCCEEDED(Shell_NotifyIconGetRect(&icon, &rectangle));
#else
    return true;
#endif
}

void QtTrayShell::modify(const QIcon& icon, const QString& tip) {
    tray_->setIcon(icon);
    tray_->setToolTip(tip);
}

void QtTrayShell::remove() {
    tray_->hide();
}

TTrayIcon::TTrayIcon(QObject* owner) : TTrayIcon(owner, nullptr) {}

TTrayIcon::TTrayIcon(QObject* owner, std::unique_ptr<TrayShell> shell)
    : QObject(owner), shell_(std::move(shell)) {
    if (!shell_)
        shell_ =
            std::make_unique<QtTrayShell>([this](unsigned message) { return shellnotification(message); });
    icons_.OnChange = [this] { applychange(); };
    animation_.setInterval(std::max<int>(interval_, 1));
    connect(&animation_, &QTimer::timeout, this, &TTrayIcon::animationtick);
}

TTrayIcon::~TTrayIcon() {
    enabled_ = false;
    icons_.OnChange = nullptr;
    animation_.stop();
    removeicon();
    shell_.reset();
}

void TTrayIcon::Loaded() {
    if (active_)
        registericon();
}

void TTrayIcon::setActive(bool active) {
    if (active == active_)
        return;
    active_ = active;
    if (active_)
        registericon();
    else
        removeicon();
}

void TTrayIcon::setHint(const QString& hint) {
    if (hint == hint_)
        return;
    hint_ = hint;
    applychange();
}

void TTrayIcon::setIcon(const QIcon& icon) {
    icon_ = icon;
    applychange();
}

void TTrayIcon::setAnimated(bool animated) {
    if (animated == animated_)
        return;
    animated_ = animated;
    frame_ = 0;
    updateanimation();
    // The icon on show switches between Icon and the first frame.
    if (!icons_.isEmpty())
        applychange();
}

void TTrayIcon::setInterval(std::uint16_t interval) {
    interval_ = interval;
    // A zero interval would spin the event loop re-sending the icon; one millisecond is as fast as it gets.
    animation_.setInterval(std::max<int>(interval_, 1));
}

QIcon TTrayIcon::activeicon() const {
    if (animated_ && !icons_.isEmpty())
        return icons_.at(std::clamp(frame_, 0, icons_.count() - 1));
    return icon_;
}

void TTrayIcon::registericon() {
    removeicon();
    const QIcon icon = activeicon();
    if (icon.isNull())
        return;
    leftPressed_ = false;
    rightPressed_ = false;
    const QString tip = shorthint(hint_);
    registered_ = shell_->add(icon, tip);
    if (tip.isEmpty() && registered_)
        shell_->modify(icon, tip);
    updateanimation();
}

void TTrayIcon::removeicon() {
    shell_->remove();
    registered_ = false;
    leftPressed_ = false;
    rightPressed_ = false;
    updateanimation();
}

void TTrayIcon::applychange() {
    if (icons_.isEmpty() && animated_) {
        animated_ = false;
        frame_ = 0;
        updateanimation();
    }
    if (registered_) {
        const QIcon icon = activeicon();
        if (!icon.isNull())
            shell_->modify(icon, shorthint(hint_));
        else
            removeicon();
    }
    if (!registered_ && active_)
        registericon();
}

void TTrayIcon::updateanimation() {
    // Runs only while there is something to show: animated, with frames, and on the notification area.
    if (animated_ && !icons_.isEmpty() && registered_) {
        if (!animation_.isActive())
            animation_.start();
    } else {
        animation_.stop();
    }
}

void TTrayIcon::animationtick() {
    if (!animated_ || icons_.isEmpty() || QCoreApplication::closingDown())
        return;
    ++frame_;
    if (frame_ >= icons_.count())
        frame_ = 0;
    applychange();
}

bool TTrayIcon::shellnotification(unsigned message) {
    return shellnotification(message, QCursor::pos(), keyboardstate());
}

bool TTrayIcon::shellnotification(unsigned message, QPoint pointer, TShiftState keys) {
    if (!enabled_)
        return false;
    try {
        dispatch(message, pointer, keys & (ssShift | ssCtrl | ssAlt));
    } catch (const std::exception& failure) {
        showfailure(failure.what());
    } catch (...) {
        showfailure("Unknown failure");
    }
    return true;
}

void TTrayIcon::dispatch(unsigned message, QPoint at, TShiftState keys) {
    // Any handler may destroy the component; nothing of it is touched after that.
    const QPointer<TTrayIcon> self(this);
    const int x = at.x();
    const int y = at.y();
    switch (message) {
    case traymsg::MouseMove:
        fire(OnMouseMove, this, keys, x, y);
        break;
    case traymsg::LeftDown:
        fire(OnMouseDown, this, mbLeft, keys | ssLeft, x, y);
        if (self)
            leftPressed_ = true;
        break;
    case traymsg::LeftUp:
        if (leftPressed_) {
            leftPressed_ = false;
            click(mbLeft, keys | ssLeft, at);
            if (!self)
                return;
        }
        fire(OnMouseUp, this, mbLeft, keys | ssLeft, x, y);
        break;
    case traymsg::LeftDoubleClick:
        doubleclick();
        if (self)
            fire(OnMouseDown, this, mbLeft, keys | ssDouble, x, y);
        break;
    case traymsg::RightDown:
        fire(OnMouseDown, this, mbRight, keys | ssRight, x, y);
        if (self)
            rightPressed_ = true;
        break;
    case traymsg::RightUp:
        if (rightPressed_) {
            rightPressed_ = false;
            click(mbRight, keys | ssRight, at);
            if (!self)
                return;
        }
        fire(OnMouseUp, this, mbRight, keys | ssRight, x, y);
        break;
    case traymsg::RightDoubleClick:
        fire(OnMouseDown, this, mbRight, keys | ssDouble, x, y);
        break;
    case traymsg::MiddleDown:
        fire(OnMouseDown, this, mbMiddle, keys | ssMiddle, x, y);
        break;
    case traymsg::MiddleUp:
        fire(OnMouseUp, this, mbMiddle, keys | ssMiddle, x, y);
        break;
    case traymsg::MiddleDoubleClick:
        fire(OnMouseDown, this, mbMiddle, keys | ssDouble, x, y);
        break;
    default:
        break;
    }
}

void TTrayIcon::click(TMouseButton button, TShiftState shift, QPoint at) {
    const QPointer<TTrayIcon> self(this);
    if (button == mbRight && popup(at))
        return;
    if (self)
        fire(OnClick, this, button, shift, at.x(), at.y());
}

bool TTrayIcon::popup(QPoint at) {
    // A QMenu has no switch of its own against popping up automatically: a set menu always shows.
    if (!active_ || !popupMenu_)
        return false;
    QPointer<QMenu> menu = popupMenu_;
    cancelmode();
    foreground(menu);
    QCoreApplication::processEvents();
    if (!menu)
        return false;
    try {
        // aboutToShow fires before the menu appears: the owner rebuilds the items there. exec() has run
        // the chosen command by the time it returns.
        menu->exec(at);
    } catch (...) {
        menuclosed(menu);
        throw;
    }
    menuclosed(menu);
    return true;
}

void TTrayIcon::doubleclick() {
    if (active_ && popupMenu_) {
        QAction* item = popupMenu_->defaultAction();
        if (item && item->isEnabled() && popupMenu_->actions().contains(item)) {
            item->trigger();
            return;
        }
    }
    fire(OnDblClick, this);
}

} // namespace pinlet
