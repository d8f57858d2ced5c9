// mktemplate: makes the empty template database from the schema text at build time.
//
//   mktemplate --schema SCHEMA.sql --output FILE
//
// The database is built under a temporary name beside FILE, checked (integrity, and the tables the program
// needs), and only then renamed to FILE, so a failed run never leaves a file the build would take as up to
// date.

#include "tools/Utf8Arguments.h"

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Database {
    sqlite3* handle = nullptr;
    ~Database() { sqlite3_close_v2(handle); }

    void run(const std::string& text) {
        char* message = nullptr;
        if (sqlite3_exec(handle, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string error = message ? message : sqlite3_errmsg(handle);
            sqlite3_free(message);
            throw std::runtime_error(error);
        }
    }

    std::string single(const std::string& query) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(handle, query.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(handle));
        std::string result;
        if (sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0))
            result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        sqlite3_finalize(statement);
        return result;
    }
};

void build(const fs::path& schema, const fs::path& output) {
    std::ifstream in(schema, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + tools::utf8text(schema));
    std::ostringstream text;
    text << in.rdbuf();

    fs::path temporary = output;
    temporary += ".part";
    fs::remove(temporary);
    {
        Database db;
        const std::u8string name = temporary.u8string(); // SQLite takes UTF-8 names on every platform
        if (sqlite3_open_v2(reinterpret_cast<const char*>(name.c_str()), &db.handle,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot create " + tools::utf8text(temporary));
        // The program keeps the file in rollback-journal mode; that is also what the template says.
        db.run("PRAGMA journal_mode=DELETE");
        db.run("BEGIN; " + text.str() + "; COMMIT;");
        if (db.single("PRAGMA integrity_check") != "ok")
            throw std::runtime_error("the new database fails its integrity check");
        for (const char* table : {"setup", "jegyzetek", "jegyzetek_backup"}) {
            if (db.single(std::string("SELECT name FROM sqlite_master WHERE type='table' AND name='") +
                          table + "'") != table)
                throw std::runtime_error(std::string("the schema lacks the table ") + table);
        }
        if (!db.single("SELECT 1 FROM pragma_table_info('jegyzetek') WHERE name='jelzes'").empty())
            throw std::runtime_error("jegyzetek must lack jelzes, which the upgrade at start-up adds");
        db.run("VACUUM");
    }
    fs::rename(temporary, output);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = tools::utf8arguments(argc, argv);
    fs::path schema;
    fs::path output;
    for (std::size_t i = 0; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == "--schema")
            schema = tools::utf8path(arguments[i + 1]);
        else if (arguments[i] == "--output")
            output = tools::utf8path(arguments[i + 1]);
    }
    if (schema.empty() || output.empty()) {
        std::cerr << "usage: mktemplate --schema SCHEMA.sql --output FILE\n";
        return 2;
    }
    try {
        build(schema, output);
    } catch (const std::exception& error) {
        std::cerr << "mktemplate: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
