#pragma once
// A store of a benchmark's own: a fresh folder under the benchmarks' folder, the store started on it, both
// gone with the object.

#include "bench/support/BenchFolder.h"
#include "store/zkpldm_unit.h"

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <system_error>

struct BenchStore {
    std::filesystem::path folder;
    std::unique_ptr<Tzkpldm> store;

    BenchStore() : folder(benchbasefolder() / ("pinlet-bench-" + std::to_string(std::random_device{}()))) {
        std::filesystem::create_directories(folder);
        TStoreEnvironment environment;
        environment.exedir = folder.string();
        const std::string documents = folder.string();
        environment.documentsfolder = [documents] { return documents; };
        store = std::make_unique<Tzkpldm>(environment);
        store->DataModuleCreate();
    }
    ~BenchStore() {
        store.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    BenchStore(const BenchStore&) = delete;
    BenchStore& operator=(const BenchStore&) = delete;
};
