#include "shell/PinletApplication.h"

#include "shell/dialogs.h"

#include <exception>
#include <string>

namespace pinlet {

namespace {

// Shows whatever was thrown. Only std::exception carries a message; anything else still gets a box, so
// that no failure passes unseen.
void showcurrentfailure() {
    try {
        throw;
    } catch (const std::exception& failure) {
        showfailure(failure.what());
    } catch (...) {
        showfailure("Unknown failure");
    }
}

} // namespace

PinletApplication::PinletApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromUtf8(kApplicationTitle));
}

bool PinletApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        // The box runs its own loop; a second failure inside it is shown in turn rather than escaping.
        try {
            showcurrentfailure();
        } catch (...) {
        }
        return true;
    }
}

bool runcreationstep(const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (...) {
        showcurrentfailure();
        return false;
    }
}

void runhandler(const std::function<void()>& handler) {
    runcreationstep(handler);
}

} // namespace pinlet
