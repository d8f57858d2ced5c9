#include "store/NewFile.h"

#include "store/FileMessages.h"
#include "store/TransientRetry.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#ifdef _WIN32
#include <chrono>
#include <thread>
#include <utility>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::atomic<unsigned> sequence{0};

[[noreturn]] void cannotcreate(const std::string& target, const std::string& reason) {
    throw std::runtime_error(cannotcreatefilemessage(target, reason));
}

#ifdef _WIN32

std::wstring wide(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), result.data(), length);
    return result;
}

// A scanner or a sync client opening the fresh file first makes renaming or removing it fail for a moment
// with one of these; half a second covers them, as it does for the SQL engine's own Windows file layer.
constexpr std::chrono::milliseconds kPatience{500};

bool transient(unsigned long code) {
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION || code == ERROR_ACCESS_DENIED;
}

// Runs a Win32 call that reports failure through GetLastError; 0 when it succeeded.
template <typename Call> DWORD patiently(Call call) {
    return static_cast<DWORD>(retrytransient(
        [&]() -> unsigned long {
            if (call())
                return 0;
            const DWORD error = GetLastError();
            return error ? error : ERROR_GEN_FAILURE;
        },
        transient, kPatience, [](std::chrono::milliseconds wait) { std::this_thread::sleep_for(wait); }));
}

// The temporary file is removed on every way out but the one that gave it the target's name.
class TemporaryFile {
public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!path_.empty())
            patiently([this] { return DeleteFileW(path_.c_str()); });
    }
    const std::wstring& path() const { return path_; }
    void keep() { path_.clear(); }

private:
    std::wstring path_;
};

bool createnewfileimpl(const std::string& target, const std::string& bytes) {
    const std::wstring wtarget = wide(target);
    HANDLE file = INVALID_HANDLE_VALUE;
    std::wstring name;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        name = wtarget + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(sequence++) +
               L".tmp";
        file =
            CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            cannotcreate(target, windowserrortext(GetLastError()));
    }
    if (file == INVALID_HANDLE_VALUE)
        cannotcreate(target, windowserrortext(ERROR_FILE_EXISTS));
    TemporaryFile temporary(name);
    std::size_t written = 0;
    bool ok = true;
    while (ok && written < bytes.size()) {
        DWORD chunk = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1u << 20));
        ok = WriteFile(file, bytes.data() + written, wanted, &chunk, nullptr) && chunk > 0;
        written += chunk;
    }
    ok = ok && FlushFileBuffers(file);
    const DWORD writeerror = ok ? 0 : GetLastError();
    CloseHandle(file);
    if (!ok)
        cannotcreate(target, windowserrortext(writeerror));
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the target exists.
    const DWORD moveerror = patiently(
        [&] { return MoveFileExW(temporary.path().c_str(), wtarget.c_str(), MOVEFILE_WRITE_THROUGH); });
    if (moveerror == 0) {
        temporary.keep();
        return true;
    }
    if (moveerror == ERROR_ALREADY_EXISTS || moveerror == ERROR_FILE_EXISTS)
        return false;
    cannotcreate(target, windowserrortext(moveerror));
}

#else

std::string folderof(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void syncfolder(const std::string& path) {
    // Makes the new name itself durable; a failure here loses nothing that is not already on disk.
    const int folder = ::open(folderof(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

bool createnewfileimpl(const std::string& target, const std::string& bytes) {
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = target + "." + std::to_string(::getpid()) + "-" + std::to_string(sequence++) + ".tmp";
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            cannotcreate(target, std::strerror(errno));
    }
    if (fd < 0)
        cannotcreate(target, std::strerror(EEXIST));
    std::size_t written = 0;
    int writeerror = 0;
    while (written < bytes.size()) {
        const ssize_t chunk = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (chunk < 0 && errno == EINTR)
            continue;
        if (chunk <= 0) {
            writeerror = chunk < 0 ? errno : EIO;
            break;
        }
        written += static_cast<std::size_t>(chunk);
    }
    if (!writeerror && ::fsync(fd) != 0)
        writeerror = errno;
    if (::close(fd) != 0 && !writeerror)
        writeerror = errno;
    if (writeerror) {
        ::unlink(temporary.c_str());
        cannotcreate(target, std::strerror(writeerror));
    }
    // link() fails when the target exists, where rename() would replace it.
    if (::link(temporary.c_str(), target.c_str()) == 0) {
        ::unlink(temporary.c_str());
        syncfolder(target);
        return true;
    }
    const int linkerror = errno;
    if (linkerror == EEXIST) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (linkerror == EPERM || linkerror == ENOTSUP || linkerror == EOPNOTSUPP || linkerror == EMLINK ||
        linkerror == ENOSYS) {
        // A file system without hard links: check, then rename. Only a second process creating the same
        // file in between could be overwritten, and then by the same template bytes.
        struct stat existing;
        if (::lstat(target.c_str(), &existing) == 0) {
            ::unlink(temporary.c_str());
            return false;
        }
        if (::rename(temporary.c_str(), target.c_str()) == 0) {
            syncfolder(target);
            return true;
        }
    }
    const int finalerror = errno;
    ::unlink(temporary.c_str());
    cannotcreate(target, std::strerror(finalerror));
}

#endif

} // namespace

bool createnewfile(const std::string& target, const std::string& bytes) {
    return createnewfileimpl(target, bytes);
}
