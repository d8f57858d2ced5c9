#include "platform/x11/X11GlobalShortcuts.h"

#include "platform/x11/X11KeySymbols.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>

#include <algorithm>
#include <cstdlib>

namespace pinlet {

namespace {

constexpr std::uint32_t kNumLock = 0xff7f;
constexpr std::uint32_t kScrollLock = 0xff14;
// The eight modifier bits of a key event's state; the rest are pointer buttons.
constexpr std::uint16_t kModifierBits = 0xff;

template <typename Reply> struct Freed {
    Reply* reply;
    ~Freed() { std::free(reply); }
};

} // namespace

X11GlobalShortcuts::X11GlobalShortcuts(xcb_connection_t* connection, xcb_window_t root)
    : connection_(connection), root_(root) {
    readkeyboard();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11GlobalShortcuts::~X11GlobalShortcuts() {
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    for (const Held& held : held_)
        ungrab(held.keycodes, held.modifiers);
    xcb_flush(connection_);
}

void X11GlobalShortcuts::readkeyboard() {
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    minkeycode_ = setup->min_keycode;
    const auto count = std::uint8_t(setup->max_keycode - setup->min_keycode + 1);
    Freed<xcb_get_keyboard_mapping_reply_t> mapping{xcb_get_keyboard_mapping_reply(
        connection_, xcb_get_keyboard_mapping(connection_, minkeycode_, count), nullptr)};
    if (mapping.reply) {
        symbolsperkeycode_ = mapping.reply->keysyms_per_keycode;
        const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping.reply);
        symbols_.assign(symbols, symbols + xcb_get_keyboard_mapping_keysyms_length(mapping.reply));
    }

    // Caps Lock is always the Lock modifier; Num Lock and Scroll Lock are whichever modifiers the keyboard
    // map puts their keys on, if any.
    lockmask_ = XCB_MOD_MASK_LOCK;
    Freed<xcb_get_modifier_mapping_reply_t> modifiers{
        xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_), nullptr)};
    if (modifiers.reply) {
        const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(modifiers.reply);
        const int perModifier = modifiers.reply->keycodes_per_modifier;
        for (std::uint32_t symbol : {kNumLock, kScrollLock}) {
            const std::vector<xcb_keycode_t> lockkeys = keycodesfor(symbol);
            // Shift, Lock, Control and Mod1 (Alt) are never a lock key's.
            for (int modifier = 4; modifier < 8; ++modifier) {
                for (int i = 0; i < perModifier; ++i) {
                    const xcb_keycode_t keycode = keycodes[modifier * perModifier + i];
                    if (keycode != 0 &&
                        std::find(lockkeys.begin(), lockkeys.end(), keycode) != lockkeys.end())
                        lockmask_ |= std::uint16_t(1u << modifier);
                }
            }
        }
    }
    // Meta is never taken for a lock, whatever the map says.
    lockmask_ &= std::uint16_t(~x11modifiers(Qt::MetaModifier));
    // Every subset of the lock bits, the empty one first.
    lockstates_.clear();
    for (std::uint16_t subset = lockmask_;; subset = std::uint16_t((subset - 1) & lockmask_)) {
        lockstates_.push_back(subset);
        if (subset == 0)
            break;
    }
    std::reverse(lockstates_.begin(), lockstates_.end());
}

std::vector<xcb_keycode_t> X11GlobalShortcuts::keycodesfor(std::uint32_t symbol) const {
    std::vector<xcb_keycode_t> keycodes;
    if (symbolsperkeycode_ == 0)
        return keycodes;
    // The first group's plain and shifted symbols: the key as the keyboard in use labels it.
    const std::size_t columns = std::min<std::size_t>(symbolsperkeycode_, 2);
    for (std::size_t row = 0; row * symbolsperkeycode_ < symbols_.size(); ++row) {
        for (std::size_t column = 0; column < columns; ++column) {
            if (symbols_[row * symbolsperkeycode_ + column] == symbol) {
                keycodes.push_back(xcb_keycode_t(minkeycode_ + row));
                break;
            }
        }
    }
    return keycodes;
}

bool X11GlobalShortcuts::grabeverylockstate(const std::vector<xcb_keycode_t>& keycodes,
                                            std::uint16_t modifiers) {
    std::vector<xcb_void_cookie_t> cookies;
    for (xcb_keycode_t keycode : keycodes) {
        for (std::uint16_t locks : lockstates_) {
            // Not owner events: the press and its release come to the root window even while a window of
            // the program has the keyboard.
            cookies.push_back(xcb_grab_key_checked(connection_, 0, root_, std::uint16_t(modifiers | locks),
                                                   keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
    }
    bool granted = true;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
            // BadAccess: another client's grab. Any other refusal leaves the key just as unusable.
            granted = false;
            std::free(error);
        }
    }
    if (!granted)
        ungrab(keycodes, modifiers);
    return granted;
}

void X11GlobalShortcuts::ungrab(const std::vector<xcb_keycode_t>& keycodes, std::uint16_t modifiers) {
    // Only this client's own grabs go; another program's stay untouched.
    for (xcb_keycode_t keycode : keycodes) {
        for (std::uint16_t locks : lockstates_)
            xcb_ungrab_key(connection_, keycode, root_, std::uint16_t(modifiers | locks));
    }
}

GlobalShortcuts::Grab X11GlobalShortcuts::grab(QKeyCombination combination, std::function<void()> action) {
    std::vector<xcb_keycode_t> keycodes;
    for (std::uint32_t symbol : x11keysymbols(combination.key())) {
        for (xcb_keycode_t keycode : keycodesfor(symbol)) {
            if (std::find(keycodes.begin(), keycodes.end(), keycode) == keycodes.end())
                keycodes.push_back(keycode);
        }
    }
    if (keycodes.empty())
        return Grab::NoSuchKey;
    const std::uint16_t modifiers = x11modifiers(combination.keyboardModifiers());
    for (const Held& held : held_) {
        if (held.modifiers == modifiers && held.keycodes == keycodes)
            return Grab::Held;
    }
    if (!grabeverylockstate(keycodes, modifiers))
        return Grab::Taken;
    held_.push_back(Held{keycodes, modifiers, std::move(action)});
    return Grab::Held;
}

bool X11GlobalShortcuts::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);
    // A release counts wherever it is reported: one missed would leave the combination dead.
    if (key->event != root_ && type == XCB_KEY_PRESS)
        return false;
    for (Held& held : held_) {
        if (std::find(held.keycodes.begin(), held.keycodes.end(), key->detail) == held.keycodes.end())
            continue;
        if (type == XCB_KEY_RELEASE) {
            held.down = 0;
            held.releasedat = key->time;
            continue;
        }
        if ((key->state & kModifierBits & ~lockmask_) != held.modifiers)
            continue;
        // A held key repeats as further presses, or as a release and a press at the same moment.
        const bool repeat = held.down == key->detail || held.releasedat == key->time;
        held.down = key->detail;
        if (repeat)
            continue;
        // Run from the event loop, outside the delivery of the X event.
        QMetaObject::invokeMethod(QCoreApplication::instance(), held.action, Qt::QueuedConnection);
    }
    // Qt still sees the event: it takes the time of the user's last action from it, which lets the window
    // that the action brings up take the focus.
    return false;
}

std::unique_ptr<GlobalShortcuts> makeglobalshortcuts() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    // Wayland and offscreen have no X connection, and no system-wide keys to give.
    if (!connection)
        return std::make_unique<NoGlobalShortcuts>();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return std::make_unique<NoGlobalShortcuts>();
    return std::make_unique<X11GlobalShortcuts>(connection, screen->root);
}

} // namespace pinlet
