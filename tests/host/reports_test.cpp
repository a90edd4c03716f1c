// What a user is told: a start that Windows refuses, with Windows' words, and
// nothing at all where nobody can see the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "call_log.h"
#include "launcher/launch.h"

namespace launcher {
namespace {

using namespace testing; // NOLINT(google-build-using-namespace)

// A registered file that Windows refuses to start (here one that is no
// program): nothing to wait for and no pause, the window shown again, then
// the box in front with Windows' words, the path for their "%1"; words that
// are missing or too long for the box are left out. Exit code 3. A manager
// that asks for administrator rights (740) is started again through the
// shell, whose prompt the user may decline.
TEST(Reports, StartThatWindowsRefusesIsTold) {
    const std::string path = "C:\\AppMgr\\CEAPPMGR.EXE";
    const std::string found =
        "Installation|" + std::string(kNotStartedText) + path + kNotStartedWhy;
    const std::string shell = "StartThroughShell " + path + "|";
    const Calls refused = {"StartProcess", "ShowWindow Tarnivo Site Suite normal",
                           "DescribeError 193", "ShowErrorBox foreground"};
    const Calls elevated =
        Join({{"StartProcess", shell + "\"D:\\Setup\\Sample.ini\""},
              {"TickCount", "Sleep 1500", "QueryExitStatus", "CloseHandle process"},
              {"ShowWindow Tarnivo Site Suite normal", "TickCount"}});
    const Calls declined = {"StartProcess", shell, "ShowWindow Tarnivo Site Suite normal",
                            "DescribeError 1223", "ShowErrorBox foreground"};
    const std::string cancelled = "The operation was canceled by the user.";
    struct Case {
        const char *name;
        const char *tail;
        std::string words;
        std::string box;  // "" when the manager ran
        Calls calls = {}; // from the first start on, when not `refused`
        uint32_t error = 193;
        std::optional<uint32_t> shell_error = {};
    };
    const Case cases[] = {
        {"administrator rights, given", "Sample.ini", "", "", elevated, 740},
        {"administrator rights, declined", "", cancelled + "\r\n",
         found + cancelled + kNotStartedAdvice, declined, 740, 1223},
        {"bare", "", "Bad EXE format for %1.\r\n",
         found + "Bad EXE format for " + path + "." + kNotStartedAdvice},
        {"a paused list", "BasePackCAB.ini", "%1 and %1.",
         found + path + " and " + path + "." + kNotStartedAdvice},
        {"inserts as Windows fills them", "", "%%1, %1!s!, %12, %1!s and %",
         found + "%1, " + path + ", %12, " + path + "!s and %" + kNotStartedAdvice},
        {"no words", "BasePackCAB.ini", "", found + kNotStartedAdvice},
        {"words too long for the box", "BasePackCAB.ini", std::string(1000, 'w'),
         found + kNotStartedAdvice},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        fake.start_succeeds = false;
        fake.start_error = c.error;
        fake.shell_start_error = c.shell_error;
        fake.error_words = c.words;
        fake.open_windows = {"Tarnivo Site Suite"};
        EXPECT_EQ(fake.RunWithTail(c.tail), c.box.empty() ? kExitDone : kExitNotStarted);
        EXPECT_EQ(fake.boxes, c.box.empty() ? Calls{} : Calls{c.box});
        const auto start = std::find(fake.calls.begin(), fake.calls.end(), "StartProcess");
        EXPECT_EQ(Calls(start, fake.calls.end()), c.calls.empty() ? refused : c.calls);
    }
}

// Where nobody can see the run (a window station without WSF_VISIBLE, or
// session 0 from Vista on), nothing is looked up, started, shown or touched:
// exit code 4 at once. On XP session 0 is the console's; where Windows
// cannot tell the session, the run goes on as anywhere.
TEST(Reports, NothingHappensWhereNobodyCanSeeIt) {
    struct Case {
        const char *name;
        bool visible;
        uint32_t major;
        std::optional<uint32_t> session;
        bool unseen;
    };
    const Case cases[] = {
        {"a station without WSF_VISIBLE", false, 10, 1, true},
        {"session 0 on Windows 10", true, 10, 0, true},
        {"session 0 on Vista", true, 6, 0, true},
        {"session 0 on XP", true, 5, 0, false},
        {"a session Windows cannot tell", true, 10, std::nullopt, false},
    };
    for (const Case &c : cases)
        for (const bool found : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (found ? ", found" : ", found nowhere"));
            FakePlatform fake;
            fake.window_station_visible = c.visible;
            fake.windows_major = c.major;
            fake.session = c.session;
            fake.Register(found);
            fake.open_windows = {"Tarnivo Site Suite"};
            EXPECT_EQ(fake.RunWithTail("Sample.ini"), c.unseen ? kExitNobodySees : kExitDone);
            // No lookup, and so no window searched for, nothing started or shown.
            EXPECT_EQ(FromLookup(fake).empty(), c.unseen);
            EXPECT_EQ(fake.application.empty(), c.unseen || !found);
            EXPECT_EQ(fake.boxes.size(), c.unseen || found ? 0u : 1u);
            EXPECT_EQ(fake.CallsStartingWith("ShowWindow").size(), c.unseen || !found ? 0u : 2u);
        }
}

} // namespace
} // namespace launcher
