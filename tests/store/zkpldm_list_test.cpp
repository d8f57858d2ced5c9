// The list of notes reads the marks, names and ids of any stored values as a table object reads them.

#include "storefixture.h"

#include "db/Table.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>
#include <vector>

namespace {

using List = std::vector<std::pair<std::int32_t, std::string>>;

// The list as a pass over the whole table reads it, row by row: the reference. Counts the marked rows.
List tablelist(Tzkpldm& store, bool deleted, int& marked) {
    List notes;
    marked = 0;
    store.db.connect();
    sqldb::Table table(store.db, "jegyzetek");
    table.open();
    for (table.first(); !table.eof(); table.next()) {
        const std::int64_t id = table.aslargeint("id");
        const bool isdeleted = table.asinteger("torolve") == 1;
        marked += isdeleted ? 1 : 0;
        if (isdeleted == deleted && isnoteid(id))
            notes.emplace_back(static_cast<std::int32_t>(id), table.astext("nev"));
    }
    table.close();
    store.db.disconnect();
    return notes;
}

} // namespace

TEST_F(StoreTest, ListReadsOddMarksNamesAndIdsAsTheTableDoes) {
    // Each mark with each kind of name: numbers, texts, blobs, reals, values wider than 32 bits.
    std::vector<std::string> marks;
    std::istringstream written(
        "0;1;NULL;2;-1;'1';' 1';'+1';'1.9';'01';'1x';'';'x';x'31';1.0;1.7;0.5;-0.5;-1e3;"
        "4294967297;-4294967295;4294967296;'99999999999999999999';1e300;-1e300;9.3e18");
    for (std::string mark; std::getline(written, mark, ';');)
        marks.push_back(mark);
    const std::vector<std::string> names = {"'név'", "NULL", "42", "2.5", "x'6e6576'", "''", "'<b>x'"};
    // The last rows at ids of their own, at the ends of the note ids and beyond.
    const std::vector<std::string> ids = {"-7", "2147483647", "3000000000", "-2147483649", "-2147483648"};
    std::string sql = "BEGIN;";
    const std::size_t rows = marks.size() * 2 + ids.size();
    for (std::size_t i = 0; i < rows; ++i)
        sql += "INSERT INTO jegyzetek (id, nev, jegyzet, torolve) VALUES (" +
               (i + ids.size() >= rows ? ids[i + ids.size() - rows] : std::string("NULL")) + ", " +
               names[i % names.size()] + ", 'x', " + marks[i % marks.size()] + ");";
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(dbpath.c_str(), &handle), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(handle, (sql + "COMMIT;").c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(handle);

    for (const bool withindex : {true, false}) {
        if (!withindex) { // a file from elsewhere may lack it
            EXPECT_EQ(sqlite3_exec(handle, "DROP INDEX jegyzetek_torolve", nullptr, nullptr, nullptr),
                      SQLITE_OK);
        }
        int marked = 0;
        for (const bool deleted : {false, true}) {
            const List reference = tablelist(*store, deleted, marked);
            List notes;
            for (const Tlistednote& note : store->listjegyzetek(deleted))
                notes.emplace_back(note.id, note.nev);
            EXPECT_EQ(notes, reference) << "deleted " << deleted << ", index " << withindex;
            EXPECT_GT(reference.size(), 10u);
        }
        EXPECT_EQ(store->deletedcount(), marked);
    }
    sqlite3_close(handle);
}
