#pragma once
// A store in a folder of its own: the executable's folder and the Documents folder are subfolders of a
// test folder, and the clock is a counter that moves one second per reading.

#include "db/testfolder.h"
#include "store/zkpldm_unit.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

// Counts readings so that every stamp differs from the one before.
struct CountingClock {
    std::shared_ptr<int> readings = std::make_shared<int>(0);
    sqldb::DateTime operator()() const {
        const int n = (*readings)++;
        return sqldb::DateTime{2026, 1, 1 + n / 86400, (n / 3600) % 24, (n / 60) % 60, n % 60, 0};
    }
};

inline TStoreEnvironment testenvironment(const TestFolder& folder, CountingClock clock = {}) {
    std::filesystem::create_directories(folder.path() / "exe");
    std::filesystem::create_directories(folder.path() / "docs");
    TStoreEnvironment environment;
    environment.exedir = folder.file("exe");
    const std::string documents = folder.file("docs");
    environment.documentsfolder = [documents] { return documents; };
    environment.clock = clock;
    return environment;
}

inline void writefile(const std::string& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary) << bytes;
}

// One value from the database file, read past the store with the engine's own API.
inline std::string queryone(const std::string& path, const std::string& query) {
    sqlite3* handle = nullptr;
    std::string result;
    if (sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(handle, 5000);
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(handle, query.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0))
            result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        else
            result = std::string("<") + sqlite3_errmsg(handle) + ">";
        sqlite3_finalize(statement);
    }
    sqlite3_close(handle);
    return result;
}

// Another writer of the database file: its own connection, waiting for the file as a process would.
inline void writeasanother(const std::string& path, const std::string& statements) {
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_busy_timeout(handle, 5000);
    char* message = nullptr;
    const int rc = sqlite3_exec(handle, statements.c_str(), nullptr, nullptr, &message);
    EXPECT_EQ(rc, SQLITE_OK) << statements << ": " << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(handle);
}

// As a synchronising program writes: the other machine's version is made aside, then renamed over.
inline void writebyrename(const std::string& path, const std::string& statements) {
    const std::string aside = path + ".sync-tmp";
    std::filesystem::copy_file(path, aside);
    writeasanother(aside, statements);
    std::filesystem::rename(aside, path);
}

// A statement adding `count` notes at once, its columns SQL expressions of i, which runs from 1 to count.
inline std::string manynotes(std::size_t count, const std::string& nev, const std::string& jegyzet,
                             const std::string& torolve = "0") {
    return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(count) + ") INSERT INTO jegyzetek (nev, jegyzet, torolve) SELECT " + nev + ", " +
           jegyzet + ", " + torolve + " FROM n";
}

// A store bootstrapped in a fresh folder, with its database in the Documents folder.
class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        store = std::make_unique<Tzkpldm>(testenvironment(folder, clock));
        store->DataModuleCreate();
        dbpath = folder.file("docs/pinlet.db");
    }

    std::string query(const std::string& text) const { return queryone(dbpath, text); }

    TestFolder folder;
    CountingClock clock;
    std::unique_ptr<Tzkpldm> store;
    std::string dbpath;
};
