#include "shell/helpers.h"

#include "shell/MessageBox.h"
#include "shell/dialogs.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include <limits>
#include <stdexcept>

#ifdef Q_OS_WIN
#include <shlobj.h>
#include <windows.h>
#endif

namespace {

constexpr int kDocumentsId = 5;
constexpr int kPicturesId = 39;

std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}
QString qtext(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

#ifdef Q_OS_WIN
std::string systemmessage(HRESULT code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        DWORD(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    QString text = length ? QString::fromWCharArray(buffer, int(length)).trimmed() : QString();
    LocalFree(buffer);
    return utf8(text);
}
#endif

} // namespace

std::string getfolderpath(int csidl) {
#ifdef Q_OS_WIN
    IMalloc* allocator = nullptr;
    const HRESULT got = SHGetMalloc(&allocator);
    if (FAILED(got))
        throw std::runtime_error(systemmessage(got));
    wchar_t buffer[MAX_PATH + 1] = {};
    LPITEMIDLIST list = nullptr;
    // A Documents folder that was removed (or redirected to one not made yet) is created: without it the
    // path would come back empty and the database would be looked for at the root of the drive.
    const int flags = csidl == kDocumentsId ? CSIDL_FLAG_CREATE : 0;
    if (SUCCEEDED(SHGetFolderLocation(nullptr, csidl | flags, nullptr, 0, &list))) {
        SHGetPathFromIDListW(list, buffer);
        allocator->Free(list);
    }
    allocator->Release();
    return utf8(QString::fromWCharArray(buffer));
#else
    if (csidl == kDocumentsId) {
        const QString path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (path.isEmpty() || !QDir().mkpath(path))
            return {};
        return utf8(path);
    }
    if (csidl == kPicturesId)
        return utf8(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    return {};
#endif
}

std::string getspecialfolder(const std::string& name) {
    if (name == "dokumentumok")
        return getfolderpath(kDocumentsId);
    if (name == "k\xC3\xA9pek") // "képek"
        return getfolderpath(kPicturesId);
    return {};
}

std::int64_t strtoint64(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && text[at] == ' ')
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        negative = text[at++] == '-';

    unsigned base = 10;
    if (at < text.size() && (text[at] == '$' || text[at] == 'x' || text[at] == 'X')) {
        base = 16;
        ++at;
    } else if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }

    // The magnitude is gathered unsigned so that INT64_MIN, whose magnitude has no positive twin, is exact.
    constexpr std::uint64_t kLimitPositive = std::uint64_t((std::numeric_limits<std::int64_t>::max)());
    const std::uint64_t limit = negative ? kLimitPositive + 1 : kLimitPositive;
    std::uint64_t magnitude = 0;
    bool saturated = false;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = unsigned(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = unsigned(c - 'A' + 10);
        else
            break;
        if (saturated)
            continue;
        if (magnitude > (limit - digit) / base) {
            saturated = true;
            magnitude = limit;
            continue;
        }
        magnitude = magnitude * base + digit;
    }
    if (!negative)
        return std::int64_t(magnitude);
    if (magnitude == kLimitPositive + 1)
        return (std::numeric_limits<std::int64_t>::min)();
    return -std::int64_t(magnitude);
}

int confirmdlg(const std::string& question) {
    const pinlet::ShownDialog shown{pinlet::DialogKind::Confirm, "Confirm", question};
    if (pinlet::DialogScript* script = pinlet::DialogScript::active())
        return script->answer(shown);

    // Closing the box through its frame answers as Escape does: Cancel.
    switch (pinlet::runmessagebox(QMessageBox::Question, QString::fromUtf8("Confirm"), qtext(question),
                                  {{QString::fromUtf8("&Yes"), QMessageBox::YesRole},
                                   {QString::fromUtf8("&No"), QMessageBox::NoRole},
                                   {QString::fromUtf8("Cancel"), QMessageBox::RejectRole}},
                                  0, 2)) {
    case 0:
        return 6;
    case 1:
        return 7;
    default:
        return 2;
    }
}

void errordlg(const std::string& message) {
    const pinlet::ShownDialog shown{pinlet::DialogKind::Error, "Error", message};
    if (pinlet::DialogScript* script = pinlet::DialogScript::active()) {
        script->answer(shown);
        return;
    }
    pinlet::runmessagebox(QMessageBox::Critical, QString::fromUtf8("Error"), qtext(message),
                          {{QString::fromUtf8("OK"), QMessageBox::AcceptRole}}, 0, 0);
}
