// Start-up: the command line, the application object, the store, the note list window, then the event
// loop until the list window closes. A failure in a creation step is shown and start-up goes on with the
// next step.

#include "app/CommandLine.h"
#include "assets/Artwork.h"
#include "platform/Autostart.h"
#include "shell/PinletApplication.h"
#include "shell/SingleInstance.h"
#include "shell/TerminationSignals.h"
#include "shell/dialogs.h"
#include "shell/helpers.h"
#include "store/zkpldm_unit.h"
#include "windows/ExitSave.h"
#include "windows/GlobalShortcutKeys.h"
#include "windows/mainform_unit.h"
#include "windows/rootform_unit.h"

#include <QDir>
#include <QTimer>

#include <memory>
#include <vector>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments += QString::fromLocal8Bit(argv[i]);
    const pinlet::CommandLine command = pinlet::parsecommandline(arguments);
    switch (command.action) {
    case pinlet::CommandLine::Action::Help:
        pinlet::printforuser(pinlet::helptext(), false);
        return 0;
    case pinlet::CommandLine::Action::Version:
        pinlet::printforuser(pinlet::versiontext(), false);
        return 0;
    case pinlet::CommandLine::Action::Fail:
        pinlet::printforuser(command.message + QLatin1Char('\n'), true);
        return 2;
    case pinlet::CommandLine::Action::Run:
        break;
    }

    pinlet::PinletApplication app(argc, argv);
    // The desktop matches the program's windows to its installed entry by this name.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(pinlet::kDesktopId));
    // Only closing the list window ends the program; the note windows come and go.
    app.setQuitOnLastWindowClosed(false);
    app.setWindowIcon(pinlet::programicon());

    TStoreEnvironment environment;
    environment.exedir = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
    environment.documentsfolder = [] { return getspecialfolder("dokumentumok"); };
    auto store = std::make_unique<Tzkpldm>(std::move(environment));
    zkpldm = store.get();
    // The store's bootstrap in two halves: which database is known before anything touches it, so that
    // of two starts at the same moment only the one instance writes the template or upgrades the schema.
    const bool configured = pinlet::runcreationstep([&] { store->readconfiguration(); });

    // One instance per user and database; a later start only hands its commands to the running one.
    pinlet::SingleInstance instance(pinlet::instancekey(databasepath(store->dbdir)));
    instance.setrequest(command.commands);
    switch (instance.claim()) {
    case pinlet::SingleInstance::Role::Second:
        return 0;
    case pinlet::SingleInstance::Role::Unreachable:
        pinlet::showfailure("A Pinlet már fut ezzel az adatbázissal, de nem válaszol.");
        return 1;
    case pinlet::SingleInstance::Role::First:
        break;
    }
    if (!instance.listenfailure().isEmpty())
        pinlet::showfailure(pinlet::SingleInstance::kNotListening + instance.listenfailure().toStdString());
    if (configured)
        pinlet::runcreationstep([&] { store->preparedatabase(); });

    // Whatever ends the program (the tray menu, the window manager, logoff, a termination signal) first
    // saves every open note.
    pinlet::ExitSave exitsave(app, *store);
    pinlet::quitonterminationsignals();

    // The window's components exist whatever its creation handler then meets.
    auto Form2 = std::make_unique<TForm2>();
    pinlet::runcreationstep([&] { Form2->FormCreate(); });
    const auto carryout = [&](const QStringList& commands) {
        if (commands.contains(QStringLiteral("new")))
            pinlet::runhandler([&] { Form2->btn_newClick(); });
        if (commands.contains(QStringLiteral("show")))
            Form2->bringup();
    };
    QObject::connect(&instance, &pinlet::SingleInstance::requested, Form2.get(), carryout);

    // An autostart entry left pointing at a moved or deleted executable is rewritten to this one; where
    // that fails, the failure box says so.
    std::unique_ptr<pinlet::Autostart> autostart =
        pinlet::makeautostart(QCoreApplication::applicationFilePath());
    pinlet::runcreationstep([&] { autostart->repair(); });
    Form2->setautostart(std::move(autostart));

    Form2->show();
    startglobalshortcuts(*Form2, store->ini);
    // A first start carries out its own commands once it runs; showing the list it has just done.
    if (command.commands != QStringList{QStringLiteral("show")})
        QTimer::singleShot(0, Form2.get(), [&] { carryout(command.commands); });
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
