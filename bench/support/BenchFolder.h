#pragma once
// What the benchmarks over a database share: where their folders go, and SQL run past the store.

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

// The folder the benchmarks make their databases in: PINLET_BENCH_FOLDER, else the temporary folder.
inline std::filesystem::path benchbasefolder() {
    const char* chosen = std::getenv("PINLET_BENCH_FOLDER");
    return chosen && *chosen ? std::filesystem::path(chosen) : std::filesystem::temp_directory_path();
}

// Runs SQL on a handle of the benchmark's own; a failure ends the benchmark with SQLite's message.
inline void benchexec(sqlite3* handle, const std::string& statement) {
    char* message = nullptr;
    if (sqlite3_exec(handle, statement.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : sqlite3_errmsg(handle);
        sqlite3_free(message);
        throw std::runtime_error(text);
    }
}
