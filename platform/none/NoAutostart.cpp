// Where the platform keeps no list of programs to start at login, there is nothing to switch: the tray
// menu does not offer the item.

#include "platform/Autostart.h"

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
