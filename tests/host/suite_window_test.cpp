// The suite window around the launch: which one is handled, when, and what
// the primary flag says.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "launcher/launch.h"
#include "launcher/suite_window.h"

namespace launcher {
namespace {

using testing::FakePlatform;
using Calls = std::vector<std::string>;

TEST(SuiteWindow, FirstOpenTitleIsHandledAndOnlyRowOneIsPrimary) {
    struct Case {
        std::vector<std::string> open;
        std::string handled;
        bool primary;
    };
    const Case cases[] = {
        {{"Quellis Plotter", "Brovane Stakeout"}, "Quellis Plotter", false},
        {{"Brovane Stakeout", "Tarnivo Site Suite"}, "Tarnivo Site Suite", true},
        {{"Selkirra Kit"}, "Selkirra Kit", false},
        {{"Notepad", "tarnivo site suite "}, "", false},
        {{}, "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.handled.empty() ? "none" : c.handled);
        FakePlatform fake;
        fake.open_windows = c.open;
        const SuiteWindow suite = FindSuiteWindow(fake);
        MinimizeSuiteWindow(fake, suite);
        EXPECT_EQ(suite.primary, c.primary);
        RestoreSuiteWindow(fake, suite);
        const Calls expected = c.handled.empty() ? Calls{}
                                                 : Calls{"ShowWindow " + c.handled + " minimized",
                                                         "ShowWindow " + c.handled + " normal"};
        EXPECT_EQ(fake.CallsStartingWith("ShowWindow"), expected);
    }
}

// Minimized after the lookup and before the start, restored only after the
// child's handle is closed: in both branches alike. A failed lookup
// touches no window.
TEST(SuiteWindow, WrapsTheRunOfTheManager) {
    struct Case {
        const char *name;
        const char *tail;
        bool key_exists;
        Calls order;
    };
    const Calls wrapped = {"CloseKey",
                           "CloseKey",
                           "ShowWindow Quellis Plotter minimized",
                           "StartProcess",
                           "CloseHandle process",
                           "ShowWindow Quellis Plotter normal"};
    const Case cases[] = {
        {"install list", "BasePackCAB.ini", true, wrapped},
        {"bare", "", true, wrapped},
        {"lookup failed", "BasePackCAB.ini", false, {"CloseKey", "ShowErrorBox"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        fake.Register(c.key_exists);
        fake.open_windows = {"Quellis Plotter"};
        EXPECT_EQ(fake.RunWithTail(c.tail), kExitDone);
        Calls order;
        for (const std::string &call : fake.calls)
            if (call == "CloseKey" || call == "StartProcess" || call == "CloseHandle process" ||
                call == "ShowErrorBox" || call.rfind("ShowWindow", 0) == 0)
                order.push_back(call);
        EXPECT_EQ(order, c.order);
    }
}

// The window is closed while the manager runs: the restore has no effect,
// and the run ends as usual. Nothing is searched again.
TEST(SuiteWindow, ClosedDuringTheRunIsRestoredQuietly) {
    FakePlatform fake;
    fake.open_windows = {"Tarnivo Site Suite"};
    fake.windows_close_at_start = true;
    EXPECT_EQ(fake.RunWithTail("Sample.ini"), kExitDone);
    EXPECT_EQ(std::count(fake.calls.begin(), fake.calls.end(),
                         "ShowWindow Tarnivo Site Suite normal (gone)"),
              1);
    EXPECT_EQ(
        std::count(fake.calls.begin(), fake.calls.end(), "FindTopLevelWindow Tarnivo Site Suite"),
        1);
}

} // namespace
} // namespace launcher
