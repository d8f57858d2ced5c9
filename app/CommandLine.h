#pragma once
// The program's command line: --new, --show, --version, --help. Read before the application object
// exists, so --help and an unknown option answer even where no display can be opened; the options the
// GUI toolkit itself takes (-platform, -session, -style ...) are left for it.

#include <QString>
#include <QStringList>

namespace pinlet {

struct CommandLine {
    enum class Action {
        Run,     // start (or hand the commands to the running instance)
        Version, // print the version and end
        Help,    // print the help and end
        Fail,    // a usage error: print `message` and end with status 2
    };
    Action action = Action::Run;
    // What the run carries out once started, in the words of the one-instance request; "show" when
    // nothing was asked, as a plain start brings up the list.
    QStringList commands{QStringLiteral("show")};
    QString message;
};

// Reads the arguments (without the program's own name).
CommandLine parsecommandline(const QStringList& arguments);

// The texts --help and --version print.
QString helptext();
QString versiontext();

// Prints a text for the user on standard output (or standard error), also from a Windows GUI program
// started from a console.
void printforuser(const QString& text, bool error);

} // namespace pinlet
