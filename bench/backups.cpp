// What a day's copy costs on the user-interface thread: taking it (online backup, sync, integrity check,
// rename) beside a plain copy of the same file, and listing it (integrity check and note count), for
// databases of 100, 1,000 and 10,000 notes of about 200 bytes. Run by hand:
//   [PINLET_BENCH_FOLDER=PATH] bench_backups [--benchmark_filter=...]
// The folder is a fresh one under PATH (default: the system's temporary folder); a real disk includes the
// syncs a copy must pay.

#include "store/Backups.h"
#include "store/zkpldm_unit.h"

#include "bench/support/BenchStore.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Bench : BenchStore {
    explicit Bench(int notes) {
        sqlite3* handle = nullptr;
        sqlite3_open(store->db.databasename().c_str(), &handle);
        sqlite3_exec(handle, "BEGIN", nullptr, nullptr, nullptr);
        for (int i = 0; i < notes; ++i) {
            const std::string sql = "INSERT INTO jegyzetek (nev, jegyzet) VALUES ('Jegyzet " +
                                    std::to_string(i) + "', hex(randomblob(100)))";
            sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, nullptr);
        }
        sqlite3_exec(handle, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(handle);
    }
};

Bench& bench(int notes) {
    static std::map<int, std::unique_ptr<Bench>> benches;
    std::unique_ptr<Bench>& made = benches[notes];
    if (!made)
        made = std::make_unique<Bench>(notes);
    return *made;
}

void BM_TakeBackup(benchmark::State& state) {
    Bench& b = bench(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(takebackup(*b.store, {2026, 12, 10}));
}
BENCHMARK(BM_TakeBackup)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The floor: the same bytes copied by the file system, without sync or check.
void BM_PlainFileCopy(benchmark::State& state) {
    Bench& b = bench(int(state.range(0)));
    const fs::path target = b.folder / "plain.db";
    for (auto _ : state)
        fs::copy_file(b.store->db.databasename(), target, fs::copy_options::overwrite_existing);
}
BENCHMARK(BM_PlainFileCopy)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ListBackups(benchmark::State& state) {
    Bench& b = bench(int(state.range(0)));
    takebackup(*b.store, {2026, 12, 10});
    for (auto _ : state)
        benchmark::DoNotOptimize(listbackups(backupfolder(b.store->dbdir)));
}
BENCHMARK(BM_ListBackups)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
