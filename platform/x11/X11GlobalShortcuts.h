#pragma once
// System-wide keys on X11: passive key grabs on the root window, through the program's own X connection.

#include "platform/GlobalShortcuts.h"

#include <QAbstractNativeEventFilter>

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

namespace pinlet {

class X11GlobalShortcuts final : public GlobalShortcuts, public QAbstractNativeEventFilter {
public:
    // The connection and root window are Qt's; the keyboard map is read once, here.
    X11GlobalShortcuts(xcb_connection_t* connection, xcb_window_t root);
    ~X11GlobalShortcuts() override;
    X11GlobalShortcuts(const X11GlobalShortcuts&) = delete;
    X11GlobalShortcuts& operator=(const X11GlobalShortcuts&) = delete;

    Grab grab(QKeyCombination combination, std::function<void()> action) override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Held {
        std::vector<xcb_keycode_t> keycodes;
        std::uint16_t modifiers;
        std::function<void()> action;
        xcb_keycode_t down = 0;         // the key of the press not yet released, 0 for none
        xcb_timestamp_t releasedat = 0; // when it was last released
    };

    std::vector<xcb_keycode_t> keycodesfor(std::uint32_t symbol) const;
    // Asks for the key with the modifiers under every combination of the lock modifiers; true when every
    // grab was granted. A refused one (another program's) takes the granted ones back.
    bool grabeverylockstate(const std::vector<xcb_keycode_t>& keycodes, std::uint16_t modifiers);
    void ungrab(const std::vector<xcb_keycode_t>& keycodes, std::uint16_t modifiers);
    void readkeyboard();

    xcb_connection_t* connection_;
    xcb_window_t root_;
    xcb_keycode_t minkeycode_ = 0;
    std::uint8_t symbolsperkeycode_ = 0;
    std::vector<xcb_keysym_t> symbols_;
    std::uint16_t lockmask_ = 0;            // Caps Lock, Num Lock and Scroll Lock together
    std::vector<std::uint16_t> lockstates_; // every combination of those, none included
    std::vector<Held> held_;
};

} // namespace pinlet
