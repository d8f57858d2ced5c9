# Replays each fuzz target's seed corpus through the same entry point in an ordinary test build (any
# compiler, no libFuzzer), so the seeds and every saved crash input stay regression tests.
add_executable(fuzz_markup_replay ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp ${PROJECT_SOURCE_DIR}/fuzz/markup_fuzz.cpp)
target_link_libraries(fuzz_markup_replay PRIVATE pinlet_minihtml)
pinlet_warnings(fuzz_markup_replay)
add_test(NAME fuzz.markup_corpus COMMAND fuzz_markup_replay ${PROJECT_SOURCE_DIR}/fuzz/corpus/markup)
