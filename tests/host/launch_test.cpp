// The launch sequence against the fake platform: the order of its steps,
// from the DLL search restricted to the child's handle closed, on an install list
// and bare.
#include <gtest/gtest.h>

#include <string>

#include "call_log.h"
#include "launcher/launch.h"

namespace launcher {
namespace {

using namespace testing; // NOLINT(google-build-using-namespace)

// The whole road of an install-list run: the DLL search restricted before
// anything else, then Windows' folders set, lookup with the key closed right
// after its read, the names
// checked for their ANSI form and the directory read, all before the window
// search, then start, launch tick, the first query only after one full poll
// interval, then the child's handle closed.
TEST(LaunchSequence, InstallListRunInOrder) {
    FakePlatform fake;
    fake.child_runs_ms = 200;
    EXPECT_EQ(fake.RunWithTail("BasePackCAB.ini"), kExitDone);
    const Calls expected = Join(
        {kLookup,
         kLineChecked,
         {"WideCurrentDirectory", "WideToAnsi size", "WideToAnsi"},
         kSearchAll,
         {"StartProcess", "TickCount", "Sleep 1500", "QueryExitStatus", "CloseHandle process"}});
    EXPECT_EQ(FromLookup(fake), expected);
    EXPECT_EQ(fake.calls[0], "RestrictDllSearch");
    EXPECT_EQ(fake.CallsStartingWith("SetEnvironment").size(), 9u);
    EXPECT_EQ(fake.application, "C:\\AppMgr\\CEAPPMGR.EXE");
    EXPECT_EQ(fake.command_line, "C:\\AppMgr\\CEAPPMGR.EXE \"D:\\Setup\\BasePackCAB.ini\"");
    EXPECT_EQ(fake.open_keys, 0);
}

TEST(LaunchSequence, BareRunStartsTheManagerOnItsPathAlone) {
    FakePlatform fake;
    fake.Register(true, "\"C:\\Program Files\\AS\\CEAPPMGR.EXE\"");
    fake.paths = {{"C:\\Program Files\\AS\\CEAPPMGR.EXE", PathKind::kFile}};
    EXPECT_EQ(fake.RunWithTail(""), kExitDone);
    // The file looked for is the module, without the quotes.
    const Calls expected = Join(
        {{kOpen, "ReadStringValue (default)", "CloseKey",
          "PathKindOf C:\\Program Files\\AS\\CEAPPMGR.EXE"},
         kLineChecked,
         kSearchAll,
         {"StartProcess", "TickCount", "Sleep 1500", "QueryExitStatus", "CloseHandle process"}});
    EXPECT_EQ(FromLookup(fake), expected);
    // The path as read is the command line; the module is named unquoted.
    EXPECT_EQ(fake.command_line, "\"C:\\Program Files\\AS\\CEAPPMGR.EXE\"");
    EXPECT_EQ(fake.application, "C:\\Program Files\\AS\\CEAPPMGR.EXE");
}

} // namespace
} // namespace launcher
