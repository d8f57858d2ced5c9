#pragma once

#include <QApplication>

#include <functional>

namespace pinlet {

// The fixed application title: the caption of the program's own top-level window and of the failure box.
inline constexpr const char* kApplicationTitle = "Pinlet";

// The application object. Every exception that an event handler lets out is caught here, shown in the
// default failure box, and the event loop goes on; nothing is rolled back. No exception crosses Qt code.
class PinletApplication : public QApplication {
    Q_OBJECT
public:
    PinletApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs one start-up creation step. A failure in it is shown in the failure box and reported as false; the
// caller carries on with the next step, as start-up does.
bool runcreationstep(const std::function<void()>& step);

// Runs a handler that Qt calls through a signal (a timer, a menu item). A failure it lets out is shown in
// the failure box here, so that no exception unwinds through Qt's own code.
void runhandler(const std::function<void()>& handler);

} // namespace pinlet
