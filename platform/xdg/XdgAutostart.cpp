#include "platform/xdg/XdgAutostart.h"

#include "platform/xdg/DesktopEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <stdexcept>

namespace pinlet {

namespace {

const QString kSuffix = QStringLiteral(".desktop");

QString readtext(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // An autostart entry is a few hundred bytes; a bound keeps a stray huge file from being read whole.
    return QString::fromUtf8(file.read(64 * 1024));
}

// Whether the program an Exec line names can be started: an absolute path to an executable file, or a
// bare name the search path finds.
bool programworks(const QString& program) {
    if (program.isEmpty())
        return false;
    if (!program.contains(QLatin1Char('/')))
        return !QStandardPaths::findExecutable(program).isEmpty();
    const QFileInfo file(program);
    return file.isAbsolute() && file.isFile() && file.isExecutable();
}

bool istrue(const std::optional<QString>& value) {
    return value && value->trimmed() == QLatin1String("true");
}

bool isfalse(const std::optional<QString>& value) {
    return value && value->trimmed() == QLatin1String("false");
}

[[noreturn]] void fail(const QString& what, const QString& path, const QString& reason) {
    throw std::runtime_error((what + QStringLiteral(": ") + QDir::toNativeSeparators(path) +
                              QStringLiteral(" (") + reason + QLatin1Char(')'))
                                 .toStdString());
}

} // namespace

XdgAutostart::XdgAutostart(QString userfolder, QStringList systemfolders, QString executable)
    : userfolder_(std::move(userfolder)), systemfolders_(std::move(systemfolders)),
      executable_(std::move(executable)) {}

QString XdgAutostart::entryname() {
    return QString::fromLatin1(kDesktopId) + kSuffix;
}

std::vector<XdgAutostart::Entry> XdgAutostart::entries() const {
    const QString programname = QFileInfo(executable_).fileName();
    std::vector<Entry> found;
    QStringList seen;
    QStringList folders{userfolder_};
    folders += systemfolders_;
    for (qsizetype f = 0; f < folders.size(); ++f) {
        const QDir folder(folders[f]);
        const QStringList names =
            folder.entryList({QStringLiteral("*") + kSuffix}, QDir::Files | QDir::Readable, QDir::Name);
        for (const QString& name : names) {
            // The first folder that has an entry of this name decides, whether it starts Pinlet or not.
            if (seen.contains(name))
                continue;
            seen += name;
            const QString path = folder.filePath(name);
            const QString text = readtext(path);
            const QString program =
                xdg::execprogram(xdg::desktopvalue(text, QStringLiteral("Exec")).value_or(QString()));
            if (program.isEmpty() || QFileInfo(program).fileName() != programname)
                continue;
            const bool hidden = istrue(xdg::desktopvalue(text, QStringLiteral("Hidden"))) ||
                                isfalse(xdg::desktopvalue(text, QStringLiteral("X-GNOME-Autostart-enabled")));
            found.push_back({name, path, text, f == 0, !hidden, programworks(program)});
        }
    }
    return found;
}

Autostart::State XdgAutostart::state() const {
    return stateof(entries());
}

bool XdgAutostart::broken() const {
    return anybroken(entries());
}

void XdgAutostart::enable() {
    bool works = false;
    for (const Entry& entry : entries()) {
        if (!entry.enabled)
            continue;
        if (entry.works) {
            works = true;
            continue;
        }
        // A system entry is never edited in place: the user's copy of it hides it.
        const QString exec = xdg::desktopvalue(entry.text, QStringLiteral("Exec")).value_or(QString());
        write(entry.name, xdg::setdesktopvalue(entry.text, QStringLiteral("Exec"),
                                               xdg::replaceexecprogram(exec, executable_)));
        works = true;
    }
    if (!works)
        write(entryname(), canonicaltext());
}

void XdgAutostart::disable() {
    for (const Entry& entry : entries()) {
        if (!entry.enabled)
            continue;
        const bool systemhasit =
            std::any_of(systemfolders_.begin(), systemfolders_.end(),
                        [&](const QString& f) { return QFileInfo::exists(QDir(f).filePath(entry.name)); });
        if (systemhasit) {
            // Removing the user's entry would only uncover the system's: hide both.
            write(entry.name,
                  xdg::setdesktopvalue(entry.text, QStringLiteral("Hidden"), QStringLiteral("true")));
        } else if (!QFile::remove(entry.path)) {
            fail(QStringLiteral("Az automatikus indítás bejegyzése nem törölhető"), entry.path,
                 QFile(entry.path).errorString());
        }
    }
}

void XdgAutostart::write(const QString& name, const QString& text) const {
    const QString path = QDir(userfolder_).filePath(name);
    if (!QDir().mkpath(userfolder_))
        fail(QStringLiteral("Az automatikus indítás mappája nem hozható létre"), userfolder_,
             QStringLiteral("mkdir"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit())
        fail(QStringLiteral("Az automatikus indítás bejegyzése nem írható"), path, file.errorString());
}

QString XdgAutostart::canonicaltext() const {
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Pinlet\n"
                                  "Comment=Öntapadós jegyzetek az értesítési területen\n"
                                  "Icon=%1\n"
                                  "Terminal=false\n"
                                  "StartupNotify=false\n")
                       .arg(QString::fromLatin1(kDesktopId));
    return xdg::setdesktopvalue(text, QStringLiteral("Exec"), xdg::execargument(executable_));
}

std::unique_ptr<Autostart> makeautostart(const QString& executable) {
    // The folders as the freedesktop base directories define them: relative paths are ignored.
    QString confighome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(confighome))
        confighome = QDir::homePath() + QStringLiteral("/.config");
    QStringList systemfolders;
    for (const QString& folder :
         qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(folder))
            systemfolders += folder + QStringLiteral("/autostart");
    }
    if (systemfolders.isEmpty())
        systemfolders += QStringLiteral("/etc/xdg/autostart");
    return std::make_unique<XdgAutostart>(confighome + QStringLiteral("/autostart"), systemfolders,
                                          executable);
}

} // namespace pinlet
