#pragma once
// A calendar date with time of day, as the DATETIME columns hold it.

#include <string>

namespace sqldb {

// No time zone: the store writes local time. Stored as ISO-8601 text "YYYY-MM-DD HH:MM:SS.mmm", which
// sorts as it reads and is understood by SQLite's date functions.
struct DateTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    std::string totext() const;
    auto operator<=>(const DateTime&) const = default;
};

// The current local date and time from the system clock.
DateTime localnow();

} // namespace sqldb
