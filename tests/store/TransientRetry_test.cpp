// Retrying a file operation that another program blocks for a moment: which errors are waited out, for how
// long, and what the caller is told in the end.
#include "store/TransientRetry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace {

using std::chrono::milliseconds;

constexpr unsigned long kBusy = 32;   // stands for a sharing violation
constexpr unsigned long kDenied = 5;  // stands for access denied
constexpr unsigned long kMissing = 3; // a fault no wait cures

TEST(TransientRetry, WaitsOutTransientErrorsWithinThePatience) {
    struct Row {
        const char* comment;
        std::vector<unsigned long> results; // what each try gives; the last repeats
        long long patience;
        unsigned long expected;
        std::vector<long long> pauses;
    };
    const std::vector<Row> rows = {
        {"success at once, no wait", {0}, 500, 0, {}},
        {"a lasting fault is reported at once", {kMissing}, 500, kMissing, {}},
        {"a scanner lets go after two tries", {kBusy, kDenied, 0}, 500, 0, {25, 50}},
        {"a transient error turning into a lasting one stops there", {kBusy, kMissing}, 500, kMissing, {25}},
        {"a holder that never lets go: waits add up to the patience, the last cut short",
         {kBusy},
         500,
         kBusy,
         {25, 50, 75, 100, 125, 125}},
        {"no patience, one try", {kBusy}, 0, kBusy, {}},
    };
    for (const Row& row : rows) {
        std::size_t tries = 0;
        std::vector<long long> pauses;
        const unsigned long result = retrytransient(
            [&] { return row.results[std::min(tries++, row.results.size() - 1)]; },
            [](unsigned long code) { return code == kBusy || code == kDenied; }, milliseconds(row.patience),
            [&](milliseconds wait) { pauses.push_back(wait.count()); });
        EXPECT_EQ(result, row.expected) << row.comment;
        EXPECT_EQ(pauses, row.pauses) << row.comment;
        EXPECT_EQ(tries, pauses.size() + 1) << row.comment << ": one try after each pause";
    }
}

} // namespace
