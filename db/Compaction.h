#pragma once
// Compacting a database file as one change that happens whole or not at all.

#include "db/Connection.h"

#include <string>

namespace sqldb {

// Runs `purge` (one statement; none when empty) and compacts the database file of the connected
// connection, as a single atomic change of the file. The work is done on a compact copy beside the file
// (its name with ".tmp" appended); the copy's pages then replace the file's in one journaled transaction.
// So a failure at any point, a crash included, leaves the file as it was. The copy is removed on every
// path, and a copy left by an earlier crash is removed before the work starts.
//
// The connection stays connected. Throws Error with the database file's name in its message.
void compact(Connection& connection, const std::string& purge);

} // namespace sqldb
