#include "platform/Autostart.h"

namespace pinlet {

bool Autostart::repair() {
    if (!supported() || !broken())
        return false;
    enable();
    return true;
}

} // namespace pinlet
