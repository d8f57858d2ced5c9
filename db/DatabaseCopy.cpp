#include "db/DatabaseCopy.h"

#include <sqlite3.h>

#include <atomic>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#define PINLET_GETPID _getpid
#else
#include <unistd.h>
#define PINLET_GETPID ::getpid
#endif

namespace sqldb {

namespace {

std::atomic<unsigned> sequence{0};

std::filesystem::path fspath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string prefixed(const std::string& file, const std::string& message) {
    return "Database file '" + file + "': " + message;
}

// One SQLite handle, closed on every path.
class Handle {
public:
    Handle(const std::string& path, int flags, const std::string& owner) : owner_(owner) {
        const int rc = sqlite3_open_v2(path.c_str(), &handle_, flags, nullptr);
        if (rc != SQLITE_OK)
            fail(rc);
        sqlite3_extended_result_codes(handle_, 1);
        sqlite3_db_config(handle_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_db_config(handle_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    }
    ~Handle() { sqlite3_close_v2(handle_); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    sqlite3* get() const { return handle_; }

    void run(const std::string& statement) {
        const int rc = sqlite3_exec(handle_, statement.c_str(), nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            fail(rc);
    }

    [[noreturn]] void fail(int rc) const {
        const std::string message = handle_ ? sqlite3_errmsg(handle_) : sqlite3_errstr(rc);
        throw Error(prefixed(owner_, message), handle_ ? sqlite3_extended_errcode(handle_) : rc);
    }

private:
    std::string owner_;
    sqlite3* handle_ = nullptr;
};

// The temporary copy: removed unless it was given its final name.
class Scratch {
public:
    explicit Scratch(const std::string& target)
        : path_(target + "." + std::to_string(PINLET_GETPID()) + "-" + std::to_string(sequence++) + ".tmp") {
        remove();
    }
    ~Scratch() {
        if (!kept_)
            remove();
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    const std::string& path() const { return path_; }
    void kept() { kept_ = true; }

private:
    void remove() noexcept {
        std::error_code ignored;
        std::filesystem::remove(fspath(path_), ignored);
        std::filesystem::remove(fspath(path_ + "-journal"), ignored);
    }
    std::string path_;
    bool kept_ = false;
};

std::vector<std::string> integritylines(sqlite3* handle, int& rc) {
    std::vector<std::string> lines;
    sqlite3_stmt* statement = nullptr;
    rc = sqlite3_prepare_v2(handle, "PRAGMA integrity_check", -1, &statement, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(statement)) == SQLITE_ROW) {
        const unsigned char* text = sqlite3_column_text(statement, 0);
        lines.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
        rc = SQLITE_OK;
    }
    if (rc == SQLITE_DONE)
        rc = SQLITE_OK;
    sqlite3_finalize(statement);
    return lines;
}

std::string joined(const std::vector<std::string>& lines) {
    if (lines.size() == 1 && lines.front() == "ok")
        return {};
    std::string text;
    for (const std::string& line : lines)
        text += (text.empty() ? "" : "; ") + line;
    return text.empty() ? std::string("integrity_check gave no answer") : text;
}

} // namespace

void backupdatabase(const std::string& source, const std::string& target) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(fspath(source), error))
        throw Error("Database file '" + source + "' does not exist");
    Handle from(source, SQLITE_OPEN_READONLY, source);
    sqlite3_busy_timeout(from.get(), 3000);

    Scratch scratch(target);
    {
        Handle to(scratch.path(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, target);
        // The scratch file needs no journal: until it is renamed it is nobody's database. Its pages are
        // synced when the backup commits, so the name never points at pages still in a cache.
        to.run("PRAGMA journal_mode=OFF");
        to.run("PRAGMA synchronous=FULL");
        sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
        if (!backup)
            to.fail(sqlite3_errcode(to.get()));
        // One step copies every page under one read lock of the source: the copy is one moment of it. A
        // writer holding the file makes the step wait as long as any other operation of the store would.
        const int step = sqlite3_backup_step(backup, -1);
        const int finish = sqlite3_backup_finish(backup);
        if (step != SQLITE_DONE) {
            const int code = finish != SQLITE_OK ? finish : step;
            throw Error(
                prefixed(target, finish != SQLITE_OK ? sqlite3_errmsg(to.get()) : sqlite3_errstr(step)),
                code);
        }
        int rc = SQLITE_OK;
        const std::string problems = joined(integritylines(to.get(), rc));
        if (rc != SQLITE_OK)
            to.fail(rc);
        if (!problems.empty())
            throw Error(prefixed(target, "the copy fails its integrity check: " + problems), SQLITE_CORRUPT);
    }
    std::filesystem::rename(fspath(scratch.path()), fspath(target), error);
    if (error)
        throw Error(prefixed(target, error.message()));
    scratch.kept();
}

ReadOnlyDatabase::ReadOnlyDatabase(const std::string& path) : path_(path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(fspath(path), error))
        throw Error("Database file '" + path + "' does not exist");
    const int rc = sqlite3_open_v2(path.c_str(), &handle_, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = handle_ ? sqlite3_errmsg(handle_) : sqlite3_errstr(rc);
        sqlite3_close_v2(handle_);
        handle_ = nullptr;
        throw Error(prefixed(path, message), rc);
    }
    sqlite3_extended_result_codes(handle_, 1);
    sqlite3_busy_timeout(handle_, 3000);
    sqlite3_db_config(handle_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(handle_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
}

ReadOnlyDatabase::~ReadOnlyDatabase() {
    sqlite3_close_v2(handle_);
}

std::string ReadOnlyDatabase::problems() {
    int rc = SQLITE_OK;
    const std::vector<std::string> lines = integritylines(handle_, rc);
    if (rc != SQLITE_OK)
        return sqlite3_errmsg(handle_);
    return joined(lines);
}

void ReadOnlyDatabase::select(const std::string& query,
                              const std::function<void(const std::vector<std::string>&)>& row) {
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(handle_, query.c_str(), -1, &statement, nullptr);
    std::vector<std::string> columns;
    while (rc == SQLITE_OK && (rc = sqlite3_step(statement)) == SQLITE_ROW) {
        const int count = sqlite3_column_count(statement);
        columns.assign(static_cast<std::size_t>(count), std::string());
        for (int i = 0; i < count; ++i)
            if (const unsigned char* text = sqlite3_column_text(statement, i))
                columns[static_cast<std::size_t>(i)].assign(
                    reinterpret_cast<const char*>(text),
                    static_cast<std::size_t>(sqlite3_column_bytes(statement, i)));
        rc = SQLITE_OK;
        try {
            row(columns);
        } catch (...) {
            sqlite3_finalize(statement);
            throw;
        }
    }
    if (rc == SQLITE_DONE) {
        sqlite3_finalize(statement);
        return;
    }
    const Error failure(prefixed(path_, sqlite3_errmsg(handle_)), sqlite3_extended_errcode(handle_));
    sqlite3_finalize(statement);
    throw failure;
}

} // namespace sqldb
