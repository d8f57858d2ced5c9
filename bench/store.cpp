// The cost of the store layer: each store operation beside the same work written directly against the
// SQLite C API, on one database of 10,000 notes. Run by hand:
//   [PINLET_BENCH_FOLDER=PATH] bench_store [--benchmark_filter=...]
// The database lives in a fresh folder under PATH (default: the system's temporary folder). On a real
// disk the writes are dominated by the syncs that both sides pay alike, and vary with the disk's other
// load; a memory file system (e.g. PINLET_BENCH_FOLDER=/dev/shm) shows what the layer itself costs.

#include "store/zkpldm_unit.h"

#include "bench/support/BenchStore.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int notecount = 10000;

std::string sampletext(int n) {
    std::string text = "Bevásárlás " + std::to_string(n) + "\r\ntej, kenyér, vaj, sajt\r\n";
    while (text.size() < 200)
        text += "teendő ";
    return text;
}

// One store over one database of notecount notes, made on first use and removed at exit.
struct Bench : BenchStore {
    std::string path;

    Bench() {
        path = store->db.databasename();
        // Filled in one transaction through the engine: the subject here is the single operation.
        sqlite3* handle = nullptr;
        sqlite3_open(path.c_str(), &handle);
        sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(handle,
                           "INSERT INTO jegyzetek (nev, jegyzet, letrehozva, modositva) VALUES (?1, ?2, "
                           "'2026-01-01 10:00:00.000', '2026-01-01 10:00:00.000')",
                           -1, &insert, nullptr);
        for (int i = 0; i < notecount; ++i) {
            const std::string name = "Jegyzet " + std::to_string(i);
            const std::string text = sampletext(i);
            sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, text.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        for (int i = 1; i <= 200; ++i) {
            const std::string key = "j_" + std::to_string(i) + "_";
            for (const char* word : {"top", "left", "width", "height"}) {
                const std::string sql = "INSERT INTO setup VALUES ('" + key + word + "', '100')";
                sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, nullptr);
            }
        }
        sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(handle);
    }
};

Bench& bench() {
    static Bench instance;
    return instance;
}

// The direct side opens the file as the store does: read-write, never create, full sync, busy timeout.
sqlite3* opendirect(const std::string& path) {
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw std::runtime_error("open");
    sqlite3_busy_timeout(handle, 3000);
    sqlite3_exec(handle, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    return handle;
}

void step(sqlite3* handle, const char* sql, const std::string& a = {}, const std::string& b = {}) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr);
    sqlite3_bind_text(statement, 1, a.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(statement, 2, b.c_str(), -1, SQLITE_TRANSIENT);
    if (sqlite3_step(statement) != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(handle));
    sqlite3_finalize(statement);
}

// Each operation once through the store and once directly, one after the other in every iteration, so
// that both sides meet the same machine load; the counters give microseconds per operation and the ratio.
struct Operation {
    std::function<void(int)> store;
    std::function<void(int)> direct;
};

void sidebyside(benchmark::State& state, const Operation& operation) {
    using clock = std::chrono::steady_clock;
    double storetime = 0;
    double directtime = 0;
    int n = 0;
    for (auto _ : state) {
        // Alternating which goes first keeps warm caches from favouring either side.
        const bool storefirst = n % 2 == 0;
        const auto a = clock::now();
        storefirst ? operation.store(n) : operation.direct(n);
        const auto b = clock::now();
        storefirst ? operation.direct(n) : operation.store(n);
        const auto c = clock::now();
        const double first = std::chrono::duration<double, std::micro>(b - a).count();
        const double second = std::chrono::duration<double, std::micro>(c - b).count();
        storetime += storefirst ? first : second;
        directtime += storefirst ? second : first;
        ++n;
    }
    state.counters["store_us"] = storetime / n;
    state.counters["direct_us"] = directtime / n;
    state.counters["ratio"] = storetime / directtime;
}

void savejegyzet_new(benchmark::State& state) {
    Tzkpldm& store = *bench().store;
    const std::string path = bench().path;
    sidebyside(
        state,
        {[&](int n) {
             benchmark::DoNotOptimize(store.savejegyzet(-1, {"Új " + std::to_string(n), sampletext(n)}));
         },
         [&](int n) {
             sqlite3* handle = opendirect(path);
             step(handle,
                  "INSERT INTO jegyzetek (nev, jegyzet, letrehozva, modositva) VALUES (?1, ?2, "
                  "'2026-01-01 10:00:00.000', '2026-01-01 10:00:00.000')",
                  "Új " + std::to_string(n), sampletext(n));
             benchmark::DoNotOptimize(sqlite3_last_insert_rowid(handle));
             sqlite3_close(handle);
         }});
}

void getjegyzet(benchmark::State& state) {
    Tzkpldm& store = *bench().store;
    const std::string path = bench().path;
    sidebyside(state, {[&](int n) { benchmark::DoNotOptimize(store.getjegyzet(1 + (n * 7919) % notecount)); },
                       [&](int n) {
                           sqlite3* handle = opendirect(path);
                           sqlite3_stmt* statement = nullptr;
                           sqlite3_prepare_v2(handle, "SELECT nev, jegyzet FROM jegyzetek WHERE id = ?1", -1,
                                              &statement, nullptr);
                           sqlite3_bind_int(statement, 1, 1 + (n * 7919) % notecount);
                           std::string nev;
                           std::string jegyzet;
                           if (sqlite3_step(statement) == SQLITE_ROW) {
                               nev = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
                               jegyzet = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
                           }
                           benchmark::DoNotOptimize(nev);
                           benchmark::DoNotOptimize(jegyzet);
                           sqlite3_finalize(statement);
                           sqlite3_close(handle);
                       }});
}

const char* words[] = {"top", "left", "width", "height"};

// One window's geometry: four settings, then the end of the sequence.
void geometry(benchmark::State& state) {
    Tzkpldm& store = *bench().store;
    const std::string path = bench().path;
    sidebyside(state, {[&](int n) {
                           const std::string key = "j_" + std::to_string(1 + n % 200) + "_";
                           for (const char* word : words)
                               store.setsetup(key + word, std::to_string(n));
                           store.closedb();
                       },
                       [&](int n) {
                           sqlite3* handle = opendirect(path);
                           const std::string key = "j_" + std::to_string(1 + n % 200) + "_";
                           for (const char* word : words) {
                               step(handle, "UPDATE setup SET ertek = ?2 WHERE nev = ?1", key + word,
                                    std::to_string(n + 1));
                               if (sqlite3_changes(handle) == 0)
                                   step(handle, "INSERT INTO setup (nev, ertek) VALUES (?1, ?2)", key + word,
                                        std::to_string(n + 1));
                           }
                           sqlite3_close(handle);
                       }});
}

// The note list's pass: every row in id order, deleted ones skipped, id and name of the others.
void listpass(benchmark::State& state) {
    Tzkpldm& store = *bench().store;
    const std::string path = bench().path;
    sidebyside(state, {[&](int) {
                           std::size_t listed = 0;
                           store.db.connect();
                           store.jegyzetek.open();
                           for (store.jegyzetek.first(); !store.jegyzetek.eof(); store.jegyzetek.next()) {
                               if (store.jegyzetek.asinteger("torolve") == 1)
                                   continue;
                               const std::string id = store.jegyzetek.astext("id");
                               const std::string name = store.jegyzetek.astext("nev");
                               listed += id.size() + name.size();
                           }
                           store.jegyzetek.close();
                           store.db.disconnect();
                           benchmark::DoNotOptimize(listed);
                       },
                       [&](int) {
                           std::size_t listed = 0;
                           sqlite3* handle = opendirect(path);
                           sqlite3_stmt* statement = nullptr;
                           sqlite3_prepare_v2(handle, "SELECT id, nev, torolve FROM jegyzetek ORDER BY id",
                                              -1, &statement, nullptr);
                           while (sqlite3_step(statement) == SQLITE_ROW) {
                               if (sqlite3_column_int(statement, 2) == 1)
                                   continue;
                               const std::string id =
                                   reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
                               const char* nev =
                                   reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
                               const std::string name = nev ? nev : "";
                               listed += id.size() + name.size();
                           }
                           sqlite3_finalize(statement);
                           sqlite3_close(handle);
                           benchmark::DoNotOptimize(listed);
                       }});
}

} // namespace

BENCHMARK(savejegyzet_new);
BENCHMARK(getjegyzet);
BENCHMARK(geometry);
BENCHMARK(listpass);

BENCHMARK_MAIN();
