#include "storefixture.h"

#include "db/DbError.h"

#include <gtest/gtest.h>

namespace {

using NotesTest = StoreTest;

bool closedandidle(const Tzkpldm& store) {
    return !store.db.connected() && !store.jegyzetek.isopen() && !store.setup.isopen();
}

} // namespace

TEST_F(NotesTest, CreatingAndUpdatingANote) {
    store->changed = 0;
    const std::int32_t first = store->savejegyzet(-1, {"Bevásárlás", "tej\r\nkenyér"});
    EXPECT_EQ(first, 1);
    EXPECT_EQ(store->changed, 1);
    EXPECT_TRUE(closedandidle(*store));
    // Creation and modification come from separate readings of the clock.
    EXPECT_LT(query("SELECT letrehozva FROM jegyzetek WHERE id=1"),
              query("SELECT modositva FROM jegyzetek WHERE id=1"));
    EXPECT_EQ(query("SELECT fontossag || torolve || lastid FROM jegyzetek WHERE id=1"), "000");

    const std::int32_t second = store->savejegyzet(-1, {"b", "c"});
    EXPECT_GT(second, first);
    const std::string created = query("SELECT letrehozva FROM jegyzetek WHERE id=1");
    const std::string modified = query("SELECT modositva FROM jegyzetek WHERE id=1");
    store->changed = 0;
    EXPECT_EQ(store->savejegyzet(first, {"Bevásárlás 2", "vaj"}), -1);
    EXPECT_EQ(store->changed, 1);
    EXPECT_EQ(query("SELECT letrehozva FROM jegyzetek WHERE id=1"), created);
    EXPECT_GT(query("SELECT modositva FROM jegyzetek WHERE id=1"), modified);
    EXPECT_EQ(store->getjegyzet(first).nev, "Bevásárlás 2");
    EXPECT_EQ(store->getjegyzet(second).jegyzet, "c");
    EXPECT_TRUE(closedandidle(*store));

    // An id no note has creates a new note, with the next id.
    EXPECT_EQ(store->savejegyzet(77, {"x", "y"}), 3);
}

TEST_F(NotesTest, TextRoundTripsExactly) {
    struct Row {
        std::string nev;
        std::string jegyzet;
    } rows[] = {
        {"Árvíztűrő tükörfúrógép", "ŐŰőű áéíóöúü\r\nmásodik sor\r\n"}, // Hungarian letters, CR LF kept
        {"€ § ‰ ™", "\r\n\r\n"},                       // code page 1250 symbols, bare line ends
        {"漢字 😀", "ελληνικά кириллица"},              // characters outside code page 1250
        {"", ""},                                      // empty name and text
        {"tab\there", std::string("nul\0inside", 10)}, // control bytes are data
        {"big", std::string(1 << 20, 'x') + "vége"},   // over a megabyte of text
    };
    for (const Row& row : rows) {
        const std::int32_t id = store->savejegyzet(-1, {row.nev, row.jegyzet});
        const Tjegyzet back = store->getjegyzet(id);
        EXPECT_EQ(back.nev, row.nev);
        EXPECT_EQ(back.jegyzet, row.jegyzet);
    }
}

TEST_F(NotesTest, ANameIsCutTo255Characters) {
    std::string name;
    for (int i = 0; i < 150; ++i)
        name += "őa"; // 300 characters, 450 bytes
    const std::int32_t id = store->savejegyzet(-1, {name, "t"});
    const std::string back = store->getjegyzet(id).nev;
    EXPECT_EQ(back, name.substr(0, 127 * 3 + 2)); // 127 pairs and one more "ő"
    EXPECT_EQ(query("SELECT length(nev) FROM jegyzetek WHERE id=" + std::to_string(id)), "255");
}

TEST_F(NotesTest, ReadingAMissingNoteGivesEmptyStrings) {
    store->changed = 0;
    const Tjegyzet note = store->getjegyzet(42);
    EXPECT_EQ(note.nev, "");
    EXPECT_EQ(note.jegyzet, "");
    EXPECT_EQ(store->changed, 0);
    EXPECT_TRUE(closedandidle(*store));
}

TEST_F(NotesTest, DeletingMarksTheNoteAndKeepsIt) {
    const std::int32_t id = store->savejegyzet(-1, {"törlendő", "szöveg"});
    store->changed = 0;
    store->deletejegyzet(id);
    EXPECT_EQ(store->changed, 1);
    EXPECT_TRUE(closedandidle(*store));
    EXPECT_EQ(query("SELECT torolve FROM jegyzetek WHERE id=1"), "1");
    EXPECT_EQ(store->getjegyzet(id).jegyzet, "szöveg");
    // Saving a deleted note updates it and it stays deleted.
    EXPECT_EQ(store->savejegyzet(id, {"új", "új"}), -1);
    EXPECT_EQ(query("SELECT torolve || nev FROM jegyzetek WHERE id=1"), "1új");

    const std::string before = query("SELECT group_concat(id || torolve) FROM jegyzetek");
    store->changed = 0;
    store->deletejegyzet(999);
    EXPECT_EQ(store->changed, 1);
    EXPECT_EQ(query("SELECT group_concat(id || torolve) FROM jegyzetek"), before);
}

TEST_F(NotesTest, SettingsAreKeyedExactlyAndStayOpenUntilClosedb) {
    store->changed = 0;
    store->setsetup("j_1_top", "10");
    EXPECT_TRUE(store->db.connected());
    EXPECT_TRUE(store->setup.isopen());
    store->setsetup("j_1_top", "-20");
    store->setsetup("J_1_TOP", "30");
    EXPECT_EQ(store->getsetup("j_1_top"), "-20");
    EXPECT_EQ(store->getsetup("J_1_TOP"), "30");
    EXPECT_EQ(store->getsetup("j_1_left"), "");
    EXPECT_EQ(store->changed, 0);
    store->closedb();
    EXPECT_TRUE(closedandidle(*store));
    EXPECT_EQ(query("SELECT count(*) FROM setup"), "2");
    EXPECT_EQ(query("SELECT ertek FROM setup WHERE nev='j_1_top'"), "-20");
}

TEST_F(NotesTest, LongSettingKeysAndValuesAreCutAndStillFound) {
    const std::string key(300, 'k');
    const std::string value(300, 'v');
    store->setsetup(key, value);
    store->setsetup(key, "second"); // finds the row its first write cut, instead of a duplicate key
    EXPECT_EQ(store->getsetup(key), "second");
    store->setsetup("v", value);
    EXPECT_EQ(store->getsetup("v"), std::string(255, 'v'));
    store->closedb();
    EXPECT_EQ(query("SELECT count(*) FROM setup"), "2");
}

TEST_F(NotesTest, AFailureLeavesTheStateForTheNextOperation) {
    // Remove the file behind the store's back: the connection fails, nothing is created.
    std::filesystem::remove(dbpath);
    store->changed = 0;
    try {
        store->savejegyzet(-1, {"a", "b"});
        FAIL() << "saved into a missing database";
    } catch (const sqldb::Error& error) {
        EXPECT_EQ(std::string(error.what()), "Database file '" + dbpath + "' does not exist");
    }
    EXPECT_EQ(store->changed, 0);
    EXPECT_FALSE(std::filesystem::exists(dbpath));
    EXPECT_THROW(store->deletejegyzet(1), sqldb::Error);
    EXPECT_EQ(store->changed, 0);
}

TEST_F(NotesTest, TheSettingSequenceAndNoteOperationsShareTheConnection) {
    store->setsetup("a", "1");
    // A note operation during an open sequence uses the connection and closes it.
    const std::int32_t id = store->savejegyzet(-1, {"n", "t"});
    EXPECT_TRUE(closedandidle(*store));
    EXPECT_EQ(store->getsetup("a"), "1");
    EXPECT_EQ(store->getjegyzet(id).nev, "n");
    EXPECT_TRUE(closedandidle(*store));
    store->closedb(); // nothing to do
    store->runsql("UPDATE setup SET ertek='2' WHERE nev='a'");
    EXPECT_TRUE(closedandidle(*store));
    EXPECT_EQ(query("SELECT ertek FROM setup"), "2");
}
