// Another writer of the same file: a second process on this machine, or another machine whose copy a
// synchronising program renames over the file. Nothing it wrote is ever overwritten unseen, and nothing is
// written through a handle to the file it replaced.

#include "storefixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

enum class Writer { secondconnection, renamedover };

} // namespace

class SyncTest : public StoreTest {};

TEST_F(SyncTest, ACheckedSaveNeverOverwritesWhatAnotherWriterChanged) {
    struct Case {
        const char* what;
        const char* there; // the other writer's statements; empty: nobody else wrote
        bool saved;
        Tnotestate after;
    };
    const Case cases[] = {
        {"nobody else wrote", "", true, {true, false, {"név", "itt"}}},
        {"text changed there",
         "UPDATE jegyzetek SET jegyzet='ott' WHERE nev='név'",
         false,
         {true, false, {"név", "ott"}}},
        {"renamed there",
         "UPDATE jegyzetek SET nev='más' WHERE nev='név'",
         false,
         {true, false, {"más", "eredeti"}}},
        {"deleted there",
         "UPDATE jegyzetek SET torolve=1 WHERE nev='név'",
         false,
         {true, true, {"név", "eredeti"}}},
        {"removed there", "DELETE FROM jegyzetek WHERE nev='név'", false, {}},
        {"same text written there",
         "UPDATE jegyzetek SET modositva='2030-01-01' WHERE nev='név'",
         true,
         {true, false, {"név", "itt"}}},
    };
    for (const Writer writer : {Writer::secondconnection, Writer::renamedover}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (writer == Writer::renamedover ? ", renamed over" : ""));
            const std::int32_t id = store->savejegyzet(-1, {"név", "eredeti"});
            const Tnotestate read = store->readjegyzet(id);
            ASSERT_TRUE(read.exists);
            if (*c.there)
                writer == Writer::renamedover ? writebyrename(dbpath, c.there)
                                              : writeasanother(dbpath, c.there);
            const Tcheckedsave result = store->savejegyzetif(id, read, {"név", "itt"});
            EXPECT_EQ(result.saved, c.saved);
            EXPECT_EQ(result.current, c.after);
            EXPECT_EQ(store->readjegyzet(id), c.after);
            EXPECT_FALSE(store->db.connected());
            writeasanother(dbpath, "DELETE FROM jegyzetek");
        }
    }
}

// A connection left open (the settings' sequences end only at closedb) must not write into the file that
// a rename replaced: every write path reaches the file the path names now.
TEST_F(SyncTest, EveryWriteAfterARenameReachesTheNewFile) {
    struct Case {
        const char* what;
        std::function<void(Tzkpldm&, std::int32_t)> write;
        const char* check; // a query on the new file that must give "1"
    };
    const Case cases[] = {
        {"save",
         [](Tzkpldm& s, std::int32_t id) {
             s.savejegyzet(id, {"n", "új"});
         },
         "SELECT count(*) FROM jegyzetek WHERE jegyzet='új'"},
        {"geometry",
         [](Tzkpldm& s, std::int32_t id) {
             s.setsetup("j_" + std::to_string(id) + "_top", "77");
             s.closedb();
         },
         "SELECT count(*) FROM setup WHERE ertek='77'"},
        {"delete", [](Tzkpldm& s, std::int32_t id) { s.deletejegyzet(id); },
         "SELECT count(*) FROM jegyzetek WHERE torolve=1"},
        {"restore",
         [](Tzkpldm& s, std::int32_t id) {
             s.deletejegyzet(id);
             s.restorejegyzet(id);
         },
         "SELECT count(*) FROM jegyzetek WHERE torolve=0 AND nev='n'"},
        {"compaction",
         [](Tzkpldm& s, std::int32_t id) {
             s.deletejegyzet(id);
             s.compactdb();
         },
         "SELECT count(*)=0 FROM jegyzetek WHERE nev='n'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::int32_t id = store->savejegyzet(-1, {"n", "régi"});
        store->getsetup("x"); // leaves the connection open, as the settings' sequences do
        ASSERT_TRUE(store->db.connected());
        writebyrename(dbpath, "INSERT INTO jegyzetek (nev, jegyzet) VALUES ('máshol', 'x')");
        c.write(*store, id);
        store->closedb();
        EXPECT_EQ(query(c.check), "1");
        // The other machine's note is still there: the write went into its file, not over it.
        EXPECT_EQ(query("SELECT count(*) FROM jegyzetek WHERE nev='máshol'"), "1");
        writeasanother(dbpath, "DELETE FROM jegyzetek; DELETE FROM setup WHERE nev LIKE 'j_%'");
    }
}

TEST_F(SyncTest, PollingNoticesCommitsAndReplacementsByAnyone) {
    store->pollchanges();
    store->changed = 0;
    EXPECT_FALSE(store->pollchanges());
    EXPECT_EQ(store->changed, 0);
    store->listjegyzetek(false); // reading changes nothing
    EXPECT_FALSE(store->pollchanges());

    writeasanother(dbpath, "INSERT INTO jegyzetek (nev, jegyzet) VALUES ('másik folyamat', 'x')");
    EXPECT_TRUE(store->pollchanges());
    EXPECT_EQ(store->changed, 1);
    EXPECT_FALSE(store->pollchanges());

    // Same size, and possibly the same modification time: the header's change counter tells.
    writeasanother(dbpath, "UPDATE jegyzetek SET jegyzet='y'");
    EXPECT_TRUE(store->pollchanges());

    writebyrename(dbpath, "UPDATE jegyzetek SET nev='átnevezve'");
    EXPECT_TRUE(store->pollchanges());
    EXPECT_EQ(store->listjegyzetek(false).at(0).nev, "átnevezve");
}
