// Start-up: the application object, the store, the note list window, then the event loop until the list
// window closes. A failure in a creation step is shown and start-up goes on with the next step.

#include "assets/Artwork.h"
#include "shell/PinletApplication.h"
#include "shell/SingleInstance.h"
#include "shell/TerminationSignals.h"
#include "shell/dialogs.h"
#include "shell/helpers.h"
#include "store/zkpldm_unit.h"
#include "windows/ExitSave.h"
#include "windows/mainform_unit.h"
#include "windows/rootform_unit.h"

#include <QDir>

#include <memory>
#include <vector>

int main(int argc, char** argv) {
    pinlet::PinletApplication app(argc, argv);
    // Only closing the list window ends the program; the note windows come and go.
    app.setQuitOnLastWindowClosed(false);
    app.setWindowIcon(pinlet::programicon());

    TStoreEnvironment environment;
    environment.exedir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
    environment.documentsfolder = [] { return getspecialfolder("dokumentumok"); };
    auto store = std::make_unique<Tzkpldm>(std::move(environment));
    zkpldm = store.get();
    pinlet::runcreationstep([&] { store->DataModuleCreate(); });

    // One instance per user and database; a later start only brings the running one's list up.
    pinlet::SingleInstance instance(pinlet::instancekey(databasepath(store->dbdir)));
    switch (instance.claim()) {
    case pinlet::SingleInstance::Role::Second:
        return 0;
    case pinlet::SingleInstance::Role::Unreachable:
        pinlet::showfailure("A Pinlet már fut ezzel az adatbázissal, de nem válaszol.");
        return 1;
    case pinlet::SingleInstance::Role::First:
        break;
    }

    // Whatever ends the program (the tray menu, the window manager, logoff, a termination signal) first
    // saves every open note.
    pinlet::ExitSave exitsave(app, *store);
    pinlet::quitonterminationsignals();

    // The window's components exist whatever its creation handler then meets.
    auto Form2 = std::make_unique<TForm2>();
    pinlet::runcreationstep([&] { Form2->FormCreate(); });
    QObject::connect(&instance, &pinlet::SingleInstance::activationRequested, Form2.get(),
                     [&] { Form2->bringup(); });

    Form2->show();
    const int result = app.exec();

    // The newest objects go first: the note windows (newest first), the list window with its tray icon,
    // then the store. A note window leaves the registry as it is destroyed.
    const std::vector<TForm1*> windows = store->openforms;
    for (auto window = windows.rbegin(); window != windows.rend(); ++window)
        delete *window;
    Form2.reset();
    zkpldm = nullptr;
    store.reset();
    return result;
}
