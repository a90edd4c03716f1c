// The main of the logic's tests as a Windows program, for the test kit: they
// touch neither the registry nor the desktop, so they run unguarded, with the
// Windows test programs' printer.
#include <gtest/gtest.h>

#include "test_printer.h"

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    UsePrinterWithoutDebugOutput();
    return RUN_ALL_TESTS();
}
