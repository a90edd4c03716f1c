// The settling pause: which runs pause, and for how long, on the virtual
// clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_platform.h"
#include "launcher/launch.h"
#include "launcher/settling_pause.h"

namespace launcher {
namespace {

using testing::FakePlatform;

TEST(SettlingPause, NamesMatchWholeIgnoringAsciiCaseOnly) {
    struct Case {
        const char *a;
        const char *b;
        bool same;
    };
    const Case cases[] = {
        {"basepackcab.INI", "BasePackCAB.ini", true},
        {"BasePackCAB.ini ", "BasePackCAB.ini", false},
        {"\"BasePackCAB.ini\"", "BasePackCAB.ini", false},
        {"BasePackCAB.in", "BasePackCAB.ini", false},
        {"", "", true},
        // Neighbours of the letters that a sloppy fold would join.
        {"[", "{", false},
        {"@", "`", false},
        // Bytes from 0x80 up are never folded (0xC9 and 0xE9 are E-acute in
        // code page 1252).
        {"\xC9", "\xE9", false},
        {"\xC9", "\xC9", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(SameNameIgnoringAsciiCase(c.a, c.b), c.same);
        EXPECT_EQ(SameNameIgnoringAsciiCase(c.b, c.a), c.same);
    }
}

// The pause on its own: when the tick count is read `elapsed` after the
// launch, which Sleep follows.
TEST(SettlingPause, SleepsWhatIsLeftOfTheMinimum) {
    struct Case {
        const char *name;
        const char *tail;
        bool primary;
        uint32_t launch_tick;
        uint32_t now;
        std::vector<std::string> sleeps;
    };
    const Case cases[] = {
        {"SiteWork after 59.9 s", "SiteWorkCAB.ini", true, 5000, 64900, {"Sleep 100"}},
        {"Plotter after 75 s", "PlotterCAB.ini", true, 5000, 80000, {"Sleep 0"}},
        {"BasePack after 20 s", "basepackcab.INI", true, 5000, 25000, {"Sleep 60000"}},
        {"tick count wrapped", "PlotterCAB.ini", true, 0xFFFFF000u, 0x1000u, {"Sleep 51808"}},
        {"past 2^31 ms", "PlotterCAB.ini", true, 0, 0x80000010u, {"Sleep 0"}},
        {"just short of 2^32 ms", "BasePackCAB.ini", true, 1, 0, {"Sleep 0"}},
        {"primary window not found", "BasePackCAB.ini", false, 5000, 6000, {}},
        {"another list", "OtherCAB.ini", true, 5000, 6000, {}},
        {"quoted", "\"BasePackCAB.ini\"", true, 5000, 6000, {}},
        {"trailing blank", "PlotterCAB.ini ", true, 5000, 6000, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        fake.now_ms = c.now;
        TakeSettlingPause(fake, c.tail, c.launch_tick, c.primary);
        EXPECT_EQ(fake.CallsStartingWith("Sleep"), c.sleeps);
    }
}

// Whole runs: when the launcher returns, counted from the launch.
TEST(SettlingPause, HoldsTheWholeRunToItsMinimum) {
    struct Case {
        const char *name;
        const char *tail;
        std::vector<std::string> windows;
        uint32_t child_runs_ms;
        uint32_t returns_after_ms;
    };
    const Case cases[] = {
        {"BasePack, 20 s run", "BasePackCAB.ini", {"Tarnivo Site Suite"}, 20000, 80000},
        {"Plotter, 75 s run", "PlotterCAB.ini", {"Tarnivo Site Suite"}, 75000, 75000},
        {"row-2 window only", "BasePackCAB.ini", {"Quellis Plotter"}, 20000, 21000},
        {"bare run", "", {"Tarnivo Site Suite"}, 20000, 21000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        fake.open_windows = c.windows;
        fake.child_runs_ms = c.child_runs_ms;
        EXPECT_EQ(fake.RunWithTail(c.tail), kExitDone);
        EXPECT_EQ(fake.now_ms - fake.child_started_at, c.returns_after_ms);
    }
}

} // namespace
} // namespace launcher
