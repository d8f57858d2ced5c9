#include "db/Query.h"

#include "db/ValueNumber.h"

#include <sqlite3.h>

namespace sqldb {

Query::Query(Connection& connection, std::string text) : connection_(connection), text_(std::move(text)) {
    connection_.attach(this);
}

Query::~Query() {
    closefordisconnect();
    connection_.detach(this);
}

void Query::closefordisconnect() noexcept {
    sqlite3_finalize(statement_);
    statement_ = nullptr;
    running_ = false;
}

sqlite3_stmt* Query::statement() {
    connection_.requireconnected();
    if (!statement_) {
        const int rc = sqlite3_prepare_v3(connection_.handle(), text_.c_str(), -1, SQLITE_PREPARE_PERSISTENT,
                                          &statement_, nullptr);
        if (rc != SQLITE_OK) {
            const Error error = connection_.error(rc);
            sqlite3_finalize(statement_);
            statement_ = nullptr;
            throw error;
        }
    }
    if (running_) {
        sqlite3_reset(statement_);
        running_ = false;
    }
    return statement_;
}

void Query::bind(int parameter, const std::string& value) {
    sqlite3_bind_text(statement(), parameter, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
}

void Query::bind(int parameter, std::int64_t value) {
    sqlite3_bind_int64(statement(), parameter, value);
}

void Query::finish() noexcept {
    if (running_) {
        sqlite3_reset(statement_);
        running_ = false;
    }
}

bool Query::next() {
    sqlite3_stmt* current = running_ ? statement_ : statement();
    running_ = true;
    const int rc = sqlite3_step(current);
    if (rc == SQLITE_ROW)
        return true;
    running_ = false;
    if (rc == SQLITE_DONE) {
        sqlite3_reset(current);
        return false;
    }
    const Error error = connection_.error(rc);
    sqlite3_reset(current);
    throw error;
}

void Query::run() {
    if (running_)
        statement();
    while (next()) {
    }
}

std::string Query::text(int column) const {
    return std::string(textview(column));
}

std::string_view Query::textview(int column) const {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
    return std::string_view(bytes ? bytes : "",
                            static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

std::int64_t Query::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::int64_t Query::largeint(int column) const {
    switch (sqlite3_column_type(statement_, column)) {
    case SQLITE_INTEGER:
        return sqlite3_column_int64(statement_, column);
    case SQLITE_FLOAT:
        return realasinteger(sqlite3_column_double(statement_, column));
    case SQLITE_NULL:
        return 0;
    default:
        return textasinteger(text(column));
    }
}

bool Query::isnull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

ImmediateTransaction::ImmediateTransaction(Connection& connection) : connection_(connection) {
    execute(connection_, "BEGIN IMMEDIATE");
}

ImmediateTransaction::~ImmediateTransaction() {
    // A failure (a full disk, an I/O error) may have ended the transaction already.
    if (open_ && connection_.intransaction())
        sqlite3_exec(connection_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void ImmediateTransaction::commit() {
    execute(connection_, "COMMIT");
    open_ = false;
}

void execute(Connection& connection, const std::string& statement) {
    connection.requireconnected();
    char* message = nullptr;
    const int rc = sqlite3_exec(connection.handle(), statement.c_str(), nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK)
        connection.fail(rc);
}

} // namespace sqldb
