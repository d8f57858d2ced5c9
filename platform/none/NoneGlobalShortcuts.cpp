// Desktops without system-wide keys: the commands are reached through the tray icon and the program's
// own windows.

#include "platform/GlobalShortcuts.h"

namespace pinlet {

std::unique_ptr<GlobalShortcuts> makeglobalshortcuts() {
    return std::make_unique<NoGlobalShortcuts>();
}

} // namespace pinlet
