// Finding the application manager: where it is looked for, in which order,
// and which registered values count, against the fake platform.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "call_log.h"
#include "launcher/launch.h"
#include "launcher/lookup.h"
#include "launcher/path_buffer.h"

namespace launcher {
namespace {

using namespace testing; // NOLINT(google-build-using-namespace)

// Finding the application manager: the registration (expanded when it is
// stored expandable) when it names an existing file, else the device
// center's folder, then ActiveSync's. With none of them: one report, the key
// closed before it, nothing minimized or started, no pause, exit code 0.
TEST(Lookup, ManagerIsFoundWhereWindowsPutIt) {
    const std::string gone = "C:\\Gone\\CEAPPMGR.EXE";
    const std::string spaced = "C:\\Program Files\\AS\\CEAPPMGR.EXE";
    const std::string expandable = "%ProgramFiles%\\AS\\CEAPPMGR.EXE";
    const Calls open = {kOpen};
    const Calls read = Join({open, {"ReadStringValue (default)", "CloseKey"}});
    const Calls try_center = {std::string("ExpandEnvironment ") + kDeviceCenterManager,
                              "PathKindOf " + kCenter};
    const Calls try_both = Join(
        {try_center,
         {std::string("ExpandEnvironment ") + kActiveSyncManager, "PathKindOf " + kActiveSync}});
    const Calls box = {"ShowErrorBox"};
    // 258 characters as stored, 260 once "C:\Program Files" is put in.
    const std::string too_long = "%ProgramFiles%\\" + std::string(230, 'x') + "\\CEAPPMGR.EXE";
    const Calls read_gone = Join({read, {"PathKindOf " + gone}});
    const Calls read_both_box = Join({read, try_both, box});
    const Calls read_expanded =
        Join({read, {"ExpandEnvironment " + expandable, "PathKindOf " + spaced}});
    const Calls read_too_long = Join({read, {"ExpandEnvironment " + too_long}, try_center});
    const PathKind file = PathKind::kFile;
    using Paths = std::map<std::string, PathKind>;
    const Paths nothing;
    const Paths spaced_file = {{spaced, file}};
    const Paths center_file = {{kCenter, file}};
    const Paths activesync_file = {{kActiveSync, file}};
    const Paths registered_and_center = {{kRegistered, file}, {kCenter, file}};
    const Paths folders_and_activesync = {
        {kRegistered, PathKind::kFolder}, {kCenter, PathKind::kFolder}, {kActiveSync, file}};
    struct Case {
        const char *name;
        bool key_exists;
        std::optional<std::string> value; // none: the key has no default value
        bool expandable;
        std::map<std::string, PathKind> paths;
        Calls calls;         // all of them, or up to the window search when found
        std::string started; // the module, "" when nothing may run
    };
    const Case cases[] = {
        {"nothing anywhere: no key", false, kRegistered, false, nothing,
         Join({open, try_both, box}), ""},
        {"value missing", true, std::nullopt, false, nothing, read_both_box, ""},
        {"value longer than the buffer", true, std::string(261, 'p'), false, nothing, read_both_box,
         ""},
        {"260 bytes and no NUL", true, std::string(260, 'p'), false, nothing, read_both_box, ""},
        {"other bytes after the value's first NUL", true, kRegistered + std::string("\0x", 2),
         false, registered_and_center, kLookup, kRegistered},
        {"an expandable value, expanded", true, expandable, true, spaced_file, read_expanded,
         spaced},
        {"a plain string, never expanded nor looked at", true, expandable, false, spaced_file,
         read_both_box, ""},
        {"an expansion too long: the folders are tried", true, too_long, true, center_file,
         read_too_long, kCenter},
        {"no key, the device center's file", false, kRegistered, false, center_file,
         Join({open, try_center}), kCenter},
        {"no key, only ActiveSync's file", false, kRegistered, false, activesync_file,
         Join({open, try_both}), kActiveSync},
        {"a registration naming a missing file, nothing installed", true, gone, false, nothing,
         Join({read_gone, try_both, box}), ""},
        {"a registration naming a missing file, the device center's file", true, gone, false,
         center_file, Join({read_gone, try_center}), kCenter},
        {"a folder named CEAppMgr.exe is not taken", true, kRegistered, false,
         folders_and_activesync, Join({kLookup, try_both}), kActiveSync},
        {"a registration and the device center's file: the registration", true, kRegistered, false,
         registered_and_center, kLookup, kRegistered},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        fake.open_windows = {"Tarnivo Site Suite"};
        fake.Register(c.key_exists, c.value, c.expandable ? kRegExpandSz : kRegSz);
        fake.paths = c.paths;
        EXPECT_EQ(fake.RunWithTail("BasePackCAB.ini"), kExitDone);
        EXPECT_EQ(fake.open_keys, 0);
        if (c.started.empty()) {
            EXPECT_EQ(FromLookup(fake), c.calls);
            EXPECT_EQ(fake.boxes, std::vector<std::string>{kManagerBox});
            continue;
        }
        const Calls calls = FromLookup(fake);
        EXPECT_EQ(Calls(calls.begin(), calls.begin() + c.calls.size()), c.calls);
        EXPECT_EQ(calls[c.calls.size()], "AnsiCodePage"); // the lookup ends there
        EXPECT_EQ(fake.application, c.started);
        EXPECT_EQ(fake.command_line, c.started + " \"D:\\Setup\\BasePackCAB.ini\"");
        EXPECT_TRUE(fake.boxes.empty());
    }
}

// Values that are usable paths, however they were stored.
TEST(Lookup, RegisteredValueBecomesAProperString) {
    struct Case {
        const char *name;
        std::string value;
        std::string path;
    };
    const Case cases[] = {
        {"with its NUL", std::string("C:\\A.EXE\0", 9), "C:\\A.EXE"},
        {"without its NUL", "C:\\A.EXE", "C:\\A.EXE"},
        {"259 characters and the NUL", "C:\\" + std::string(256, 'p') + '\0',
         "C:\\" + std::string(256, 'p')},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        fake.Register(true, c.value);
        fake.paths = {{c.path, PathKind::kFile}};
        fake.RunWithTail("");
        EXPECT_TRUE(fake.boxes.empty());
        EXPECT_EQ(fake.command_line, c.path);
    }
}

TEST(Lookup, ApplicationNameRemovesOnePairOfEnclosingQuotes) {
    struct Case {
        const char *path;
        const char *name;
    };
    const Case cases[] = {
        {"C:\\AppMgr\\CEAPPMGR.EXE", "C:\\AppMgr\\CEAPPMGR.EXE"},
        {"\"C:\\Program Files\\AS\\CEAPPMGR.EXE\"", "C:\\Program Files\\AS\\CEAPPMGR.EXE"},
        {"\"\"C:\\X.EXE\"\"", "\"C:\\X.EXE\""},
        {"\"C:\\X.EXE\" /s", "\"C:\\X.EXE\" /s"},
        {"\"\"", ""},
        {"\"", "\""},
        {"", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        PathBuffer path;
        ASSERT_TRUE(path.Copy(c.path));
        PathBuffer name;
        ApplicationName(path, &name);
        EXPECT_STREQ(name.Text(), c.name);
    }
}

} // namespace
} // namespace launcher
