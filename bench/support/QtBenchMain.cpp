#include "bench/support/QtBenchMain.h"

#include "shell/PinletApplication.h"

#include <benchmark/benchmark.h>

int runqtbenchmarks(int argc, char** argv, const std::function<void()>& beforeexit) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    pinlet::PinletApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (beforeexit) {
        beforeexit();
    }
    return 0;
}
