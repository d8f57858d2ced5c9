#include "db/ValueNumber.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace sqldb {

std::int64_t textasinteger(const std::string& text) {
    return std::strtoll(text.c_str(), nullptr, 10);
}

std::int64_t realasinteger(double value) {
    // A stored real beyond the range (another program may write any) would make the plain conversion
    // undefined: it reads as the nearest end, as SQLite's own CAST reads it.
    constexpr double kEnd = 9223372036854775808.0; // 2^63
    if (std::isnan(value))
        return 0;
    if (value >= kEnd)
        return std::numeric_limits<std::int64_t>::max();
    if (value < -kEnd)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

} // namespace sqldb
