// Test main for suites that need the application object. The harness sets QT_QPA_PLATFORM=offscreen; a
// run by hand gets it too, so no test ever opens a window on a real desktop. A dialog that a test did not
// script never blocks: it is answered with Cancel and fails the test that raised it.
#include "shell/PinletApplication.h"
#include "shell/dialogs.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    pinlet::PinletApplication app(argc, argv);
    pinlet::DialogScript unexpected([](const pinlet::ShownDialog& dialog) {
        ADD_FAILURE() << "unscripted dialog \"" << dialog.title << "\": " << dialog.text;
    });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
