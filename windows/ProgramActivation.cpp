#include "windows/ProgramActivation.h"

#include <QApplication>

namespace pinlet {

namespace {

QPointer<ProgramActivation>& instance() {
    static QPointer<ProgramActivation> tracker;
    return tracker;
}

// Menus, tooltips and windows that never take the focus (the notice popup) are passing things, not a
// window the user moved to.
bool counts(const QWidget& window) {
    const Qt::WindowType type = window.windowType();
    return type != Qt::Popup && type != Qt::ToolTip && !window.testAttribute(Qt::WA_ShowWithoutActivating) &&
           !window.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus);
}

} // namespace

QEvent::Type ProgramActivation::activateEvent() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

QEvent::Type ProgramActivation::deactivateEvent() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

void ProgramActivation::install() {
    if (instance() || !qApp)
        return;
    instance() = new ProgramActivation(qApp);
    qApp->installEventFilter(instance());
}

QWidget* ProgramActivation::current() {
    return instance() ? instance()->current_.data() : nullptr;
}

bool ProgramActivation::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowActivate && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        // Children hear of their window's activation too; only the window itself counts.
        if (widget->isWindow() && counts(*widget))
            activated(widget);
    }
    return false;
}

void ProgramActivation::activated(QWidget* window) {
    if (window == current_)
        return; // back from another program, or the same window once more
    const QPointer<QWidget> previous = current_;
    const QPointer<QWidget> next = window;
    current_ = window;
    if (previous) {
        QEvent deactivate(deactivateEvent());
        QCoreApplication::sendEvent(previous, &deactivate);
    }
    // The deactivated window may have run a nested loop (a failure box) in which the focus moved on.
    if (next && current_ == next) {
        QEvent activate(activateEvent());
        QCoreApplication::sendEvent(next, &activate);
    }
}

} // namespace pinlet
