#include "db/Connection.h"
#include "db/DbError.h"
#include "db/Statement.h"
#include "db/Table.h"
#include "db/testfolder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

using sqldb::Connection;
using sqldb::Error;
using sqldb::Statement;
using sqldb::Table;

namespace {

// A database holding the shapes the store relies on: an AUTOINC key, defaults, a VARCHAR limit, a text key.
void makedatabase(const std::string& path) {
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &handle), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(handle,
                           "CREATE TABLE t (id INTEGER PRIMARY KEY AUTOINCREMENT, nev VARCHAR(5), memo TEXT,"
                           " n INTEGER DEFAULT 7, d DATETIME);"
                           "CREATE TABLE s (nev VARCHAR(255) PRIMARY KEY, ertek VARCHAR(255));",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(handle);
}

class DbTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = folder.file("test.db");
        makedatabase(path);
        connection.setdatabasename(path);
        connection.connect();
        table.open();
    }

    std::int32_t add(const std::string& nev, const std::string& memo = "") {
        table.append();
        table.settext("nev", nev);
        if (!memo.empty())
            table.settext("memo", memo);
        table.post();
        return table.asinteger("id");
    }

    TestFolder folder;
    std::string path;
    Connection connection;
    Table table{connection, "t"};
};

} // namespace

TEST(DbConnection, MissingFileFailsAndIsNeverCreated) {
    TestFolder folder;
    Connection connection;
    const std::string path = folder.file("missing.db");
    connection.setdatabasename(path);
    try {
        connection.connect();
        FAIL() << "connected to a missing file";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Database file '" + path + "' does not exist");
    }
    EXPECT_FALSE(connection.connected());
    EXPECT_FALSE(std::filesystem::exists(path));

    Connection unnamed;
    EXPECT_THROW(unnamed.connect(), Error);
}

TEST(DbConnection, ForeignFileFailsWithTheEngineMessageAndStaysUnchanged) {
    TestFolder folder;
    const std::string path = folder.file("foreign.db");
    const std::string content(5000, 'x');
    std::ofstream(path, std::ios::binary) << content;
    Connection connection;
    connection.setdatabasename(path);
    try {
        connection.connect();
        FAIL() << "connected to a file that is no database";
    } catch (const Error& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("file is not a database"), std::string::npos) << message;
        EXPECT_NE(message.find(path), std::string::npos) << message;
    }
    EXPECT_FALSE(connection.connected());
    EXPECT_EQ(std::filesystem::file_size(path), content.size());
}

TEST(DbConnection, FlushOnlyWhileConnected) {
    TestFolder folder;
    makedatabase(folder.file("a.db"));
    Connection connection;
    connection.setdatabasename(folder.file("a.db"));
    EXPECT_THROW(connection.flush(), Error);
    connection.connect();
    connection.connect(); // a second connect changes nothing
    EXPECT_NO_THROW(connection.flush());
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(connection.handle(), "PRAGMA journal_mode", -1, &statement, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "delete");
    sqlite3_finalize(statement);
    connection.disconnect();
    EXPECT_FALSE(connection.connected());
    EXPECT_THROW(connection.flush(), Error);
}

TEST(DbConnection, AFileLeftInWalModeIsTurnedBackToOneFile) {
    TestFolder folder;
    const std::string path = folder.file("wal.db");
    makedatabase(path);
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &handle), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(handle, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(handle);
    Connection connection;
    connection.setdatabasename(path);
    connection.connect();
    Table table(connection, "t");
    table.open();
    table.append();
    table.settext("nev", "x");
    table.post();
    connection.disconnect();
    EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
    ASSERT_EQ(sqlite3_open(path.c_str(), &handle), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(handle, "PRAGMA journal_mode", -1, &statement, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "delete");
    sqlite3_finalize(statement);
    sqlite3_close(handle);
}

TEST_F(DbTest, DisconnectClosesEveryTableAndStatement) {
    Table other(connection, "s");
    other.open();
    table.first(); // an iteration standing on no row still holds statements
    add("a");
    table.first();
    Statement statement(connection);
    connection.disconnect();
    EXPECT_FALSE(table.isopen());
    EXPECT_FALSE(other.isopen());
    EXPECT_THROW(table.open(), Error); // not connected
    statement.settext("SELECT 1");
    EXPECT_THROW(statement.execute(), Error);
}

TEST_F(DbTest, AppendTakesDefaultsAndTheNewIdIsReadable) {
    EXPECT_EQ(add("első"), 1);
    EXPECT_EQ(table.asinteger("n"), 7); // not set: the declared default
    EXPECT_TRUE(table.isnull("d"));
    EXPECT_EQ(table.astext("memo"), ""); // null reads as empty text
    EXPECT_EQ(table.asinteger("d"), 0);  // and as 0
    EXPECT_EQ(add("második"), 2);
    EXPECT_EQ(table.astext("id"), "2");
}

TEST_F(DbTest, LocateIsExactCaseSensitiveAndWholeValue) {
    add("Alma");
    add("alma");
    add("Alma ");
    struct Row {
        std::string value;
        bool found;
        int id;
    } rows[] = {
        {"Alma", true, 1},   // exact
        {"alma", true, 2},   // case decides
        {"Alma ", true, 3},  // trailing blank is part of the value
        {"ALMA", false, 0},  // no case folding
        {"Alm", false, 0},   // no prefix match
        {"Alma%", false, 0}, // no pattern
    };
    for (const Row& row : rows) {
        EXPECT_EQ(table.locate("nev", row.value), row.found) << row.value;
        if (row.found) {
            EXPECT_EQ(table.asinteger("id"), row.id) << row.value;
        }
    }
    EXPECT_TRUE(table.locate("id", std::int64_t{3}));
    EXPECT_FALSE(table.locate("id", std::int64_t{-1}));
    EXPECT_EQ(table.asinteger("id"), 3); // not found: the current row stays
}

TEST_F(DbTest, IterationRunsInIdOrderAndEndsAtEof) {
    table.first();
    EXPECT_TRUE(table.eof()); // empty table
    for (const char* name : {"c", "a", "b"})
        add(name);
    std::string seen;
    for (table.first(); !table.eof(); table.next())
        seen += table.astext("id") + table.astext("nev") + " ";
    EXPECT_EQ(seen, "1c 2a 3b ");

    // Editing in the middle of a pass goes on with the following row.
    seen.clear();
    for (table.first(); !table.eof(); table.next()) {
        table.edit();
        table.settext("memo", "x" + table.astext("nev"));
        table.post();
        seen += table.astext("memo");
    }
    EXPECT_EQ(seen, "xcxaxb");
    ASSERT_TRUE(table.locate("id", std::int64_t{2}));
    table.next();
    EXPECT_EQ(table.astext("nev"), "b");
}

TEST_F(DbTest, ColumnsFirstReadInTheMiddleOfAPassReadRight) {
    for (int i = 1; i <= 4; ++i)
        add("r" + std::to_string(i), "m" + std::to_string(i));
    for (int pass = 0; pass < 2; ++pass) { // the second pass starts with what the first learned
        std::string seen;
        for (table.first(); !table.eof(); table.next()) {
            seen += table.astext("nev");
            if (table.asinteger("id") >= 3)
                seen += table.astext("memo") + std::to_string(table.asinteger("n"));
        }
        EXPECT_EQ(seen, "r1r2r3m37r4m47") << "pass " << pass;
        // Past the end the last row stays readable, every column of it.
        EXPECT_EQ(table.astext("memo"), "m4");
        EXPECT_TRUE(table.isnull("d"));
    }
    // A fresh pass after reopening reads every column right as well.
    table.close();
    table.open();
    table.first();
    table.next();
    EXPECT_EQ(table.astext("memo") + table.astext("nev"), "m2r2");
}

TEST_F(DbTest, HasColumnIgnoresCase) {
    EXPECT_TRUE(table.hascolumn("memo"));
    EXPECT_TRUE(table.hascolumn("MEMO"));
    EXPECT_TRUE(table.hascolumn("Nev"));
    EXPECT_FALSE(table.hascolumn("jelzes"));
    EXPECT_THROW(table.astext("jelzes"), Error);
}

TEST_F(DbTest, VarcharIsCutAtACharacterBoundary) {
    struct Row {
        std::string in;
        std::string stored;
    } rows[] = {
        {"abcdefgh", "abcde"},                                            // plain ASCII
        {"árvíztűrő", "árvíz"},                                           // two-byte letters count once
        {"ab€€€€", "ab€€€"},                                              // three-byte characters
        {"a😀😀😀😀😀", "a😀😀😀😀"},                                              // four-byte characters
        {"abc", "abc"},                                                   // short text untouched
        {std::string("a\0b", 3) + "cdef", std::string("a\0b", 3) + "cd"}, // bytes, not C strings
    };
    for (const Row& row : rows) {
        table.append();
        table.settext("nev", row.in);
        table.post();
        EXPECT_EQ(table.astext("nev"), row.stored);
        // A longer value finds the row its own write stored.
        EXPECT_TRUE(table.locate("nev", row.in));
    }
    // No limit on a TEXT column.
    const std::string big(1 << 20, 'm');
    add("big", big);
    EXPECT_EQ(table.astext("memo"), big);
}

TEST_F(DbTest, WritingNeedsEditOrAppend) {
    add("a");
    EXPECT_THROW(table.settext("nev", "b"), Error);
    table.edit();
    table.settext("nev", "b");
    table.cancel();
    EXPECT_EQ(table.astext("nev"), "a");
    ASSERT_TRUE(table.locate("nev", "a")); // really unchanged in the file
    table.close();
    EXPECT_THROW(table.astext("nev"), Error);
}

TEST_F(DbTest, DateTimeIsStoredAsSortableLocalText) {
    table.append();
    table.setdatetime("d", sqldb::DateTime{2026, 3, 4, 5, 6, 7, 89});
    table.post();
    EXPECT_EQ(table.astext("d"), "2026-03-04 05:06:07.089");
}

TEST_F(DbTest, AFailedPostKeepsTheRowInEditingAndReportsTheEngine) {
    Table s(connection, "s");
    s.open();
    s.append();
    s.settext("nev", "k");
    s.post();
    s.append();
    s.settext("nev", "k"); // the key exists
    try {
        s.post();
        FAIL() << "a duplicate key was posted";
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("UNIQUE"), std::string::npos) << error.what();
    }
    EXPECT_EQ(s.state(), Table::State::insert);
    // Moving on drops the failed row instead of trying it again behind the caller's back.
    s.settext("nev", "k2");
    EXPECT_TRUE(s.locate("nev", "k"));
    EXPECT_EQ(s.state(), Table::State::browse);
    EXPECT_FALSE(s.locate("nev", "k2"));
}

TEST_F(DbTest, StatementRunsExactlyOneStatement) {
    Statement statement(connection);
    statement.settext("ALTER TABLE t ADD COLUMN jelzes DATETIME");
    statement.execute();
    table.close();
    table.open();
    EXPECT_TRUE(table.hascolumn("JELZES"));

    statement.settext("DELETE FROM t; DROP TABLE s");
    EXPECT_THROW(statement.execute(), Error);
    Table s(connection, "s");
    EXPECT_NO_THROW(s.open()); // nothing of it ran

    statement.settext("no sql at all");
    try {
        statement.execute();
        FAIL();
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("syntax error"), std::string::npos) << error.what();
    }
}

TEST_F(DbTest, MissingTableFailsWithTheEngineMessage) {
    Table missing(connection, "nincs");
    try {
        missing.open();
        FAIL();
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find("no such table: nincs"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(missing.isopen());
}
