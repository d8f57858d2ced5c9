// Note ids are 32-bit in every window; the engine's ids are 64-bit. Files are prepared past the store
// with the engine's own API, as another program could have left them.

#include "storefixture.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

class NoteIdsTest : public StoreTest {
protected:
    void execute(const std::string& statements) {
        sqlite3* handle = nullptr;
        ASSERT_EQ(sqlite3_open_v2(dbpath.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        char* failure = nullptr;
        const int rc = sqlite3_exec(handle, statements.c_str(), nullptr, nullptr, &failure);
        const std::string message = failure ? failure : "";
        sqlite3_free(failure);
        sqlite3_close(handle);
        ASSERT_EQ(rc, SQLITE_OK) << message;
    }
    std::string everything() const {
        return query("SELECT group_concat(id || '|' || nev || '|' || jegyzet || '|' || "
                     "ifnull(modositva, ''), ';') FROM jegyzetek") +
               " seq=" + query("SELECT seq FROM sqlite_sequence WHERE name = 'jegyzetek'");
    }
};

} // namespace

TEST_F(NoteIdsTest, ANewNoteBeyondTheLargestIdIsRefusedAndNothingChanges) {
    ASSERT_EQ(store->savejegyzet(-1, {"első", "a"}), 1);
    execute("INSERT INTO jegyzetek (id, nev, jegyzet) VALUES (2147483647, 'utolsó', 'u')");
    // The same with the sequence wound back, as a damaged file may have it: the engine still goes past
    // the largest id.
    for (const char* sequence : {"2147483647", "3"}) {
        execute(std::string("UPDATE sqlite_sequence SET seq = ") + sequence + " WHERE name = 'jegyzetek'");
        const std::string before = everything();
        store->changed = 0;
        try {
            store->savejegyzet(-1, {"új", "x"});
            ADD_FAILURE() << "a note was reported saved under a cut id";
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find("2147483648"), std::string::npos) << error.what();
        }
        EXPECT_EQ(store->changed, 0);
        EXPECT_EQ(everything(), before) << "with the sequence at " << sequence;
    }
    // The store goes on: no transaction is left open to swallow the next writes.
    EXPECT_EQ(store->savejegyzet(1, {"első 2", "b"}), -1);
    EXPECT_EQ(store->getjegyzet(2147483647).nev, "utolsó");
    EXPECT_FALSE(store->db.connected());
    EXPECT_EQ(query("SELECT nev FROM jegyzetek WHERE id = 1"), "első 2");
    EXPECT_EQ(query("SELECT count(*) FROM jegyzetek"), "2");
}

TEST_F(NoteIdsTest, AWideIdNeverTurnsIntoAnotherNotesId) {
    ASSERT_EQ(store->savejegyzet(-1, {"egy", "1"}), 1);
    // Both keep 1 in their low 32 bits.
    execute("INSERT INTO jegyzetek (id, nev, jegyzet) VALUES (4294967297, 'messzi', 'm');"
            "INSERT INTO jegyzetek (id, nev, jegyzet) VALUES (-4294967295, 'mélyen', 'n');");
    EXPECT_EQ(store->getjegyzet(1).nev, "egy");
    store->deletejegyzet(1);
    EXPECT_EQ(query("SELECT group_concat(torolve) FROM jegyzetek WHERE id <> 1"), "0,0");

    // A pass over the table as the note list makes it reaches only the note with the id that fits.
    std::vector<std::int64_t> listed;
    store->opendb();
    store->jegyzetek.open();
    for (store->jegyzetek.first(); !store->jegyzetek.eof(); store->jegyzetek.next()) {
        const std::int64_t id = store->jegyzetek.aslargeint("id");
        if (isnoteid(id))
            listed.push_back(id);
    }
    store->closedb();
    EXPECT_EQ(listed, std::vector<std::int64_t>{1});
    EXPECT_TRUE(isnoteid(-2147483648LL));
    EXPECT_FALSE(isnoteid(-2147483649LL));
}
