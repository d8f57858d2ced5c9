// Two first starts at the same moment over one new database: each bootstrap writes or keeps the template
// and upgrades the schema, the other one's upgrade under way or not, and neither fails.
#include "store/storefixture.h"

#include <atomic>
#include <string>
#include <thread>

namespace {

TEST(StoreBootstrap, TwoFirstStartsAtOnceBothFinishWithTheSchemaUpgradedOnce) {
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        TestFolder folder;
        Tzkpldm a(testenvironment(folder));
        Tzkpldm b(testenvironment(folder));
        std::atomic<int> ready{0};
        std::string failure[2];
        const auto start = [&](Tzkpldm& store, std::string& failed) {
            ++ready;
            while (ready.load() < 2)
                std::this_thread::yield();
            try {
                store.DataModuleCreate();
            } catch (const std::exception& error) {
                failed = error.what();
            }
        };
        std::thread one(start, std::ref(a), std::ref(failure[0]));
        std::thread two(start, std::ref(b), std::ref(failure[1]));
        one.join();
        two.join();
        EXPECT_EQ(failure[0], "");
        EXPECT_EQ(failure[1], "");
        const std::string path = folder.file("docs/pinlet.db");
        EXPECT_EQ(queryone(path, "SELECT count(*) FROM pragma_table_info('jegyzetek') WHERE name='jelzes'"),
                  "1");
        // Both stores work on.
        EXPECT_EQ(a.savejegyzet(-1, {"a", "x"}), 1);
        EXPECT_EQ(b.savejegyzet(-1, {"b", "y"}), 2);
    }
}

} // namespace
