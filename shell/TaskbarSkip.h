#pragma once
// Keeping the program's windows off the taskbar on X11.

class QWidget;

namespace pinlet {

// Asks the window manager to leave the window out of the taskbar and the pager. On Windows and macOS a tool
// window has no taskbar button anyway; X11 window managers may still list one, so there the window says so
// in its _NET_WM_STATE. The manager drops that state whenever the window is hidden: call it from the
// window's showEvent, which comes before every mapping. Elsewhere (and without an X11 connection) it does
// nothing.
void keepofftaskbar(QWidget& window);

} // namespace pinlet
