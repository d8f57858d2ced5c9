// System-wide keys on Windows: hot keys registered for the user-interface thread, whose WM_HOTKEY messages
// Qt's event dispatcher hands to native event filters.

#include "platform/GlobalShortcuts.h"

#include <QAbstractNativeEventFilter>
#include <QChar>
#include <QCoreApplication>
#include <QMetaObject>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <array>
#include <vector>

namespace pinlet {

namespace {

struct Named {
    Qt::Key key;
    UINT vk;
};

constexpr std::array kNamed{
    Named{Qt::Key_Escape, VK_ESCAPE}, Named{Qt::Key_Tab, VK_TAB},       Named{Qt::Key_Backspace, VK_BACK},
    Named{Qt::Key_Return, VK_RETURN}, Named{Qt::Key_Enter, VK_RETURN},  Named{Qt::Key_Insert, VK_INSERT},
    Named{Qt::Key_Delete, VK_DELETE}, Named{Qt::Key_Pause, VK_PAUSE},   Named{Qt::Key_Print, VK_SNAPSHOT},
    Named{Qt::Key_Home, VK_HOME},     Named{Qt::Key_End, VK_END},       Named{Qt::Key_Left, VK_LEFT},
    Named{Qt::Key_Up, VK_UP},         Named{Qt::Key_Right, VK_RIGHT},   Named{Qt::Key_Down, VK_DOWN},
    Named{Qt::Key_PageUp, VK_PRIOR},  Named{Qt::Key_PageDown, VK_NEXT}, Named{Qt::Key_Menu, VK_APPS},
    Named{Qt::Key_Space, VK_SPACE},
};

// The virtual key of a Qt key, 0 when the keyboard layout in use has none.
UINT virtualkey(Qt::Key key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return UINT(VK_F1 + (key - Qt::Key_F1));
    for (const Named& named : kNamed) {
        if (named.key == key)
            return named.vk;
    }
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return UINT(key);
    if (key < Qt::Key_Space || key > 0xffff)
        return 0;
    const SHORT scan = VkKeyScanW(static_cast<WCHAR>(QChar(char16_t(key)).toLower().unicode()));
    return scan == -1 ? 0 : UINT(scan & 0xff);
}

UINT hotkeymodifiers(Qt::KeyboardModifiers modifiers) {
    // Holding the keys down does not repeat the command.
    UINT bits = MOD_NOREPEAT;
    if (modifiers & Qt::AltModifier)
        bits |= MOD_ALT;
    if (modifiers & Qt::ControlModifier)
        bits |= MOD_CONTROL;
    if (modifiers & Qt::ShiftModifier)
        bits |= MOD_SHIFT;
    if (modifiers & Qt::MetaModifier)
        bits |= MOD_WIN;
    return bits;
}

class WinGlobalShortcuts final : public GlobalShortcuts, public QAbstractNativeEventFilter {
public:
    WinGlobalShortcuts() { QCoreApplication::instance()->installNativeEventFilter(this); }

    ~WinGlobalShortcuts() override {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
        for (const Held& held : held_)
            UnregisterHotKey(nullptr, held.id);
    }

    WinGlobalShortcuts(const WinGlobalShortcuts&) = delete;
    WinGlobalShortcuts& operator=(const WinGlobalShortcuts&) = delete;

    Grab grab(QKeyCombination combination, std::function<void()> action) override {
        const UINT vk = virtualkey(combination.key());
        if (vk == 0)
            return Grab::NoSuchKey;
        const UINT modifiers = hotkeymodifiers(combination.keyboardModifiers());
        for (const Held& held : held_) {
            if (held.vk == vk && held.modifiers == modifiers)
                return Grab::Held;
        }
        // Application hot key ids run from 0 to 0xBFFF.
        const int id = int(held_.size()) + 1;
        if (!RegisterHotKey(nullptr, id, modifiers, vk))
            return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED ? Grab::Taken : Grab::NoSuchKey;
        held_.push_back(Held{id, vk, modifiers, std::move(action)});
        return Grab::Held;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "windows_generic_MSG")
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message != WM_HOTKEY)
            return false;
        for (const Held& held : held_) {
            if (WPARAM(held.id) == msg->wParam) {
                // Run from the event loop, outside the delivery of the message.
                QMetaObject::invokeMethod(QCoreApplication::instance(), held.action, Qt::QueuedConnection);
                return true;
            }
        }
        return false;
    }

private:
    struct Held {
        int id;
        UINT vk;
        UINT modifiers;
        std::function<void()> action;
    };
    std::vector<Held> held_;
};

} // namespace

std::unique_ptr<GlobalShortcuts> makeglobalshortcuts() {
    return std::make_unique<WinGlobalShortcuts>();
}

} // namespace pinlet
