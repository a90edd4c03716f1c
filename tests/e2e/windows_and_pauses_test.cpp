// End to end: the wait for the manager, the suite windows
// while it runs, the settling pause, and no box where nobody could see it.
#include "launcher_test.h"

namespace e2e {
namespace {

// The launcher returns only after the child has ended, at the first poll
// after its end, whatever its exit code, 259 included, and however short
// its run; a list with a minimum time takes no pause without the primary
// suite window.
TEST_F(LauncherTest, ReturnsSoonAfterTheChildHasEnded) {
    struct Case {
        const char *name;
        DWORD run_ms;
        DWORD exit_code;
        const char *tail = "BasePackCAB.ini";
    };
    const Case cases[] = {
        {"runs 3 s", 3000, 0},
        {"ends with 259", 3000, 259},
        {"exits at once", 0, 0},
        {"a list with a minimum, a row-2 window open", 2000, 0, "PlotterCAB.ini"},
    };
    harness::DesktopWindows windows({"Quellis Plotter"});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        NextRow(c.run_ms, c.exit_code);
        const harness::Run run = RunLauncher(c.tail, root_);
        const Record child = ExpectStarted(run, "");
        ASSERT_TRUE(child.ended);
        // Seen gone at a poll: after its end, and at most one poll interval
        // (1.5 s) later, with room for a slow machine.
        EXPECT_GE(static_cast<LONG>(run.end_tick - child.end), 0);
        EXPECT_LE(run.end_tick - child.end, 1500u + 3000u);
    }
}

// Suite windows open on the desktop: the first title of the list is
// minimized while the manager runs, the others are left alone, and it is
// shown normal again once the launcher returns.
TEST_F(LauncherTest, SuiteWindowMakesWayWhileTheManagerRuns) {
    struct Case {
        const char *name;
        std::vector<std::string> open;
        std::string handled;
        std::string tail;
    };
    const Case cases[] = {
        {"rows 2 and 3", {"Quellis Plotter", "Brovane Stakeout"}, "Quellis Plotter", "Sample.ini"},
        {"primary and row 3",
         {"Brovane Stakeout", "Tarnivo Site Suite"},
         "Tarnivo Site Suite",
         "Sample.ini"},
        {"bare run", {"Selkirra Kit"}, "Selkirra Kit", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        NextRow(3000);
        harness::DesktopWindows windows(c.open);
        std::vector<std::string> iconic_during;
        const harness::Run run = RunLauncherDuringChild(c.tail, [&] {
            windows.Becomes(c.handled, true, 2000);
            for (const std::string &title : c.open)
                if (IsIconic(windows.Get(title))) iconic_during.push_back(title);
        });
        ExpectStarted(run, "");
        EXPECT_EQ(iconic_during, std::vector<std::string>{c.handled});
        for (const std::string &title : c.open) {
            EXPECT_TRUE(windows.Becomes(title, false, 5000)) << title;
            EXPECT_TRUE(IsWindowVisible(windows.Get(title))) << title;
        }
    }
}

// The window goes away while the manager runs: the restore finds nothing and
// the run ends as usual.
TEST_F(LauncherTest, SuiteWindowClosedDuringTheRunIsNoMatter) {
    NextRow(3000);
    harness::DesktopWindows windows({"Quellis Plotter"});
    bool was_iconic = false;
    const harness::Run run = RunLauncherDuringChild("Sample.ini", [&] {
        was_iconic = windows.Becomes("Quellis Plotter", true, 2000);
        windows.Close("Quellis Plotter");
    });
    ExpectStarted(run, "");
    EXPECT_TRUE(was_iconic);
}

// Without an application manager no window is touched.
TEST_F(LauncherTest, SuiteWindowUntouchedWhenTheManagerIsMissing) {
    ASSERT_TRUE(harness::UnregisterManager());
    harness::DesktopWindows windows({"Tarnivo Site Suite"});
    bool iconic_while_box = false;
    const harness::Run run = RunLauncher("Sample.ini", root_, {}, [&] {
        iconic_while_box |= IsIconic(windows.Get("Tarnivo Site Suite")) != FALSE;
    });
    ExpectRefused(run, 0, kManagerMissing);
    EXPECT_FALSE(iconic_while_box);
    EXPECT_FALSE(IsIconic(windows.Get("Tarnivo Site Suite")));
}

// The primary suite window open and a list with a minimum: the launcher
// holds on until 60 s after the launch, though the manager ran only 2 s. It
// costs a minute; LAUNCHER_SKIP_LONG_TESTS=1 skips it.
TEST_F(LauncherTest, SettlingPauseHoldsUntilTheMinimumHasPassed) {
    if (GetEnvironmentVariableA("LAUNCHER_SKIP_LONG_TESTS", nullptr, 0) != 0)
        GTEST_SKIP() << "LAUNCHER_SKIP_LONG_TESTS is set";
    NextRow(2000);
    harness::DesktopWindows windows({"Tarnivo Site Suite"});
    const harness::Run run = RunLauncher("PlotterCAB.ini", root_);
    // The launch tick is read between the launcher's start and the child's:
    // 60 s after it lies between 60 s after each of them.
    const DWORD since_child_start = run.end_tick - ExpectStarted(run, "").start;
    const DWORD since_launcher_start = run.end_tick - run.start_tick;
    std::printf("returned %lu ms after the child started, %lu ms after the launcher started\n",
                static_cast<unsigned long>(since_child_start),
                static_cast<unsigned long>(since_launcher_start));
    EXPECT_LE(since_child_start, 60000u + 3000u);
    EXPECT_GE(since_launcher_start, 60000u);
    EXPECT_TRUE(windows.Becomes("Tarnivo Site Suite", false, 5000));
}

// A suite window whose application has stopped answering messages: the
// launcher must neither wait for it nor be held by it.
TEST_F(LauncherTest, HungSuiteWindowDoesNotHoldTheLauncher) {
    harness::DesktopWindows windows({"Quellis Plotter"}, /*hung=*/true);
    const harness::Run run = RunLauncher("Sample.ini", root_);
    ExpectStarted(run, "");
    EXPECT_LT(run.end_tick - run.start_tick, 20000u);
}

// Started on a window station that nobody sees, as a deployment running as
// SYSTEM starts it: the application manager would wait there for an answer
// nobody can give, and so would a box. Found or not, with a list or a tail
// too long, nothing is started or shown and the run ends at once with exit
// code 4. Runs wherever the desktop of the tests themselves is unseen too.
class WhereNobodySees : public LauncherTest {
protected:
    bool NeedsASeenDesktop() const override { return false; }
};

TEST_F(WhereNobodySees, NothingIsStartedOrShown) {
    const char *desktop = harness::DesktopNobodySees();
    ASSERT_NE(*desktop, '\0');
    const std::pair<bool, std::string> cases[] = {
        {false, "Sample.ini"}, {true, "Sample.ini"}, {true, std::string(2000, 'x')}};
    for (const auto &[registered, tail] : cases) {
        SCOPED_TRACE(std::string(registered ? "registered, " : "found nowhere, ") +
                     tail.substr(0, 10));
        ASSERT_TRUE(registered ? harness::RegisterManager(manager_) : harness::UnregisterManager());
        const harness::Run run =
            harness::RunProgram(Launcher() + " " + tail, root_, 30000, nullptr, {desktop});
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exit_code, 4u);
        EXPECT_TRUE(Records().empty());
    }
}

} // namespace
} // namespace e2e
