#include "db/Compaction.h"

#include "db/ScratchFile.h"

#include <sqlite3.h>

namespace sqldb {

namespace {

std::string sqlliteral(const std::string& text) {
    std::string result = "'";
    for (const char c : text) {
        result += c;
        if (c == '\'')
            result += '\'';
    }
    return result + "'";
}

// The copy's own connection. It needs no journal and no sync: nothing of it outlives the compaction.
class CopyConnection {
public:
    CopyConnection(const std::string& path, const std::string& owner) : owner_(owner) {
        const int rc = sqlite3_open_v2(path.c_str(), &handle_, SQLITE_OPEN_READWRITE, nullptr);
        if (rc != SQLITE_OK)
            fail(rc);
        sqlite3_extended_result_codes(handle_, 1);
        sqlite3_db_config(handle_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_db_config(handle_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        run("PRAGMA journal_mode=OFF");
        run("PRAGMA synchronous=OFF");
    }
    ~CopyConnection() { sqlite3_close_v2(handle_); }
    CopyConnection(const CopyConnection&) = delete;
    CopyConnection& operator=(const CopyConnection&) = delete;

    sqlite3* handle() const { return handle_; }

    void run(const std::string& statement) {
        char* message = nullptr;
        const int rc = sqlite3_exec(handle_, statement.c_str(), nullptr, nullptr, &message);
        sqlite3_free(message);
        if (rc != SQLITE_OK)
            fail(rc);
    }

private:
    [[noreturn]] void fail(int rc) const {
        const std::string message = handle_ ? sqlite3_errmsg(handle_) : sqlite3_errstr(rc);
        throw Error("Database file '" + owner_ + "': " + message,
                    handle_ ? sqlite3_extended_errcode(handle_) : rc);
    }

    std::string owner_;
    sqlite3* handle_ = nullptr;
};

} // namespace

void compact(Connection& connection, const std::string& purge) {
    connection.requireconnected();
    sqlite3* target = connection.handle();
    const ScratchFile copyfile(connection.databasename() + ".tmp");

    // A consistent, already compact snapshot of the file; the original is only read.
    const std::string snapshot = "VACUUM INTO " + sqlliteral(copyfile.path());
    char* message = nullptr;
    int rc = sqlite3_exec(target, snapshot.c_str(), nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK)
        connection.fail(rc);

    CopyConnection copy(copyfile.path(), connection.databasename());
    if (!purge.empty())
        copy.run(purge);
    // The purge leaves free pages behind, and the copy below takes every page it has.
    copy.run("VACUUM");

    // The backup writes the copy's pages over the file in one write transaction of the file's own
    // connection, under its rollback journal and its busy timeout, and truncates the file to the copy's
    // length when it commits.
    sqlite3_backup* backup = sqlite3_backup_init(target, "main", copy.handle(), "main");
    if (!backup)
        connection.fail(sqlite3_errcode(target));
    const int steprc = sqlite3_backup_step(backup, -1);
    rc = sqlite3_backup_finish(backup);
    if (steprc == SQLITE_DONE)
        return;
    if (rc != SQLITE_OK)
        connection.fail(rc);
    // A lock that the busy timeout could not wait out is no error of the connection, so it has no message.
    throw Error("Database file '" + connection.databasename() + "': " + sqlite3_errstr(steprc), steprc);
}

} // namespace sqldb
