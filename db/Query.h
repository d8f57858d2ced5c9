#pragma once
// A query object: one SQL statement of a connection whose rows the caller reads.

#include "db/Connection.h"

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3_stmt;

namespace sqldb {

// Prepared on the first run and kept until the connection closes, so a statement run at every keystroke
// is compiled once. Parameters are numbered from 1, as in the text ("?1").
class Query : public Attached {
public:
    Query(Connection& connection, std::string text);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    // Binding starts a new run: rows of an earlier run that were not read are dropped.
    void bind(int parameter, const std::string& value);
    void bind(int parameter, std::int64_t value);
    // Moves to the next row; false once there is none (the run is then over). Throws Error.
    bool next();
    // Runs the statement to its end, passing over its rows. Throws Error.
    void run();
    // Compiles the statement now, ahead of its first run. Throws Error.
    void prepare() { statement(); }
    // Ends a run whose rows were not all read: until then it holds the file's read lock, which keeps
    // other connections from writing.
    void finish() noexcept;
    // The current row's column, counted from 0: as text (null as the empty string) or as an integer.
    std::string text(int column) const;
    // The same text, valid until the next call on the query.
    std::string_view textview(int column) const;
    std::int64_t integer(int column) const;
    // The same number as Table::aslargeint reads from the same value (a real cut toward zero, a text's
    // leading integer), for a caller that must read odd values as a table does.
    std::int64_t largeint(int column) const;
    bool isnull(int column) const;

    void closefordisconnect() noexcept override;

private:
    sqlite3_stmt* statement();

    Connection& connection_;
    std::string text_;
    sqlite3_stmt* statement_ = nullptr;
    bool running_ = false;
};

// Runs statements as one transaction that another process cannot enter between them: begun at once with a
// write lock (waiting out the busy timeout), committed by commit(), rolled back when left without it.
class ImmediateTransaction {
public:
    explicit ImmediateTransaction(Connection& connection);
    ~ImmediateTransaction();
    ImmediateTransaction(const ImmediateTransaction&) = delete;
    ImmediateTransaction& operator=(const ImmediateTransaction&) = delete;
    void commit();

private:
    Connection& connection_;
    bool open_ = true;
};

// Runs one statement without rows on the connected connection. Throws Error.
void execute(Connection& connection, const std::string& statement);

} // namespace sqldb
