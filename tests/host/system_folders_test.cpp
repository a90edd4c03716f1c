// Windows' own folders: set as Windows keeps them whatever the caller's
// environment says, so that the caller never chooses the manager.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>

#include "call_log.h"
#include "launcher/launch.h"
#include "launcher/path_buffer.h"

namespace launcher {
namespace {

using namespace testing; // NOLINT(google-build-using-namespace)

// An environment the caller shaped (windir and ProgramFiles pointing at a
// folder of the user's, or unset) and registrations that no start could take
// as they stand: the manager is looked for only where Windows keeps its
// folders, by rooted paths. The user's programs, and any path that the
// current directory would complete, are never even looked at.
TEST(SystemFolders, CallersEnvironmentNeverChoosesTheManager) {
    const std::string user = "C:\\Users\\me\\x";
    const std::string share = "\\\\server\\share\\CEAPPMGR.EXE";
    const std::map<std::string, std::string> poisoned = {{"windir", user},
                                                         {"SystemRoot", user},
                                                         {"ProgramFiles", user},
                                                         {"ProgramFiles(x86)", user}};
    const std::map<std::string, std::string> program_data = {{"ProgramData", user}};
    const std::map<std::string, std::string> program_w6432 = {{"ProgramW6432", user}};
    const std::map<std::string, std::string> longer_name = {{"ProgramFilesX", user}};
    const std::map<std::string, std::string> shorter_name = {{"ProgramFile", user}};
    const std::string spaced = "C:\\Program Files\\AS\\CEAPPMGR.EXE";
    struct Case {
        const char *name;
        std::map<std::string, std::string> environment;
        std::optional<std::string> registered; // none: no key
        std::string installed;                 // the real manager's file, or ""
        std::string started;                   // "" for the report
        uint32_t type = kRegSz;                // the registration's
        bool system_known = true;              // Windows tells its folders
        std::string unsettable = {};           // a variable Windows will not change
    };
    const Case cases[] = {
        {"poisoned, nothing installed", poisoned, std::nullopt, "", ""},
        {"poisoned, the device center's file", poisoned, std::nullopt, kCenter, kCenter},
        {"poisoned, an expandable registration", poisoned,
         "%ProgramFiles%\\Microsoft ActiveSync\\CEAPPMGR.EXE", kActiveSync, kActiveSync,
         kRegExpandSz},
        {"unset, the device center's file", {}, std::nullopt, kCenter, kCenter},
        {"Windows tells no folder", {}, std::nullopt, kCenter, "", kRegSz, false},
        {"a relative registration", poisoned, "CEAPPMGR.EXE", "", ""},
        {"a registration on a share", poisoned, share, share, share},
        {"a registration stored as a number", {}, kRegistered, kRegistered, "", kRegDword},
        {"an expandable registration naming another variable", program_data,
         "%ProgramData%\\Microsoft ActiveSync\\CEAPPMGR.EXE", kCenter, kCenter, kRegExpandSz},
        {"an expandable registration naming a removed variable", program_w6432,
         "%ProgramW6432%\\Microsoft ActiveSync\\CEAPPMGR.EXE", "", "", kRegExpandSz},
        {"an expandable registration naming a folder in capitals", poisoned,
         "%PROGRAMFILES%\\AS\\CEAPPMGR.EXE", spaced, spaced, kRegExpandSz},
        {"an expandable registration naming a longer variable", longer_name,
         "%ProgramFilesX%\\Microsoft ActiveSync\\CEAPPMGR.EXE", "", "", kRegExpandSz},
        {"an expandable registration naming the start of a folder's name", shorter_name,
         "%ProgramFile%\\Microsoft ActiveSync\\CEAPPMGR.EXE", "", "", kRegExpandSz},
        {"a drive-relative registration", poisoned, "C:CEAPPMGR.EXE", "C:CEAPPMGR.EXE", ""},
        {"a plain registration with a literal '%'", poisoned, "C:\\A%\\CEAPPMGR.EXE",
         "C:\\A%\\CEAPPMGR.EXE", ""},
        {"windir refused, the caller's left", poisoned, std::nullopt, kActiveSync, kActiveSync,
         kRegSz, true, "windir"},
    };
    const std::set<std::string> rooted = {"PathKindOf " + kCenter, "PathKindOf " + kActiveSync,
                                          "PathKindOf " + share, "PathKindOf " + kRegistered,
                                          "PathKindOf " + spaced};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        fake.environment = c.environment;
        fake.Register(c.registered.has_value(), c.registered, c.type);
        fake.unsettable = c.unsettable;
        if (!c.system_known) {
            fake.windows_folder = "";
            fake.SetFolderValues(std::nullopt);
        }
        // The user's programs, wherever a poisoned or unexpanded name leads.
        for (const std::string &planted :
             {user + "\\WindowsMobile\\CEAppMgr.exe", user + "\\Microsoft ActiveSync\\CEAPPMGR.EXE",
              std::string(kDeviceCenterManager), std::string(kActiveSyncManager),
              std::string("CEAPPMGR.EXE"), c.installed})
            fake.paths[planted] = PathKind::kFile;
        EXPECT_EQ(fake.RunWithTail("Sample.ini"), kExitDone);
        EXPECT_EQ(fake.application, c.started);
        EXPECT_EQ(fake.boxes, c.started.empty() ? Calls{kManagerBox} : Calls{});
        for (const std::string &looked : fake.CallsStartingWith("PathKindOf "))
            EXPECT_EQ(rooted.count(looked), 1u) << looked;
        if (!c.system_known) {
            EXPECT_EQ(fake.environment, (std::map<std::string, std::string>{}));
        }
    }
}

// What Windows keeps on 64-bit Windows, in the launcher's 32-bit view, is
// what the launcher and the manager get; the caller's value of any other
// variable stays. A folder too long, relative, or naming anything but the
// Windows folder's variables removes its variable.
TEST(SystemFolders, WindowsFoldersAreSetAsWindowsKeepsThem) {
    using Environment = std::map<std::string, std::string>;
    const std::string w = "C:\\WINDOWS", p = "C:\\Program Files", x = p + " (x86)";
    const std::string longest = "C:\\" + std::string(256, 'p'); // 259 characters
    const Environment folders = {{"ProgramFilesDir", "%SystemDrive%\\Program Files (x86)"},
                                 {"ProgramFilesDir (x86)", x},
                                 {"CommonFilesDir", x + "\\C"},
                                 {"CommonFilesDir (x86)", "%windir%\\..\\C"},
                                 {"ProgramW6432Dir", p},
                                 {"CommonW6432Dir", longest}};
    const Environment set = {{"ProgramFiles", x},
                             {"ProgramFiles(x86)", x},
                             {"CommonProgramFiles", x + "\\C"},
                             {"CommonProgramFiles(x86)", w + "\\..\\C"},
                             {"ProgramW6432", p},
                             {"CommonProgramW6432", longest}};
    const Environment unusable = {{"ProgramFilesDir", "Program Files"},
                                  {"ProgramFilesDir (x86)", "%SystemDrive%\\x"},
                                  {"CommonFilesDir (x86)", "%HOMEDRIVE%\\C"},
                                  {"CommonFilesDir", "%ProgramFiles%\\C"},
                                  {"ProgramW6432Dir", longest + "p"}};
    const Environment named = {{"ProgramFilesDir", p}, {"CommonFilesDir", "%ProgramFiles%\\C"}};
    const Environment caller = {{"windir", "C:\\Users\\me\\x"}, {"TEMP", "C:\\Temp"}};
    struct Case {
        const char *name;
        std::string windows_folder;
        Environment values, expected; // besides Windows' own three, and the caller's TEMP
    };
    const Case cases[] = {
        {"usable", w, folders, set},
        {"unusable", "C:\\" + std::string(257, 'w'), unusable, {}},
        {"named by another program folder", w, named, {{"ProgramFiles", p}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        fake.environment = caller;
        fake.windows_folder = c.windows_folder;
        fake.SetFolderValues(c.values);
        fake.RunWithTail("");
        Environment expected = c.expected;
        expected["TEMP"] = "C:\\Temp";
        if (c.windows_folder == w)
            expected.insert({{"windir", w}, {"SystemRoot", w}, {"SystemDrive", "C:"}});
        EXPECT_EQ(fake.environment, expected);
        EXPECT_EQ(fake.open_keys, 0);
    }
}

// Where Windows pairs the '%'s otherwise than they read (a folder counted
// known that is not set), what the caller's variables make of the rest is no
// path.
TEST(SystemFolders, ExpansionRefusesWhatWindowsPairedOtherwise) {
    FakePlatform fake;
    fake.environment = {{"USERPROFILE", "C:\\Users\\me"}};
    PathBuffer path;
    ASSERT_TRUE(path.Copy("%ProgramW6432%USERPROFILE%\\evil.exe"));
    EXPECT_FALSE(ExpandWindowsFolders(fake, &path, ~KnownFolders{0}));
}

} // namespace
} // namespace launcher
