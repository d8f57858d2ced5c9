#pragma once
// A table object: one table of a connection, read and written a row at a time.

#include "db/Connection.h"
#include "db/DateTime.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sqlite3_stmt;

namespace sqldb {

// The table is closed until open(). While open it has at most one current row, which is read through the
// column accessors. Rows come in rowid order (for the note tables: ascending id, the order of creation).
//
// Writing: edit() or append() starts a row, the set* calls change it, post() writes it in one statement
// (durable when post returns). Columns that an appended row never sets take their declared defaults.
// Moving to another row, close() and disconnecting drop a row that was not posted.
//
// Locking: the table holds no lock on the file between calls, except while an iteration started by first()
// stands on a row; reaching eof(), locate(), edit(), append() and close() end it. So a write never starts
// while this connection still holds a read lock, which lets the busy timeout settle contention between
// processes instead of failing at once.
class Table : public Attached {
public:
    enum class State { closed, browse, edit, insert };

    Table(Connection& connection, std::string tablename);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    const std::string& tablename() const { return tablename_; }
    State state() const { return state_; }
    bool isopen() const { return state_ != State::closed; }

    // Opens the table; nothing happens when already open. The connection must be connected. A missing
    // table fails with SQLite's message ("no such table: ...") and the file name. Throws Error.
    void open();
    // Closes the table, dropping an unposted row; nothing happens when closed. Never throws.
    void close() noexcept;

    // Whether the open table has the column; names compared without regard to ASCII case.
    bool hascolumn(const std::string& column) const;

    // Makes current the first row (in rowid order) whose column equals the value exactly: text is compared
    // byte for byte, whole value, case-sensitively. A text value longer than a VARCHAR column can hold is
    // cut as a write would cut it, so a row finds what its own write stored. Returns whether a row was
    // found; when not, the current row stays as it was.
    bool locate(const std::string& column, const std::string& value);
    bool locate(const std::string& column, std::int64_t value);

    // Iteration: first() goes to the first row, next() to the following one; eof() is true once next()
    // has passed the last row, or first() found none.
    void first();
    void next();
    bool eof() const { return eof_; }

    // Starts editing the current row (fails when there is none) / starts a new, empty row.
    void edit();
    void append();
    // Writes the edited or appended row. After an append the new row is current, as stored, with its
    // AUTOINC value and defaults readable. Nothing happens in browse state. On failure the row stays in
    // editing and the error is thrown.
    void post();
    // Drops the edited or appended row.
    void cancel();

    // Changing the row being edited or appended. Text for a VARCHAR(n) column is cut to n characters, at a
    // character boundary. Throws Error when not editing, or for a column the table does not have.
    void settext(const std::string& column, const std::string& value);
    void setinteger(const std::string& column, std::int32_t value);
    void setdatetime(const std::string& column, const DateTime& value);
    void setnull(const std::string& column);

    // The current row's column: as text (null as the empty string) or as a 32-bit integer (null as 0; a
    // wider value keeps its low 32 bits). Throws Error when there is no current row or no such column.
    std::string astext(const std::string& column) const;
    std::int32_t asinteger(const std::string& column) const;
    // The same number in full, for a caller that must tell a wide value from its low 32 bits.
    std::int64_t aslargeint(const std::string& column) const;
    bool isnull(const std::string& column) const;

    void closefordisconnect() noexcept override { close(); }

private:
    using Value = std::variant<std::monostate, std::int64_t, double, std::string>;
    enum class Source { none, buffer, cursor };

    struct Column {
        std::string name;
        int sizelimit = 0; // characters of a VARCHAR(n); 0 for no limit
    };

    std::size_t columnindex(const std::string& column) const;
    void requireopen() const;
    void requirecurrent() const;
    void requirewriting() const;
    void settle();    // drops a pending row before moving
    void endcursor(); // ends an iteration; a row it stood on becomes the buffered current row
    void loadbuffer(sqlite3_stmt* statement); // from a row whose first column is rowid
    bool loadbyrowid(std::int64_t rowid);
    void preparecursor() const;
    void startcursor(std::int64_t from);
    void widencursor(std::size_t index) const;
    sqlite3_stmt* prepare(const std::string& text) const; // fails through the connection
    sqlite3_stmt* cachedlocate(std::size_t column);
    bool runlocate(sqlite3_stmt* statement);
    std::string quoted(const std::string& identifier) const;
    std::string selectlist() const;
    void finalizeall() noexcept;
    void setvalue(const std::string& column, Value value);

    struct ValueView {
        int type = 5; // SQLite's type number; 5 is null
        std::int64_t integer = 0;
        double real = 0;
        std::string_view text;
    };
    ValueView current(std::size_t index) const;

    Connection& connection_;
    std::string tablename_;
    State state_ = State::closed;
    std::vector<Column> columns_;

    Source source_ = Source::none;
    bool eof_ = true;
    std::int64_t rowid_ = 0;
    std::vector<Value> row_;
    std::vector<bool> modified_;
    // What cancel() returns to.
    Source savedsource_ = Source::none;
    std::int64_t savedrowid_ = 0;
    std::vector<Value> savedrow_;

    // The iteration's statement and the columns it selects: those read in earlier passes (learnedfor_
    // names the column list they refer to, kept across close and open), widened on demand.
    mutable sqlite3_stmt* cursor_ = nullptr;
    mutable std::vector<bool> wanted_;
    mutable std::vector<int> cursorcolumn_;
    std::vector<std::string> learnedfor_;
    sqlite3_stmt* byrowid_ = nullptr;
    std::map<std::size_t, sqlite3_stmt*> locates_;
};

// The text cut to at most the given number of characters (UTF-8 code points), never inside a sequence.
std::string cuttocharacters(const std::string& text, std::size_t characters);

} // namespace sqldb
