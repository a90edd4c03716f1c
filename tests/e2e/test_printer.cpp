// The printer of the Windows test programs, in the place of GoogleTest's.
#include "test_printer.h"

#include <gtest/gtest.h>

#include <cstdio>

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

void UsePrinterWithoutDebugOutput() {
    ::testing::TestEventListeners &listeners = UnitTest::GetInstance()->listeners();
    TestEventListener *printer = listeners.Release(listeners.default_result_printer());
    if (printer != nullptr) listeners.Append(new PrinterWithoutDebugOutput(printer));
}
