#pragma once
// The main of every benchmark program that needs a Qt application: runs the registered benchmarks inside
// one, on the offscreen platform unless QT_QPA_PLATFORM names another (a virtual desktop, say).

#include <functional>

// beforeexit runs after the last benchmark, while the application still exists: windows a benchmark kept
// across its runs must go before it.
int runqtbenchmarks(int argc, char** argv, const std::function<void()>& beforeexit = {});
