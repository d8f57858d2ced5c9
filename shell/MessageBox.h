#pragma once
// The program's message boxes as they show on the desktop: modal, centred on the screen, above the window
// that asked (which owns the box while it is open) and, like every window of the program, without a
// taskbar button.

#include <QMessageBox>
#include <QString>

#include <vector>

namespace pinlet {

struct BoxButton {
    QString text;
    QMessageBox::ButtonRole role;
};

// The window the user is working in, which asked for a box: the program's active window. Null when none
// is active, or when the active one is a passing thing (a menu, a tooltip, the notice).
QWidget* boxowner();

// Shows a modal box with the buttons, the one at defaultButton being the default and the one at
// escapeButton answering Escape and the frame's close. Returns the position of the button pressed; the
// escape button's when the box went without an answer (its owner was destroyed while it was open).
int runmessagebox(QMessageBox::Icon icon, const QString& title, const QString& text,
                  const std::vector<BoxButton>& buttons, int defaultButton, int escapeButton);

} // namespace pinlet
