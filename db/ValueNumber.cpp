#include "db/ValueNumber.h"

#include <cstdlib>

namespace sqldb {

std::int64_t textasinteger(const std::string& text) {
    return std::strtoll(text.c_str(), nullptr, 10);
}

std::int64_t realasinteger(double value) {
    return static_cast<std::int64_t>(value);
}

} // namespace sqldb
