// Where the platform keeps no list of programs to start at login, there is nothing to switch: the tray
// menu does not offer the item. A freedesktop system without the X11 services builds this folder too, but
// has such a list: xdg/ serves it there.

#include "platform/Autostart.h"

#ifndef PINLET_PLATFORM_XDG

#include <stdexcept>

namespace pinlet {

namespace {

class NoAutostart : public Autostart {
public:
    bool supported() const override { return false; }
    State state() const override { return State::Off; }
    bool broken() const override { return false; }
    void enable() override {
        throw std::runtime_error("Ezen a rendszeren a Pinlet nem indítható bejelentkezéskor.");
    }
    void disable() override {}
};

} // namespace

std::unique_ptr<Autostart> makeautostart(const QString&) {
    return std::make_unique<NoAutostart>();
}

} // namespace pinlet

#endif
