#pragma once
// Activation as the program's windows see it. A window is activated when the focus comes to it from
// another window of the program, or when it becomes active for the first time; the window that had it is
// deactivated at that moment. Switching to another program and back activates and deactivates nothing:
// the program's active window stays what it was while another program is in front. (Qt's own
// WindowActivate/WindowDeactivate also fire on such a switch, which is why they are not used directly.)
//
// A window receives the two events below through its event(); an exception from a handler reaches the
// application's failure box like any other event's.

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace pinlet {

class ProgramActivation : public QObject {
    Q_OBJECT
public:
    static QEvent::Type activateEvent();
    static QEvent::Type deactivateEvent();

    // Starts following the application's windows; once per application, later calls do nothing.
    static void install();

    // The program's active window; null before the first activation and after it is destroyed.
    static QWidget* current();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ProgramActivation(QObject* parent) : QObject(parent) {}
    void activated(QWidget* window);

    QPointer<QWidget> current_;
};

} // namespace pinlet
