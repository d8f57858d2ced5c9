#pragma once
// Copies of a database file taken while it is in use, and read-only access to copies that may be damaged.

#include "db/DbError.h"

#include <functional>
#include <string>
#include <vector>

struct sqlite3;

namespace sqldb {

// Writes a consistent copy of the database file `source` to `target` through SQLite's online backup, so a
// writer in another process neither disturbs the copy nor is disturbed for longer than the copy takes.
// The copy is written under a temporary name beside `target`, synced, and checked with integrity_check;
// only then does it take the name `target`, replacing a file of that name. On every failure the temporary
// file is removed and `target` is left as it was.
//
// The source is only read; a missing source fails and is never created. Throws Error.
void backupdatabase(const std::string& source, const std::string& target);

// A database file opened for reading only: a backup copy, or a file of unknown state. Nothing is ever
// written to it, and no journal is made beside it.
class ReadOnlyDatabase {
public:
    // Throws Error when the file is missing or cannot be opened.
    explicit ReadOnlyDatabase(const std::string& path);
    ~ReadOnlyDatabase();
    ReadOnlyDatabase(const ReadOnlyDatabase&) = delete;
    ReadOnlyDatabase& operator=(const ReadOnlyDatabase&) = delete;

    // What integrity_check finds wrong with the file, the lines joined by "; "; empty when it is sound.
    // A file that is no database at all gives SQLite's message. Never throws.
    std::string problems();

    // Runs one query and hands over each row, its columns as text (null as the empty string).
    // Throws Error.
    void select(const std::string& query, const std::function<void(const std::vector<std::string>&)>& row);

private:
    std::string path_;
    sqlite3* handle_ = nullptr;
};

} // namespace sqldb
