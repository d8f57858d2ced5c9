#include "db/Connection.h"

#include "db/DbError.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace sqldb {

namespace {

std::filesystem::path fspath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Whether the file's header marks it as using a write-ahead log (file format versions at offsets 18, 19).
bool walheader(const std::string& path) {
    std::ifstream file(fspath(path), std::ios::binary);
    char header[20] = {};
    if (!file.read(header, sizeof header))
        return false;
    return header[18] == 2 || header[19] == 2;
}

std::string prefixed(const std::string& file, const std::string& message) {
    return "Database file '" + file + "': " + message;
}

} // namespace

std::string u8text(const std::u8string& text) {
    return std::string(text.begin(), text.end());
}

Connection::~Connection() {
    disconnect();
}

void Connection::connect() {
    if (handle_) {
        // Inside a transaction the open file holds work not yet committed: it is finished there, never
        // carried over into the other file.
        if (intransaction() || !filemoved())
            return;
        disconnect();
    }
    std::error_code error;
    if (databasename_.empty() || !std::filesystem::exists(fspath(databasename_), error))
        throw Error("Database file '" + databasename_ + "' does not exist");

    sqlite3* handle = nullptr;
    // READWRITE without CREATE: opening must never make a new, empty database in place of the user's.
    // NOMUTEX: a connection is only ever used by the thread that made it, and SQLite's locking around
    // every call on it would cost more than reading a long list's rows itself.
    const int rc =
        sqlite3_open_v2(databasename_.c_str(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = handle ? sqlite3_errmsg(handle) : sqlite3_errstr(rc);
        sqlite3_close_v2(handle);
        throw Error(prefixed(databasename_, message), rc);
    }
    sqlite3_extended_result_codes(handle, 1);
    if (!virtualtables_) {
        const char* none[] = {nullptr};
        sqlite3_drop_modules(handle, none);
    }
    sqlite3_busy_timeout(handle, busytimeoutms);
    // The file may come from anywhere (it is only a path in a configuration file): its schema must not be
    // able to run functions with side effects or corrupt itself through writable schema tricks.
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    // A plain rollback journal keeps the database one file at rest; full sync makes each commit durable.
    // The synchronous setting reads the schema, so a file that is no database fails here. Rollback
    // journalling is SQLite's default and only a write-ahead log persists in the file, so the journal mode
    // is set only for a file whose header says it was left in that mode.
    const std::string settings = walheader(databasename_)
                                     ? "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;"
                                     : "PRAGMA synchronous=FULL;";
    char* message = nullptr;
    const int prc = sqlite3_exec(handle, settings.c_str(), nullptr, nullptr, &message);
    if (prc != SQLITE_OK) {
        const std::string text = message ? message : sqlite3_errmsg(handle);
        const int code = sqlite3_extended_errcode(handle);
        sqlite3_free(message);
        sqlite3_close_v2(handle);
        throw Error(prefixed(databasename_, text), code);
    }
    handle_ = handle;
    ++openings_;
}

bool Connection::filemoved() const {
    if (!handle_)
        return false;
    int moved = 0;
    // A platform layer that cannot tell answers with an error code: the file is then taken as in place.
    if (sqlite3_file_control(handle_, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK)
        return false;
    return moved != 0;
}

void Connection::disconnect() noexcept {
    if (!handle_)
        return;
    // Copy: an object may detach itself while closing.
    const std::vector<Attached*> objects = attached_;
    for (Attached* object : objects)
        object->closefordisconnect();
    // close_v2 never fails for statements left behind; every object has finalized its own by now.
    sqlite3_close_v2(handle_);
    handle_ = nullptr;
}

void Connection::flush() {
    requireconnected();
    const int rc = sqlite3_db_cacheflush(handle_);
    if (rc != SQLITE_OK)
        fail(rc);
}

bool Connection::intransaction() const {
    return handle_ && !sqlite3_get_autocommit(handle_);
}

Error Connection::error(int code) const {
    const std::string message = handle_ ? sqlite3_errmsg(handle_) : sqlite3_errstr(code);
    return Error(prefixed(databasename_, message), handle_ ? sqlite3_extended_errcode(handle_) : code);
}

void Connection::fail(int code) const {
    throw error(code);
}

void Connection::requireconnected() const {
    if (!handle_)
        throw Error("Database is not connected");
}

void Connection::attach(Attached* object) {
    attached_.push_back(object);
}

void Connection::detach(Attached* object) noexcept {
    std::erase(attached_, object);
}

} // namespace sqldb
