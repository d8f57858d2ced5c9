#pragma once
// Starting Pinlet with the user's session, through the desktop's own list of programs to start at login:
// freedesktop autostart entries, the Windows Run key, or nothing where the platform has no such list. The
// build picks the implementation; the tray menu shows and switches it.

#include <QString>

#include <memory>

namespace pinlet {

class Autostart {
public:
    enum class State {
        Off,    // nothing starts Pinlet at login
        On,     // an entry starts a Pinlet executable that exists
        Broken, // the only entries that would start Pinlet name an executable that is gone
    };

    virtual ~Autostart() = default;

    // Whether the platform has a list of programs to start at login at all.
    virtual bool supported() const = 0;
    // The real state, read afresh each time: an entry the user wrote by hand counts.
    virtual State state() const = 0;
    // Whether some entry that would start Pinlet names an executable that is gone, even beside one that
    // works.
    virtual bool broken() const = 0;
    // Makes Pinlet start at login: an entry that points to a vanished executable is rewritten to this
    // one, and where no working entry remains one is written. Throws std::runtime_error, with a message for
    // the user, when the entry cannot be written.
    virtual void enable() = 0;
    // Removes every entry that would start Pinlet. Throws std::runtime_error when one cannot be removed.
    virtual void disable() = 0;

    // At start-up: an entry left pointing at a moved or deleted executable is rewritten to this one, so it
    // never points nowhere. Returns whether anything was rewritten; throws as enable() does.
    bool repair();

protected:
    // The state and brokenness of a platform's entries that would start Pinlet, each with `enabled` (it
    // is not switched off) and `works` (its executable exists).
    template <typename Entries> static State stateof(const Entries& entries) {
        State state = State::Off;
        for (const auto& entry : entries) {
            if (entry.enabled && entry.works)
                return State::On;
            if (entry.enabled)
                state = State::Broken;
        }
        return state;
    }
    template <typename Entries> static bool anybroken(const Entries& entries) {
        for (const auto& entry : entries)
            if (entry.enabled && !entry.works)
                return true;
        return false;
    }
};

// The name the desktop knows the program by: its desktop entry, icon and metadata files are named after
// it, and so is the autostart entry the program writes. The build reads it from here.
inline constexpr char kDesktopId[] = "hu.zkpinlet.pinlet";

// The platform's implementation for this executable (an absolute path).
std::unique_ptr<Autostart> makeautostart(const QString& executable);

} // namespace pinlet
