#pragma once
// The one failure type of the SQL engine objects.

#include <stdexcept>
#include <string>

namespace sqldb {

// An engine failure. what() is the message shown to the user: SQLite's own text, with the database file's
// name where that tells the user which file is meant. code() is SQLite's extended result code, or 0 for a
// failure detected by these objects themselves (a missing file, a misuse).
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message, int code = 0) : std::runtime_error(message), code_(code) {}
    int code() const noexcept { return code_; }

private:
    int code_;
};

} // namespace sqldb
