#include "store/DeletionMarks.h"

#include "db/Query.h"

#include <algorithm>

// From the marks' index: the mark stands after the note's text, so reading it from every row would read
// every row whole. The index only narrows: every value that may read as 1 (a number from 1 up or below 0,
// any text or blob, whatever the column's affinity) is read and judged here.
std::vector<std::int64_t> markeddeletedrows(sqldb::Connection& connection) {
    sqldb::Query marks(connection,
                       "SELECT rowid, torolve FROM jegyzetek WHERE torolve < 0 OR torolve >= 1 OR "
                       "torolve >= ''");
    std::vector<std::int64_t> rows;
    while (marks.next()) {
        if (static_cast<std::uint32_t>(static_cast<std::uint64_t>(marks.largeint(1))) == 1u)
            rows.push_back(marks.integer(0));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}
