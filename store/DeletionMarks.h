#pragma once
// Which notes are marked deleted, read the one way the list, the search and the counts all read it.

#include "db/Connection.h"

#include <cstdint>
#include <vector>

// The rows whose deletion mark reads as 1, as a table object reads it (its low 32 bits), by rowid, sorted.
// On the connected connection.
std::vector<std::int64_t> markeddeletedrows(sqldb::Connection& connection);
