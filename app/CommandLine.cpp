#include "app/CommandLine.h"

#include "PinletVersion.h"

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace pinlet {

namespace {

// The GUI toolkit's own options, which it removes from the arguments when the application object is
// made; a session manager restarting the program passes -session. With one dash or two.
const QStringList kToolkitOptionsWithValue{
    QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
    QStringLiteral("style"),           QStringLiteral("stylesheet"),
    QStringLiteral("display"),         QStringLiteral("name"),
    QStringLiteral("title"),           QStringLiteral("geometry"),
};
const QStringList kToolkitFlags{QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                QStringLiteral("nograb"),  QStringLiteral("dograb"),
                                QStringLiteral("sync"),    QStringLiteral("testability")};

const QString kMoreHelp = QStringLiteral("A kapcsolók leírása: pinlet --help");

CommandLine failure(const QString& message) {
    CommandLine command;
    command.action = CommandLine::Action::Fail;
    command.commands.clear();
    command.message = QStringLiteral("pinlet: ") + message + QLatin1Char('\n') + kMoreHelp;
    return command;
}

} // namespace

CommandLine parsecommandline(const QStringList& arguments) {
    bool help = false;
    bool version = false;
    bool newnote = false;
    bool show = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            help = true;
        } else if (argument == QLatin1String("--version")) {
            version = true;
        } else if (argument == QLatin1String("--new")) {
            newnote = true;
        } else if (argument == QLatin1String("--show")) {
            show = true;
        } else if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
            const qsizetype equals = name.indexOf(QLatin1Char('='));
            const bool valuegiven = equals >= 0;
            name.truncate(valuegiven ? equals : name.size());
            if (kToolkitOptionsWithValue.contains(name)) {
                if (!valuegiven && ++i == arguments.size())
                    return failure(QStringLiteral("a(z) %1 kapcsoló után hiányzik az érték").arg(argument));
            } else if (!kToolkitFlags.contains(name) || valuegiven) {
                return failure(QStringLiteral("ismeretlen kapcsoló: %1").arg(argument));
            }
        } else {
            return failure(QStringLiteral("fölösleges paraméter: %1").arg(argument));
        }
    }
    CommandLine command;
    if (help || version) {
        command.action = help ? CommandLine::Action::Help : CommandLine::Action::Version;
        command.commands.clear();
        return command;
    }
    if (newnote) {
        command.commands = QStringList{QStringLiteral("new")};
        if (show)
            command.commands += QStringLiteral("show");
    }
    return command;
}

QString helptext() {
    return QStringLiteral(
        "Használat: pinlet [kapcsolók]\n"
        "Öntapadós jegyzetek az értesítési területen.\n"
        "\n"
        "  --new       új jegyzetet nyit\n"
        "  --show      előhozza a jegyzetlistát (kapcsoló nélkül is ezt teszi)\n"
        "  --version   kiírja a Pinlet változatát\n"
        "  --help, -h  kiírja ezt a leírást\n"
        "\n"
        "Ha a Pinlet már fut ugyanazzal az adatbázissal, a futó példány hajtja végre a kapcsolókat,\n"
        "és az új indítás kilép. Különben a Pinlet elindul, és utána hajtja végre őket.\n"
        "\n"
        "Kilépési kód: 0 rendben, 1 hiba, 2 hibás parancssor.\n");
}

QString versiontext() {
    return QStringLiteral("Pinlet %1\n").arg(QString::fromLatin1(kPinletVersion));
}

void printforuser(const QString& text, bool error) {
    FILE* stream = error ? stderr : stdout;
#ifdef Q_OS_WIN
    // A GUI program has no console of its own; when started from one, it writes to that one, unless
    // its output goes to a file or a pipe already.
    const DWORD which = error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
    const HANDLE handle = GetStdHandle(which);
    if ((handle == nullptr || handle == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        const QString console = text;
        DWORD written = 0;
        WriteConsoleW(GetStdHandle(which), reinterpret_cast<const wchar_t*>(console.utf16()),
                      DWORD(console.size()), &written, nullptr);
        return;
    }
#endif
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace pinlet
