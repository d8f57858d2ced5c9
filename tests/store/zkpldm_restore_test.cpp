// Taking a note's deletion mark off: the note comes back as it was; nothing else is written.

#include "storefixture.h"

#include <gtest/gtest.h>

#include <filesystem>

class RestoreTest : public StoreTest {
protected:
    std::string row(std::int32_t id) {
        return query(
            "SELECT nev || '|' || jegyzet || '|' || letrehozva || '|' || modositva || '|' || torolve "
            "FROM jegyzetek WHERE id=" +
            std::to_string(id));
    }
};

TEST_F(RestoreTest, GivesTheNoteBackAsItWasAndListsFollowTheMark) {
    const std::int32_t live = store->savejegyzet(-1, {"él", "x"});
    const std::int32_t id = store->savejegyzet(-1, {"", "szöveg"});
    const std::string before = row(id);
    store->deletejegyzet(id);
    ASSERT_EQ(store->listjegyzetek(true).size(), 1u);
    EXPECT_EQ(store->listjegyzetek(true)[0].id, id);
    EXPECT_EQ(store->listjegyzetek(false).size(), 1u);

    store->changed = 0;
    store->restorejegyzet(id);
    EXPECT_EQ(store->changed, 1);
    EXPECT_FALSE(store->db.connected());
    EXPECT_EQ(row(id), before);
    EXPECT_TRUE(store->listjegyzetek(true).empty());
    const std::vector<Tlistednote> notes = store->listjegyzetek(false);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0].id, live);
    EXPECT_EQ(notes[1].nev, "");

    // A note that is not deleted, and one that does not exist: nothing changes, the flag is still set.
    const auto written = std::filesystem::last_write_time(dbpath);
    store->changed = 0;
    store->restorejegyzet(live);
    store->restorejegyzet(9999);
    EXPECT_EQ(store->changed, 1);
    EXPECT_EQ(std::filesystem::last_write_time(dbpath), written);
    EXPECT_EQ(query("SELECT count(*) FROM jegyzetek"), "2");
}

TEST_F(RestoreTest, AFailureLeavesTheFlagAndGoesToTheCaller) {
    const std::int32_t id = store->savejegyzet(-1, {"a", "b"});
    store->deletejegyzet(id);
    std::filesystem::rename(dbpath, dbpath + ".away");
    store->changed = 0;
    EXPECT_THROW(store->restorejegyzet(id), std::exception);
    EXPECT_EQ(store->changed, 0);
    std::filesystem::rename(dbpath + ".away", dbpath);
    store->restorejegyzet(id);
    EXPECT_EQ(row(id).back(), '0');
}
