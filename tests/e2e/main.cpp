// The main of the Windows test programs. GoogleTest's own printer also hands every
// failed or skipped check to OutputDebugStringA, whose exception-based
// delivery crashes the test program under Wine on an emulator: the check's
// outcome and the rest of its output were lost in a crash. This printer
// passes every event on to GoogleTest's, but prints those checks itself.
//
// The end-to-end run also leaves the machine as it found it
// (machine_guard.h): it does not start while a suite window is
// open, and puts the App Paths entry back when it ends. The logic's tests
// (LAUNCHER_UNGUARDED_TESTS) touch neither.
#include <gtest/gtest.h>

#include <cstdio>

#ifndef LAUNCHER_UNGUARDED_TESTS
#include "harness.h"
#include "machine_guard.h"
#endif

namespace {

using ::testing::TestEventListener;
using ::testing::TestInfo;
using ::testing::TestPartResult;
using ::testing::TestSuite;
using ::testing::UnitTest;

class PrinterWithoutDebugOutput : public TestEventListener {
public:
    explicit PrinterWithoutDebugOutput(TestEventListener *printer) : printer_(printer) {}
    ~PrinterWithoutDebugOutput() override { delete printer_; }
    PrinterWithoutDebugOutput(const PrinterWithoutDebugOutput &) = delete;
    PrinterWithoutDebugOutput &operator=(const PrinterWithoutDebugOutput &) = delete;

    void OnTestPartResult(const TestPartResult &result) override {
        if (result.type() == TestPartResult::kSuccess) return;
        const char *kind = result.type() == TestPartResult::kSkip ? "Skipped" : "Failure";
        std::printf("%s:%d: %s\n%s\n", result.file_name() ? result.file_name() : "unknown file",
                    result.line_number(), kind, result.message());
        std::fflush(stdout);
    }

    void OnTestProgramStart(const UnitTest &u) override { printer_->OnTestProgramStart(u); }
    void OnTestIterationStart(const UnitTest &u, int i) override {
        printer_->OnTestIterationStart(u, i);
    }
    void OnEnvironmentsSetUpStart(const UnitTest &u) override {
        printer_->OnEnvironmentsSetUpStart(u);
    }
    void OnEnvironmentsSetUpEnd(const UnitTest &u) override { printer_->OnEnvironmentsSetUpEnd(u); }
    void OnTestSuiteStart(const TestSuite &s) override { printer_->OnTestSuiteStart(s); }
    void OnTestStart(const TestInfo &t) override { printer_->OnTestStart(t); }
    void OnTestDisabled(const TestInfo &t) override { printer_->OnTestDisabled(t); }
    void OnTestEnd(const TestInfo &t) override { printer_->OnTestEnd(t); }
    void OnTestSuiteEnd(const TestSuite &s) override { printer_->OnTestSuiteEnd(s); }
    void OnEnvironmentsTearDownStart(const UnitTest &u) override {
        printer_->OnEnvironmentsTearDownStart(u);
    }
    void OnEnvironmentsTearDownEnd(const UnitTest &u) override {
        printer_->OnEnvironmentsTearDownEnd(u);
    }
    void OnTestIterationEnd(const UnitTest &u, int i) override {
        printer_->OnTestIterationEnd(u, i);
    }
    void OnTestProgramEnd(const UnitTest &u) override { printer_->OnTestProgramEnd(u); }

private:
    TestEventListener *printer_;
};

} // namespace

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::TestEventListeners &listeners = UnitTest::GetInstance()->listeners();
    TestEventListener *printer = listeners.Release(listeners.default_result_printer());
    if (printer != nullptr) listeners.Append(new PrinterWithoutDebugOutput(printer));

#ifdef LAUNCHER_UNGUARDED_TESTS
    return RUN_ALL_TESTS();
#else
    if (!harness::UnseenDesktop().empty())
        std::printf("Nobody can see this desktop: the cases that need one are skipped.\n");
    return harness::RunGuarded([] { return RUN_ALL_TESTS(); });
#endif
}
