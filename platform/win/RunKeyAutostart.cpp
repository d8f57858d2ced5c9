// Starting at login on Windows: a value under the current user's Run key whose command starts Pinlet.
// Explorer's start-up manager can switch such a value off without deleting it (a record of the same name
// under StartupApproved whose first byte is odd); that counts as off, and switching on clears it.

#include "platform/Autostart.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <iterator>
#include <stdexcept>
#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>

namespace pinlet {

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kApprovedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
const wchar_t kValueName[] = L"Pinlet";

const wchar_t* wide(const QString& text) {
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

QString fromwide(const wchar_t* text, std::size_t length) {
    return QString::fromWCharArray(text, qsizetype(length));
}

[[noreturn]] void fail(const char* what, LSTATUS status) {
    wchar_t* message = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, DWORD(status), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    QString reason = message ? QString::fromWCharArray(message).trimmed() : QString::number(status);
    if (message)
        LocalFree(message);
    throw std::runtime_error(
        (QString::fromUtf8(what) + QStringLiteral(" (") + reason + QLatin1Char(')')).toStdString());
}

// The program a command line starts: the quoted first argument, or everything up to the first blank.
QString commandprogram(const QString& command) {
    const QString trimmed = command.trimmed();
    if (trimmed.startsWith(QLatin1Char('"'))) {
        const qsizetype end = trimmed.indexOf(QLatin1Char('"'), 1);
        return end < 0 ? QString() : trimmed.mid(1, end - 1);
    }
    const qsizetype end = trimmed.indexOf(QLatin1Char(' '));
    return end < 0 ? trimmed : trimmed.left(end);
}

QString quoted(const QString& executable) {
    return QLatin1Char('"') + QDir::toNativeSeparators(executable) + QLatin1Char('"');
}

// A key of the current user's, closed when it goes out of scope. A missing key is simply not open.
class Key {
public:
    Key(const wchar_t* path, REGSAM access, bool create) {
        status_ =
            create ? RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, access, nullptr, &key_, nullptr)
                   : RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, access, &key_);
        if (status_ != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~Key() {
        if (key_)
            RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return key_; }
    LSTATUS status() const { return status_; }

private:
    HKEY key_ = nullptr;
    LSTATUS status_ = ERROR_SUCCESS;
};

struct RunValue {
    QString name;
    bool enabled;
    bool works;
};

class RunKeyAutostart : public Autostart {
public:
    explicit RunKeyAutostart(QString executable) : executable_(std::move(executable)) {}

    bool supported() const override { return true; }

    State state() const override { return stateof(values()); }

    bool broken() const override { return anybroken(values()); }

    void enable() override {
        Key run(kRunKey, KEY_READ | KEY_SET_VALUE, true);
        if (!run.get())
            fail("Az automatikus indítás kulcsa nem nyitható meg", run.status());
        bool works = false;
        for (const RunValue& value : values()) {
            if (!value.enabled)
                continue;
            if (!value.works)
                setvalue(run, value.name);
            works = true;
        }
        if (!works) {
            setvalue(run, QString::fromWCharArray(kValueName));
            // A record that switched it off would keep it off.
            Key approved(kApprovedKey, KEY_SET_VALUE, false);
            if (approved.get())
                RegDeleteValueW(approved.get(), kValueName);
        }
    }

    void disable() override {
        Key run(kRunKey, KEY_READ | KEY_SET_VALUE, false);
        if (!run.get())
            return;
        for (const RunValue& value : values()) {
            if (!value.enabled)
                continue;
            const LSTATUS status = RegDeleteValueW(run.get(), wide(value.name));
            if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
                fail("Az automatikus indítás bejegyzése nem törölhető", status);
        }
    }

private:
    void setvalue(const Key& run, const QString& name) const {
        const QString command = quoted(executable_);
        const DWORD bytes = DWORD((command.size() + 1) * sizeof(wchar_t));
        const LSTATUS status = RegSetValueExW(run.get(), wide(name), 0, REG_SZ,
                                              reinterpret_cast<const BYTE*>(wide(command)), bytes);
        if (status != ERROR_SUCCESS)
            fail("Az automatikus indítás bejegyzése nem írható", status);
    }

    // Whether Explorer's start-up manager switched the value of this name off.
    static bool switchedoff(const Key& approved, const QString& name) {
        if (!approved.get())
            return false;
        BYTE record[16] = {};
        DWORD size = sizeof record;
        DWORD type = 0;
        if (RegQueryValueExW(approved.get(), wide(name), nullptr, &type, record, &size) != ERROR_SUCCESS)
            return false;
        return type == REG_BINARY && size > 0 && (record[0] & 1) != 0;
    }

    std::vector<RunValue> values() const {
        std::vector<RunValue> found;
        Key run(kRunKey, KEY_READ, false);
        if (!run.get())
            return found;
        Key approved(kApprovedKey, KEY_READ, false);
        const QString programname = QFileInfo(executable_).fileName();
        for (DWORD index = 0;; ++index) {
            wchar_t name[16384];
            DWORD namelength = DWORD(std::size(name));
            std::vector<wchar_t> data(4096);
            DWORD bytes = DWORD(data.size() * sizeof(wchar_t));
            DWORD type = 0;
            const LSTATUS status = RegEnumValueW(run.get(), index, name, &namelength, nullptr, &type,
                                                 reinterpret_cast<BYTE*>(data.data()), &bytes);
            if (status == ERROR_NO_MORE_ITEMS)
                break;
            // A value too long for a command line is not Pinlet's.
            if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
                continue;
            QString command = fromwide(data.data(), bytes / sizeof(wchar_t));
            command.truncate(command.indexOf(QChar(0)) < 0 ? command.size() : command.indexOf(QChar(0)));
            if (type == REG_EXPAND_SZ) {
                wchar_t expanded[4096];
                const DWORD length =
                    ExpandEnvironmentStringsW(wide(command), expanded, DWORD(std::size(expanded)));
                if (length > 0 && length <= std::size(expanded))
                    command = QString::fromWCharArray(expanded);
            }
            const QString program = commandprogram(command);
            if (program.isEmpty() ||
                QFileInfo(program).fileName().compare(programname, Qt::CaseInsensitive) != 0)
                continue;
            const QString valuename = fromwide(name, namelength);
            found.push_back({valuename, !switchedoff(approved, valuename), QFileInfo(program).isFile()});
        }
        return found;
    }

    QString executable_;
};

} // namespace

std::unique_ptr<Autostart> makeautostart(const QString& executable) {
    return std::make_unique<RunKeyAutostart>(executable);
}

} // namespace pinlet

#endif
