// The main of the end-to-end suite, with the Windows test programs' printer.
// The run leaves the machine as it found it (machine_guard.h): it does not
// start while a suite window is open, and puts the App Paths entry back when
// it ends.
#include <gtest/gtest.h>

#include <cstdio>

#include "harness.h"
#include "test_printer.h"

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    UsePrinterWithoutDebugOutput();
    if (!harness::UnseenDesktop().empty())
        std::printf("Nobody can see this desktop: the cases that need one are skipped.\n");
    return harness::RunGuarded([] { return RUN_ALL_TESTS(); });
}
