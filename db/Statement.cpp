#include "db/Statement.h"

#include <sqlite3.h>

namespace sqldb {

namespace {

// Finalizes on every path out of execute().
struct Finalizer {
    sqlite3_stmt* statement = nullptr;
    ~Finalizer() { sqlite3_finalize(statement); }
};

} // namespace

Statement::Statement(Connection& connection) : connection_(connection) {
    connection_.attach(this);
}

Statement::~Statement() {
    connection_.detach(this);
}

void Statement::execute() {
    connection_.requireconnected();
    sqlite3* handle = connection_.handle();
    Finalizer first;
    const char* tail = nullptr;
    int rc =
        sqlite3_prepare_v2(handle, text_.c_str(), static_cast<int>(text_.size()), &first.statement, &tail);
    if (rc != SQLITE_OK)
        connection_.fail(rc);
    if (!first.statement)
        throw Error("No SQL statement to run");
    // Only blanks and comments may follow: a second statement would otherwise be dropped unseen.
    Finalizer rest;
    const int remaining = static_cast<int>(text_.size() - static_cast<std::size_t>(tail - text_.c_str()));
    rc = sqlite3_prepare_v2(handle, tail, remaining, &rest.statement, nullptr);
    if (rc != SQLITE_OK || rest.statement)
        throw Error("Only one SQL statement can be run at a time");

    do
        rc = sqlite3_step(first.statement);
    while (rc == SQLITE_ROW);
    if (rc != SQLITE_DONE)
        connection_.fail(rc);
}

} // namespace sqldb
