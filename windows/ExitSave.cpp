#include "windows/ExitSave.h"

#include "shell/dialogs.h"
#include "store/zkpldm_unit.h"
#include "windows/mainform_unit.h"

#include <QGuiApplication>
#ifndef QT_NO_SESSIONMANAGER
#include <QSessionManager>
#endif

#include <exception>
#include <string>

namespace pinlet {

ExitSave::ExitSave(QGuiApplication& application, Tzkpldm& store) {
#ifndef QT_NO_SESSIONMANAGER
    connect(&application, &QGuiApplication::commitDataRequest, this, [&store] { saveopennotes(store); });
#endif
    connect(&application, &QGuiApplication::aboutToQuit, this, [&store] { saveopennotes(store); });
}

int ExitSave::saveopennotes(Tzkpldm& store) {
    int failed = 0;
    std::string firstFailure;
    // A copy: a failure box runs a nested loop in which the registry may change.
    const std::vector<TForm1*> windows = store.openforms;
    for (TForm1* window : windows) {
        if (!window->unsaved())
            continue;
        try {
            window->savetodb();
        } catch (const std::exception& failure) {
            if (failed++ == 0)
                firstFailure = failure.what();
        }
    }
    if (failed > 0)
        showfailure(firstFailure);
    return failed;
}

} // namespace pinlet
