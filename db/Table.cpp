#include "db/Table.h"

#include "db/DbError.h"
#include "db/ValueNumber.h"

#include <sqlite3.h>

#include <cctype>
#include <cstdlib>
#include <limits>

namespace sqldb {

namespace {

bool sameascii(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// The n of a declared type "VARCHAR(n)", else 0.
int varcharsize(const char* declared) {
    if (!declared)
        return 0;
    std::string type;
    for (const char* p = declared; *p; ++p) {
        if (*p != ' ')
            type += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    }
    const std::string prefix = "VARCHAR(";
    if (type.rfind(prefix, 0) != 0 || type.back() != ')')
        return 0;
    const std::string digits = type.substr(prefix.size(), type.size() - prefix.size() - 1);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::atoi(digits.c_str());
}

std::string realastext(double value) {
    char* text = sqlite3_mprintf("%!.15g", value);
    std::string result = text ? text : "";
    sqlite3_free(text);
    return result;
}

} // namespace

std::string cuttocharacters(const std::string& text, std::size_t characters) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool starts = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (starts && seen++ == characters)
            return text.substr(0, i);
    }
    return text;
}

Table::Table(Connection& connection, std::string tablename)
    : connection_(connection), tablename_(std::move(tablename)) {
    connection_.attach(this);
}

Table::~Table() {
    close();
    connection_.detach(this);
}

void Table::open() {
    if (isopen())
        return;
    connection_.requireconnected();
    sqlite3_stmt* probe = prepare("SELECT * FROM " + quoted(tablename_));
    std::vector<Column> columns;
    const int count = sqlite3_column_count(probe);
    for (int i = 0; i < count; ++i)
        columns.push_back({sqlite3_column_name(probe, i), varcharsize(sqlite3_column_decltype(probe, i))});
    sqlite3_finalize(probe);
    std::vector<std::string> names;
    for (const Column& c : columns)
        names.push_back(c.name);
    if (names != learnedfor_) {
        learnedfor_ = std::move(names);
        wanted_.assign(columns.size(), false);
    }
    columns_ = std::move(columns);
    row_.assign(columns_.size(), Value{});
    modified_.assign(columns_.size(), false);
    source_ = Source::none;
    eof_ = true;
    state_ = State::browse;
}

void Table::close() noexcept {
    if (!isopen())
        return;
    finalizeall();
    state_ = State::closed;
    source_ = Source::none;
    eof_ = true;
    columns_.clear();
    row_.clear();
    savedrow_.clear();
    modified_.clear();
}

void Table::finalizeall() noexcept {
    sqlite3_finalize(cursor_);
    cursor_ = nullptr;
    sqlite3_finalize(byrowid_);
    byrowid_ = nullptr;
    for (auto& entry : locates_)
        sqlite3_finalize(entry.second);
    locates_.clear();
}

bool Table::hascolumn(const std::string& column) const {
    requireopen();
    for (const Column& c : columns_) {
        if (sameascii(c.name, column))
            return true;
    }
    return false;
}

std::size_t Table::columnindex(const std::string& column) const {
    requireopen();
    // Callers nearly always spell the name as the schema does; the exact test is the cheap one.
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i].name == column)
            return i;
    }
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (sameascii(columns_[i].name, column))
            return i;
    }
    throw Error("Field '" + column + "' not found in table " + tablename_);
}

void Table::requireopen() const {
    if (!isopen())
        throw Error("Table " + tablename_ + " is not open");
}

void Table::requirecurrent() const {
    requireopen();
    if (source_ == Source::none || (eof_ && source_ == Source::cursor))
        throw Error("Table " + tablename_ + " has no current row");
}

void Table::requirewriting() const {
    requireopen();
    if (state_ != State::edit && state_ != State::insert)
        throw Error("Table " + tablename_ + " is not in edit or insert mode");
}

std::string Table::quoted(const std::string& identifier) const {
    std::string result = "\"";
    for (char c : identifier) {
        result += c;
        if (c == '"')
            result += '"';
    }
    return result + "\"";
}

std::string Table::selectlist() const {
    std::string list = "rowid";
    for (const Column& c : columns_)
        list += ", " + quoted(c.name);
    return list;
}

sqlite3_stmt* Table::prepare(const std::string& text) const {
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare_v2(connection_.handle(), text.c_str(), -1, &statement, nullptr);
    if (rc != SQLITE_OK) {
        const Error error = connection_.error(rc);
        sqlite3_finalize(statement);
        throw error;
    }
    return statement;
}

void Table::settle() {
    // Dropped, not posted: a row whose post failed must not be written later by whatever comes next, when
    // its caller has already reported the failure (and may save the same note again).
    if (state_ == State::edit || state_ == State::insert)
        cancel();
}

void Table::endcursor() {
    if (!cursor_)
        return;
    const bool standing = source_ == Source::cursor && !eof_;
    sqlite3_reset(cursor_);
    if (standing) {
        // The cursor holds only the columns read so far; the row as a whole comes from the file.
        source_ = Source::none;
        loadbyrowid(rowid_);
    } else if (source_ == Source::cursor) {
        source_ = Source::none;
    }
}

void Table::preparecursor() const {
    sqlite3_finalize(cursor_);
    cursor_ = nullptr;
    std::string list = "rowid";
    cursorcolumn_.assign(columns_.size(), -1);
    int at = 1;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (wanted_[i]) {
            list += ", " + quoted(columns_[i].name);
            cursorcolumn_[i] = at++;
        }
    }
    cursor_ = prepare("SELECT " + list + " FROM " + quoted(tablename_) + " WHERE rowid >= ?1 ORDER BY rowid");
}

void Table::loadbuffer(sqlite3_stmt* statement) {
    rowid_ = sqlite3_column_int64(statement, 0);
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const int at = static_cast<int>(i) + 1;
        switch (sqlite3_column_type(statement, at)) {
        case SQLITE_INTEGER:
            row_[i] = static_cast<std::int64_t>(sqlite3_column_int64(statement, at));
            break;
        case SQLITE_FLOAT:
            row_[i] = sqlite3_column_double(statement, at);
            break;
        case SQLITE_NULL:
            row_[i] = std::monostate{};
            break;
        default: {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, at));
            row_[i] = std::string(bytes ? bytes : "",
                                  static_cast<std::size_t>(sqlite3_column_bytes(statement, at)));
        }
        }
    }
}

bool Table::runlocate(sqlite3_stmt* statement) {
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW) {
        loadbuffer(statement);
        sqlite3_reset(statement);
        source_ = Source::buffer;
        eof_ = false;
        return true;
    }
    if (rc != SQLITE_DONE) {
        const Error error = connection_.error(rc);
        sqlite3_reset(statement);
        throw error;
    }
    sqlite3_reset(statement);
    return false;
}

sqlite3_stmt* Table::cachedlocate(std::size_t column) {
    auto found = locates_.find(column);
    if (found != locates_.end())
        return found->second;
    // BINARY keeps the match exact whatever collation the column was declared with.
    sqlite3_stmt* statement =
        prepare("SELECT " + selectlist() + " FROM " + quoted(tablename_) + " WHERE " +
                quoted(columns_[column].name) + " = ?1 COLLATE BINARY ORDER BY rowid LIMIT 1");
    locates_[column] = statement;
    return statement;
}

bool Table::locate(const std::string& column, const std::string& value) {
    const std::size_t index = columnindex(column);
    settle();
    endcursor();
    const std::string wanted =
        columns_[index].sizelimit > 0
            ? cuttocharacters(value, static_cast<std::size_t>(columns_[index].sizelimit))
            : value;
    sqlite3_stmt* statement = cachedlocate(index);
    sqlite3_bind_text(statement, 1, wanted.data(), static_cast<int>(wanted.size()), SQLITE_TRANSIENT);
    return runlocate(statement);
}

bool Table::locate(const std::string& column, std::int64_t value) {
    const std::size_t index = columnindex(column);
    settle();
    endcursor();
    sqlite3_stmt* statement = cachedlocate(index);
    sqlite3_bind_int64(statement, 1, value);
    return runlocate(statement);
}

void Table::startcursor(std::int64_t from) {
    if (!cursor_)
        preparecursor();
    sqlite3_bind_int64(cursor_, 1, from);
    const int rc = sqlite3_step(cursor_);
    if (rc == SQLITE_ROW) {
        source_ = Source::cursor;
        eof_ = false;
        rowid_ = sqlite3_column_int64(cursor_, 0);
        return;
    }
    eof_ = true;
    if (rc != SQLITE_DONE) {
        const Error error = connection_.error(rc);
        sqlite3_reset(cursor_);
        source_ = Source::none;
        throw error;
    }
    sqlite3_reset(cursor_);
    // Past the last row: a row passed over stays readable through the buffer, as after a locate.
}

void Table::first() {
    requireopen();
    settle();
    endcursor();
    source_ = Source::none;
    startcursor(std::numeric_limits<std::int64_t>::min());
}

void Table::next() {
    requireopen();
    settle();
    if (eof_)
        return;
    if (source_ == Source::cursor) {
        const std::int64_t passed = rowid_;
        const int rc = sqlite3_step(cursor_);
        if (rc == SQLITE_ROW) {
            rowid_ = sqlite3_column_int64(cursor_, 0);
            return;
        }
        if (rc != SQLITE_DONE) {
            const Error error = connection_.error(rc);
            sqlite3_reset(cursor_);
            source_ = Source::none;
            eof_ = true;
            throw error;
        }
        sqlite3_reset(cursor_);
        // Past the end the last row stays current. It is read again only here: copying every row on the
        // way would make a pass over the table several times slower.
        source_ = Source::none;
        loadbyrowid(passed);
        eof_ = true;
        return;
    }
    if (source_ == Source::none || rowid_ == std::numeric_limits<std::int64_t>::max()) {
        eof_ = true;
        return;
    }
    startcursor(rowid_ + 1);
}

void Table::edit() {
    requireopen();
    if (state_ == State::edit)
        return;
    settle();
    endcursor();
    requirecurrent();
    savedsource_ = source_;
    savedrowid_ = rowid_;
    savedrow_ = row_;
    modified_.assign(columns_.size(), false);
    state_ = State::edit;
}

void Table::append() {
    requireopen();
    settle();
    endcursor();
    savedsource_ = source_;
    savedrowid_ = rowid_;
    savedrow_ = row_;
    row_.assign(columns_.size(), Value{});
    modified_.assign(columns_.size(), false);
    source_ = Source::buffer;
    eof_ = false;
    state_ = State::insert;
}

void Table::cancel() {
    requireopen();
    if (state_ != State::edit && state_ != State::insert)
        return;
    source_ = savedsource_;
    rowid_ = savedrowid_;
    row_ = savedrow_;
    eof_ = source_ == Source::none;
    state_ = State::browse;
}

namespace {

void bindvalue(sqlite3_stmt* statement, int at,
               const std::variant<std::monostate, std::int64_t, double, std::string>& value) {
    if (const auto* integer = std::get_if<std::int64_t>(&value))
        sqlite3_bind_int64(statement, at, *integer);
    else if (const auto* real = std::get_if<double>(&value))
        sqlite3_bind_double(statement, at, *real);
    else if (const auto* text = std::get_if<std::string>(&value))
        sqlite3_bind_text(statement, at, text->data(), static_cast<int>(text->size()), SQLITE_STATIC);
    else
        sqlite3_bind_null(statement, at);
}

} // namespace

void Table::post() {
    requireopen();
    if (state_ == State::browse)
        return;
    std::string text;
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (modified_[i])
            changed.push_back(i);
    }
    if (state_ == State::edit) {
        if (changed.empty()) {
            state_ = State::browse;
            return;
        }
        text = "UPDATE " + quoted(tablename_) + " SET ";
        for (std::size_t n = 0; n < changed.size(); ++n)
            text += (n ? ", " : "") + quoted(columns_[changed[n]].name) + " = ?" + std::to_string(n + 1);
        text += " WHERE rowid = ?" + std::to_string(changed.size() + 1);
    } else if (changed.empty()) {
        text = "INSERT INTO " + quoted(tablename_) + " DEFAULT VALUES";
    } else {
        // Only the columns set: the others take the defaults the schema declares.
        std::string names;
        std::string places;
        for (std::size_t n = 0; n < changed.size(); ++n) {
            names += (n ? ", " : "") + quoted(columns_[changed[n]].name);
            places += (n ? ", ?" : "?") + std::to_string(n + 1);
        }
        text = "INSERT INTO " + quoted(tablename_) + " (" + names + ") VALUES (" + places + ")";
    }
    const bool inserting = state_ == State::insert;
    if (inserting) // the row as stored: its AUTOINC value and the defaults of the columns not set
        text += " RETURNING " + selectlist();
    sqlite3_stmt* statement = prepare(text);
    for (std::size_t n = 0; n < changed.size(); ++n)
        bindvalue(statement, static_cast<int>(n + 1), row_[changed[n]]);
    if (!inserting)
        sqlite3_bind_int64(statement, static_cast<int>(changed.size() + 1), rowid_);
    bool returned = false;
    int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW && inserting) {
        loadbuffer(statement);
        returned = true;
    }
    // The change is complete only when the statement has run to its end.
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(statement);
    if (rc != SQLITE_DONE) {
        const Error error = connection_.error(rc);
        sqlite3_finalize(statement);
        throw error;
    }
    sqlite3_finalize(statement);
    if (inserting && !returned)
        throw Error("Table " + tablename_ + ": the posted row cannot be read back");
    state_ = State::browse;
    source_ = Source::buffer;
    eof_ = false;
}

void Table::widencursor(std::size_t index) const {
    // A pass reads few columns, and the same ones in every pass: the cursor selects only the columns read
    // so far and takes one more in, at the same row, when it is first asked for.
    wanted_[index] = true;
    sqlite3_reset(cursor_);
    preparecursor();
    sqlite3_bind_int64(cursor_, 1, rowid_);
    const int rc = sqlite3_step(cursor_);
    if (rc == SQLITE_ROW && sqlite3_column_int64(cursor_, 0) == rowid_)
        return;
    const Error error = rc == SQLITE_ROW || rc == SQLITE_DONE
                            ? Error("Table " + tablename_ + ": the current row no longer exists")
                            : connection_.error(rc);
    sqlite3_reset(cursor_);
    throw error;
}

bool Table::loadbyrowid(std::int64_t rowid) {
    if (!byrowid_)
        byrowid_ = prepare("SELECT " + selectlist() + " FROM " + quoted(tablename_) + " WHERE rowid = ?1");
    sqlite3_bind_int64(byrowid_, 1, rowid);
    return runlocate(byrowid_);
}

void Table::setvalue(const std::string& column, Value value) {
    const std::size_t index = columnindex(column);
    requirewriting();
    row_[index] = std::move(value);
    modified_[index] = true;
}

void Table::settext(const std::string& column, const std::string& value) {
    const std::size_t index = columnindex(column);
    const int limit = columns_[index].sizelimit;
    setvalue(column, limit > 0 ? cuttocharacters(value, static_cast<std::size_t>(limit)) : value);
}

void Table::setinteger(const std::string& column, std::int32_t value) {
    setvalue(column, static_cast<std::int64_t>(value));
}

void Table::setdatetime(const std::string& column, const DateTime& value) {
    setvalue(column, value.totext());
}

void Table::setnull(const std::string& column) {
    setvalue(column, std::monostate{});
}

Table::ValueView Table::current(std::size_t index) const {
    requirecurrent();
    ValueView view;
    if (source_ == Source::buffer) {
        const Value& value = row_[index];
        if (const auto* integer = std::get_if<std::int64_t>(&value)) {
            view.type = SQLITE_INTEGER;
            view.integer = *integer;
        } else if (const auto* real = std::get_if<double>(&value)) {
            view.type = SQLITE_FLOAT;
            view.real = *real;
        } else if (const auto* text = std::get_if<std::string>(&value)) {
            view.type = SQLITE_TEXT;
            view.text = *text;
        }
        return view;
    }
    // Straight from the statement: no copy of a long text the caller does not ask for.
    if (cursorcolumn_[index] < 0)
        widencursor(index);
    const int at = cursorcolumn_[index];
    view.type = sqlite3_column_type(cursor_, at);
    if (view.type == SQLITE_INTEGER) {
        view.integer = sqlite3_column_int64(cursor_, at);
    } else if (view.type == SQLITE_FLOAT) {
        view.real = sqlite3_column_double(cursor_, at);
    } else if (view.type != SQLITE_NULL) {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(cursor_, at));
        view.text =
            std::string_view(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(cursor_, at)));
        view.type = SQLITE_TEXT;
    }
    return view;
}

std::string Table::astext(const std::string& column) const {
    const ValueView value = current(columnindex(column));
    switch (value.type) {
    case SQLITE_INTEGER:
        return std::to_string(value.integer);
    case SQLITE_FLOAT:
        return realastext(value.real);
    case SQLITE_TEXT:
        return std::string(value.text);
    default:
        return {};
    }
}

std::int64_t Table::aslargeint(const std::string& column) const {
    const ValueView value = current(columnindex(column));
    if (value.type == SQLITE_INTEGER)
        return value.integer;
    if (value.type == SQLITE_FLOAT)
        return realasinteger(value.real);
    if (value.type == SQLITE_TEXT)
        return textasinteger(std::string(value.text));
    return 0;
}

std::int32_t Table::asinteger(const std::string& column) const {
    const std::int64_t wide = aslargeint(column);
    // The low 32 bits, as every 32-bit reading of a wider number in the program.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(wide)));
}

bool Table::isnull(const std::string& column) const {
    return current(columnindex(column)).type == SQLITE_NULL;
}

} // namespace sqldb
