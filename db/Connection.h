#pragma once
// The connection to one database file, and the owner of the lifetime rules of its table and statement
// objects.

#include "db/DbError.h"

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;

namespace sqldb {

// Something that works through a connection and must let go of the file when the connection closes.
class Attached {
public:
    // Called by Connection::disconnect() before the file is closed: release every engine resource and
    // return to the closed state. Unposted changes are dropped. Must not throw.
    virtual void closefordisconnect() noexcept = 0;

protected:
    ~Attached() = default;
};

// A connection to one existing database file.
//
// Every posted change is durable when the posting call returns (rollback journal, full sync), so a crash
// at any moment leaves the file as it was after the last completed write. Another process that holds
// the file makes an operation wait up to busytimeoutms before it fails with SQLite's "database is locked".
class Connection {
public:
    static constexpr int busytimeoutms = 3000;

    Connection() = default;
    ~Connection(); // disconnects
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The database file, a full path in UTF-8. Takes effect at the next connect().
    void setdatabasename(const std::string& path) { databasename_ = path; }
    const std::string& databasename() const { return databasename_; }
    // Off: the connections made from now on have none of SQLite's virtual-table modules (FTS5 among them),
    // as with an SQLite built without them. For trying the program on such a build.
    void setvirtualtables(bool on) { virtualtables_ = on; }

    bool connected() const { return handle_ != nullptr; }
    // Counts the files opened: what was read through an earlier opening may not hold for this one.
    std::uint64_t openings() const { return openings_; }
    // Whether the open file is no longer the one the path names. False when not connected.
    bool filemoved() const;

    // Opens the file; nothing happens when already connected to the file the path names. A connection whose
    // file was replaced meanwhile (renamed over or deleted, as synchronising programs do) is closed and
    // the path opened anew, so nothing is ever written into a file that is no longer the database. Never
    // creates a file: a missing one fails
    // with "Database file '<path>' does not exist". A file that SQLite cannot read fails with SQLite's
    // message and the path. Throws Error.
    void connect();

    // Closes every table and statement object of this connection, then the file. Nothing happens when not
    // connected. Never throws.
    void disconnect() noexcept;

    // Whether a transaction or savepoint is open. Some failures (a full disk, I/O errors) end one by
    // themselves.
    bool intransaction() const;
    // Writes the engine's buffers for the file through to the disk. Only while connected; throws Error.
    void flush();

    // The SQLite handle while connected, else null. For the objects of this layer, tests and benchmarks.
    sqlite3* handle() const { return handle_; }

    // An Error carrying SQLite's current message for this connection, prefixed with the file name. Take
    // it before resetting or finalizing the statement that failed.
    Error error(int code) const;
    [[noreturn]] void fail(int code) const;

    // Throws Error("Database is not connected") unless connected.
    void requireconnected() const;

    void attach(Attached* object);
    void detach(Attached* object) noexcept;

private:
    std::string databasename_;
    bool virtualtables_ = true;
    sqlite3* handle_ = nullptr;
    std::uint64_t openings_ = 0;
    std::vector<Attached*> attached_;
};

// A path given as UTF-8 text, as the file-system layer needs it on every platform.
std::string u8text(const std::u8string& text);

} // namespace sqldb
