// Start-up: the application object, the store, the note list window, then the event loop until the main
// window closes. A failure in a creation step is shown and start-up goes on with the next step.

#include "shell/PinletApplication.h"
#include "shell/SingleInstance.h"
#include "shell/dialogs.h"
#include "shell/helpers.h"
#include "store/zkpldm_unit.h"

#include <QDir>
#include <QWidget>

#include <memory>

int main(int argc, char** argv) {
    pinlet::PinletApplication app(argc, argv);

    TStoreEnvironment environment;
    environment.exedir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
    environment.documentsfolder = [] { return getspecialfolder("dokumentumok"); };
    auto store = std::make_unique<Tzkpldm>(std::move(environment));
    zkpldm = store.get();
    pinlet::runcreationstep([&] { store->DataModuleCreate(); });

    // One instance per user and database; a later start only brings the running one up.
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

    // Stands in for the note list window until it exists: a plain window whose closing ends the program.
    std::unique_ptr<QWidget> mainwindow;
    pinlet::runcreationstep([&] {
        mainwindow = std::make_unique<QWidget>();
        mainwindow->setWindowTitle(QString::fromUtf8(pinlet::kApplicationTitle));
        mainwindow->resize(420, 240);
    });

    if (mainwindow) {
        QObject::connect(&instance, &pinlet::SingleInstance::activationRequested, mainwindow.get(), [&] {
            mainwindow->show();
            mainwindow->raise();
            mainwindow->activateWindow();
        });
        mainwindow->show();
    }
    const int result = app.exec();

    // The newest objects go first: windows, then the store.
    mainwindow.reset();
    zkpldm = nullptr;
    store.reset();
    return result;
}
