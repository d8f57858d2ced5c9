#pragma once
// How a stored value reads as a number, the same for every object that reads rows.

#include <cstdint>
#include <string>

namespace sqldb {

// A text's (or blob's) leading integer, as SQLite reads one: 0 when it has none, the nearest end of the
// range when it is too long.
std::int64_t textasinteger(const std::string& text);
// A real cut toward zero; beyond the range, its nearest end.
std::int64_t realasinteger(double value);

} // namespace sqldb
