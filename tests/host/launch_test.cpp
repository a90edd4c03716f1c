// The launch sequence against the fake platform, told as short stories.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "launcher/launch.h"

namespace launcher {
namespace {

using testing::FakePlatform;
using Calls = std::vector<std::string>;

const std::string kOpen = std::string("OpenMachineKey ") + kAppPathsKey;
const std::string kManagerBox = std::string("Installation|") + kManagerMissingText;
const std::string kTooLongBox = std::string("Installation|") + kFolderTooLongText;
const std::string kNotPassableBox = std::string("Installation|") + kNamesNotPassableText;
const Calls kSearchAll = {"FindTopLevelWindow Tarnivo Site Suite",
                          "FindTopLevelWindow Quellis Plotter",
                          "FindTopLevelWindow Brovane Stakeout", "FindTopLevelWindow Selkirra Kit"};
const Calls kLineChecked = {"AnsiCodePage", "WideCommandLine", "WideToAnsi size"};

Calls Join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls &part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The calls from the lookup of the application manager on: those before
// it set Windows' folders (as the folder tests below show).
Calls FromLookup(const FakePlatform &fake) {
    return Calls(std::find(fake.calls.begin(), fake.calls.end(), kOpen), fake.calls.end());
}

const Calls kLookup = {kOpen, "QueryStringValue (default)", "CloseKey",
                       "PathKindOf C:\\AppMgr\\CEAPPMGR.EXE"};

// The whole road of an install-list run: the DLL search restricted before
// anything else, then Windows' folders set, lookup with the key closed right
// after its read, the names
// checked for their ANSI form and the directory read, all before the window
// search, then start, launch tick, the first query only after one full poll
// interval, then both handles closed.
TEST(LaunchSequence, InstallListRunInOrder) {
    FakePlatform fake;
    fake.child_runs_ms = 200;
    EXPECT_EQ(RunLaunchSequence(fake, "BasePackCAB.ini"), kExitDone);
    const Calls expected = Join({kLookup,
                                 kLineChecked,
                                 {"WideCurrentDirectory", "WideToAnsi size", "WideToAnsi"},
                                 kSearchAll,
                                 {"StartProcess", "TickCount", "Sleep 1500", "QueryExitStatus",
                                  "CloseHandle process", "CloseHandle thread"}});
    EXPECT_EQ(FromLookup(fake), expected);
    EXPECT_EQ(fake.calls[0], "RestrictDllSearch");
    EXPECT_EQ(fake.CallsStartingWith("SetEnvironment").size(), 9u);
    EXPECT_EQ(fake.application, "C:\\AppMgr\\CEAPPMGR.EXE");
    EXPECT_EQ(fake.command_line, "C:\\AppMgr\\CEAPPMGR.EXE \"D:\\Setup\\BasePackCAB.ini\"");
    EXPECT_EQ(fake.open_keys, 0);
}

TEST(LaunchSequence, BareRunStartsTheManagerOnItsPathAlone) {
    FakePlatform fake;
    fake.value = "\"C:\\Program Files\\AS\\CEAPPMGR.EXE\"";
    fake.paths = {{"C:\\Program Files\\AS\\CEAPPMGR.EXE", PathKind::kFile}};
    EXPECT_EQ(RunLaunchSequence(fake, ""), kExitDone);
    // The file looked for is the module, without the quotes.
    const Calls expected = Join({{kOpen, "QueryStringValue (default)", "CloseKey",
                                  "PathKindOf C:\\Program Files\\AS\\CEAPPMGR.EXE"},
                                 kLineChecked,
                                 kSearchAll,
                                 {"StartProcess", "TickCount", "Sleep 1500", "QueryExitStatus",
                                  "CloseHandle process", "CloseHandle thread"}});
    EXPECT_EQ(FromLookup(fake), expected);
    // The path as read is the command line; the module is named unquoted.
    EXPECT_EQ(fake.command_line, "\"C:\\Program Files\\AS\\CEAPPMGR.EXE\"");
    EXPECT_EQ(fake.application, "C:\\Program Files\\AS\\CEAPPMGR.EXE");
}

// Finding the application manager: the registration (expanded when it is
// stored expandable) when it names an existing file, else the device
// center's folder, then ActiveSync's. With none of them: one report, the key
// closed before it, nothing minimized or started, no pause, exit code 0.
TEST(LaunchSequence, ManagerIsFoundWhereWindowsPutIt) {
    const std::string registered = "C:\\AppMgr\\CEAPPMGR.EXE";
    const std::string gone = "C:\\Gone\\CEAPPMGR.EXE";
    const std::string spaced = "C:\\Program Files\\AS\\CEAPPMGR.EXE";
    const std::string center = "C:\\WINDOWS\\WindowsMobile\\CEAppMgr.exe";
    const std::string activesync = "C:\\Program Files\\Microsoft ActiveSync\\CEAPPMGR.EXE";
    const Calls open = {kOpen};
    const Calls read = Join({open, {"QueryStringValue (default)", "CloseKey"}});
    const Calls try_center = {std::string("ExpandEnvironment ") + kDeviceCenterManager,
                              "PathKindOf " + center};
    const Calls try_both = Join(
        {try_center,
         {std::string("ExpandEnvironment ") + kActiveSyncManager, "PathKindOf " + activesync}});
    const Calls box = {"ShowErrorBox"};
    // 258 characters as stored, 260 once "C:\Program Files" is put in.
    const std::string too_long = "%ProgramFiles%\\" + std::string(230, 'x') + "\\CEAPPMGR.EXE";
    const PathKind file = PathKind::kFile;
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
        {"nothing anywhere: no key", false, registered, false, {}, Join({open, try_both, box}), ""},
        {"value missing", true, std::nullopt, false, {}, Join({read, try_both, box}), ""},
        {"value longer than the buffer",
         true,
         std::string(261, 'p'),
         false,
         {},
         Join({read, try_both, box}),
         ""},
        {"260 bytes and no NUL",
         true,
         std::string(260, 'p'),
         false,
         {},
         Join({read, try_both, box}),
         ""},
        {"an expandable value, expanded",
         true,
         "%ProgramFiles%\\AS\\CEAPPMGR.EXE",
         true,
         {{spaced, file}},
         Join({read,
               {"ExpandEnvironment %ProgramFiles%\\AS\\CEAPPMGR.EXE", "PathKindOf " + spaced}}),
         spaced},
        {"a plain string, never expanded nor looked at",
         true,
         "%ProgramFiles%\\AS\\CEAPPMGR.EXE",
         false,
         {{spaced, file}},
         Join({read, try_both, box}),
         ""},
        {"an expansion too long: the folders are tried",
         true,
         too_long,
         true,
         {{center, file}},
         Join({read, {"ExpandEnvironment " + too_long}, try_center}),
         center},
        {"no key, the device center's file",
         false,
         registered,
         false,
         {{center, file}},
         Join({open, try_center}),
         center},
        {"no key, only ActiveSync's file",
         false,
         registered,
         false,
         {{activesync, file}},
         Join({open, try_both}),
         activesync},
        {"a registration naming a missing file, nothing installed",
         true,
         gone,
         false,
         {},
         Join({read, {"PathKindOf " + gone}, try_both, box}),
         ""},
        {"a registration naming a missing file, the device center's file",
         true,
         gone,
         false,
         {{center, file}},
         Join({read, {"PathKindOf " + gone}, try_center}),
         center},
        {"a folder named CEAppMgr.exe is not taken",
         true,
         registered,
         false,
         {{registered, PathKind::kFolder}, {center, PathKind::kFolder}, {activesync, file}},
         Join({read, {"PathKindOf " + registered}, try_both}),
         activesync},
        {"a registration and the device center's file: the registration",
         true,
         registered,
         false,
         {{registered, file}, {center, file}},
         Join({read, {"PathKindOf " + registered}}),
         registered},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        fake.open_windows = {"Tarnivo Site Suite"};
        fake.key_exists = c.key_exists;
        fake.value_exists = c.value.has_value();
        fake.value = c.value.value_or("");
        fake.value_expandable = c.expandable;
        fake.paths = c.paths;
        EXPECT_EQ(RunLaunchSequence(fake, "BasePackCAB.ini"), kExitDone);
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

// An environment the caller shaped (windir and ProgramFiles pointing at a
// folder of the user's, or unset) and registrations that no start could take
// as they stand: the manager is looked for only where Windows keeps its
// folders, by rooted paths. The user's programs, and any path that the
// current folder would complete, are never even looked at.
TEST(LaunchSequence, CallersEnvironmentNeverChoosesTheManager) {
    const std::string user = "C:\\Users\\me\\x";
    const std::string center = "C:\\WINDOWS\\WindowsMobile\\CEAppMgr.exe";
    const std::string activesync = "C:\\Program Files\\Microsoft ActiveSync\\CEAPPMGR.EXE";
    const std::string share = "\\\\server\\share\\CEAPPMGR.EXE";
    const std::string registered = "C:\\AppMgr\\CEAPPMGR.EXE";
    const std::map<std::string, std::string> poisoned = {{"windir", user},
                                                         {"SystemRoot", user},
                                                         {"ProgramFiles", user},
                                                         {"ProgramFiles(x86)", user}};
    struct Case {
        const char *name;
        std::map<std::string, std::string> environment;
        std::optional<std::string> registered; // none: no key
        std::string installed;                 // the real manager's file, or ""
        std::string started;                   // "" for the report
        bool expandable = false;
        bool is_string = true;
        bool system_known = true; // Windows tells its folders
    };
    const Case cases[] = {
        {"poisoned, nothing installed", poisoned, std::nullopt, "", ""},
        {"poisoned, the device center's file", poisoned, std::nullopt, center, center},
        {"poisoned, an expandable registration", poisoned,
         "%ProgramFiles%\\Microsoft ActiveSync\\CEAPPMGR.EXE", activesync, activesync, true},
        {"unset, the device center's file", {}, std::nullopt, center, center},
        {"Windows tells no folder", {}, std::nullopt, center, "", false, true, false},
        {"a relative registration", poisoned, "CEAPPMGR.EXE", "", ""},
        {"a registration on a share", poisoned, share, share, share},
        {"a registration stored as a number", {}, registered, registered, "", false, false},
        {"an expandable registration naming another variable",
         {{"ProgramData", user}},
         "%ProgramData%\\Microsoft ActiveSync\\CEAPPMGR.EXE",
         center,
         center,
         true},
        {"an expandable registration naming a removed variable",
         {{"ProgramW6432", user}},
         "%ProgramW6432%\\Microsoft ActiveSync\\CEAPPMGR.EXE",
         "",
         "",
         true},
    };
    const std::set<std::string> rooted = {"PathKindOf " + center, "PathKindOf " + activesync,
                                          "PathKindOf " + share, "PathKindOf " + registered};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        fake.environment = c.environment;
        fake.key_exists = c.registered.has_value();
        fake.value = c.registered.value_or("");
        fake.value_expandable = c.expandable;
        fake.value_is_string = c.is_string;
        if (!c.system_known) {
            fake.windows_folder = "";
            fake.folder_values.reset();
        }
        // The user's programs, wherever a poisoned or unexpanded name leads.
        for (const std::string &planted :
             {user + "\\WindowsMobile\\CEAppMgr.exe", user + "\\Microsoft ActiveSync\\CEAPPMGR.EXE",
              std::string(kDeviceCenterManager), std::string(kActiveSyncManager),
              std::string("CEAPPMGR.EXE"), c.installed})
            fake.paths[planted] = PathKind::kFile;
        EXPECT_EQ(RunLaunchSequence(fake, "Sample.ini"), kExitDone);
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
// variable stays. A folder too long, relative, unexpanded, or leaving no
// room for a file removes its variable.
TEST(LaunchSequence, WindowsFoldersAreSetAsWindowsKeepsThem) {
    using Environment = std::map<std::string, std::string>;
    const std::string w = "C:\\WINDOWS", p = "C:\\Program Files", x = p + " (x86)";
    const Environment folders = {{"ProgramFilesDir", "%SystemDrive%\\Program Files (x86)"},
                                 {"ProgramFilesDir (x86)", x},
                                 {"CommonFilesDir", x + "\\C"},
                                 {"CommonFilesDir (x86)", "%windir%\\..\\C"},
                                 {"ProgramW6432Dir", p},
                                 {"CommonW6432Dir", p + "\\C"}};
    const Environment unusable = {{"ProgramFilesDir", "Program Files"},
                                  {"ProgramFilesDir (x86)", "%SystemDrive%\\x"},
                                  {"CommonFilesDir (x86)", "%HOMEDRIVE%\\C"},
                                  {"CommonFilesDir", "%ProgramFiles%\\C"},
                                  {"ProgramW6432Dir", "C:\\" + std::string(256, 'p')}};
    const Environment caller = {{"windir", "C:\\Users\\me\\x"}, {"TEMP", "C:\\Temp"}};
    for (const bool usable : {true, false}) {
        SCOPED_TRACE(usable ? "usable" : "unusable");
        FakePlatform fake;
        fake.environment = caller;
        fake.windows_folder = usable ? w : "C:\\" + std::string(257, 'w');
        fake.folder_values = usable ? folders : unusable;
        RunLaunchSequence(fake, "");
        const Environment expected = usable
                                         ? Environment{{"windir", w},
                                                       {"SystemRoot", w},
                                                       {"SystemDrive", "C:"},
                                                       {"ProgramFiles", x},
                                                       {"ProgramFiles(x86)", x},
                                                       {"CommonProgramFiles", x + "\\C"},
                                                       {"CommonProgramFiles(x86)", w + "\\..\\C"},
                                                       {"ProgramW6432", p},
                                                       {"CommonProgramW6432", p + "\\C"},
                                                       {"TEMP", "C:\\Temp"}}
                                         : Environment{{"TEMP", "C:\\Temp"}};
        EXPECT_EQ(fake.environment, expected);
        EXPECT_EQ(fake.open_keys, 0);
    }
}

// Values that are usable paths, however they were stored.
TEST(LaunchSequence, RegisteredValueBecomesAProperString) {
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
        fake.value = c.value;
        fake.paths = {{c.path, PathKind::kFile}};
        RunLaunchSequence(fake, "");
        EXPECT_TRUE(fake.boxes.empty());
        EXPECT_EQ(fake.command_line, c.path);
    }
}

// The child ends after 0.2 s: seen at the first query, 1.5 s after the
// launch. After 3.1 s: seen at the third, 4.5 s after. A child whose own exit
// code is 259 is told from a running one by the process object.
TEST(LaunchSequence, WaitPollsEveryIntervalUntilTheChildHasEnded) {
    struct Case {
        const char *name;
        uint32_t runs_ms;
        uint32_t exit_code;
        uint32_t queries;
        uint32_t returns_after_ms;
    };
    const Case cases[] = {
        {"ends after 0.2 s", 200, 0, 1, 1500},
        {"ends after 3.1 s", 3100, 0, 3, 4500},
        {"ends after exactly 1.5 s", 1500, 0, 1, 1500},
        {"ends after 3.1 s with code 259", 3100, 259, 3, 4500},
        {"ends at once with code 1", 0, 1, 1, 1500},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        fake.child_runs_ms = c.runs_ms;
        fake.child_exit_code = c.exit_code;
        EXPECT_EQ(RunLaunchSequence(fake, "BasePackCAB.ini"), kExitDone);
        EXPECT_EQ(fake.status_queries, c.queries);
        EXPECT_EQ(fake.now_ms - fake.child_started_at, c.returns_after_ms);
        EXPECT_EQ(fake.calls.back(), "CloseHandle thread");
    }
}

// A registered file that Windows refuses to start (here one that is no
// program): nothing to wait for and no pause, the window shown again, then
// the box in front with Windows' words, the path for their "%1"; words that
// are missing or too long for the box are left out. Exit code 3.
TEST(LaunchSequence, StartThatWindowsRefusesIsTold) {
    const std::string path = "C:\\AppMgr\\CEAPPMGR.EXE";
    const std::string found =
        "Installation|" + std::string(kNotStartedText) + path + kNotStartedWhy;
    struct Case {
        const char *name;
        const char *tail;
        std::string words;
        std::string box;
    };
    const Case cases[] = {
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
        fake.error_words = c.words;
        fake.open_windows = {"Tarnivo Site Suite"};
        EXPECT_EQ(RunLaunchSequence(fake, c.tail), kExitNotStarted);
        EXPECT_EQ(fake.boxes, Calls{c.box});
        const auto start = std::find(fake.calls.begin(), fake.calls.end(), "StartProcess");
        EXPECT_EQ(Calls(start, fake.calls.end()),
                  (Calls{"StartProcess", "ShowWindow Tarnivo Site Suite normal",
                         "DescribeError 193", "ShowErrorBox foreground"}));
    }
}

// Where nobody can see the run (a window station without WSF_VISIBLE, or
// session 0 from Vista on), nothing is looked up, started, shown or touched:
// exit code 4 at once. On XP session 0 is the console's; where Windows
// cannot tell the session, the run goes on as anywhere.
TEST(LaunchSequence, NothingHappensWhereNobodyCanSeeIt) {
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
            fake.key_exists = found;
            EXPECT_EQ(RunLaunchSequence(fake, "Sample.ini"),
                      c.unseen ? kExitNobodySees : kExitDone);
            // No lookup, and so no window searched for, nothing started or shown.
            EXPECT_EQ(FromLookup(fake).empty(), c.unseen);
            EXPECT_EQ(fake.application.empty(), c.unseen || !found);
            EXPECT_EQ(fake.boxes.size(), c.unseen || found ? 0u : 1u);
        }
}

// The install command is launched whole or not at all: as read when it fits,
// else with the directory's short form when that fits.
TEST(LaunchSequence, CommandThatDoesNotFitLaunchesNothing) {
    struct Case {
        const char *name;
        std::string directory;
        std::optional<uint32_t> directory_result;
        std::string short_form;   // "" when the volume keeps no short names
        std::string launched;     // the directory in the command, "" when refused
        std::u16string wide = {}; // the directory instead, under code page 65001, if given
    };
    // "C:\AppMgr\CEAPPMGR.EXE" is 22 characters; with ` "`, `\`, the 15 of
    // "BasePackCAB.ini" and the closing quote, 41 go around the directory.
    const std::string d215 = "D:\\" + std::string(215, 'd');
    const std::string d216 = "D:\\" + std::string(216, 'd');
    const Case cases[] = {
        {"command of 259 characters", d215, std::nullopt, "D:\\DDDD~1", d215},
        {"command of 260 characters", d216, std::nullopt, "", ""},
        {"260 as read, short form fits", d216, std::nullopt, "D:\\DDDD~1", "D:\\DDDD~1"},
        {"short form too long as well", d216, std::nullopt, "D:\\" + std::string(216, 'S'), ""},
        {"directory does not fit its buffer", "", 300, "", ""},
        {"directory of exactly 260 characters", "", 260, "", ""},
        {"directory cannot be read", "", 0, "", ""},
        // Where a character takes more than one byte: 90 of them are 273
        // bytes in UTF-8, though 93 units.
        {"ANSI form too long, short form fits", "", std::nullopt, "D:\\JAPANE~1", "D:\\JAPANE~1",
         u"D:\\" + std::u16string(90, u'\u65e5')},
        {"ANSI form too long, short form too", "", std::nullopt, "D:\\" + std::string(216, 'S'), "",
         u"D:\\" + std::u16string(90, u'\u65e5')},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        fake.directory = c.directory;
        fake.directory_result = c.directory_result;
        std::u16string wide(c.directory.begin(), c.directory.end());
        if (!c.wide.empty()) {
            fake.code_page = 65001;
            fake.wide_directory = wide = c.wide;
        }
        if (!c.short_form.empty())
            fake.short_paths[wide] = std::u16string(c.short_form.begin(), c.short_form.end());
        const int code = RunLaunchSequence(fake, "BasePackCAB.ini");
        const bool launched = !c.launched.empty();
        EXPECT_EQ(code, launched ? kExitDone : kExitFolderTooLong);
        EXPECT_EQ(fake.command_line,
                  launched ? "C:\\AppMgr\\CEAPPMGR.EXE \"" + c.launched + "\\BasePackCAB.ini\""
                           : "");
        EXPECT_EQ(fake.boxes, launched ? Calls{} : Calls{kTooLongBox});
        EXPECT_EQ(fake.CallsStartingWith("FindTopLevelWindow").empty(), !launched);
    }
}

// Names the ANSI code page cannot hold. The ANSI tail is what Windows would
// cut from the best-fitted line; U+FF02 (a fullwidth quote) best-fits to '"'.
// Each row: the calls from the name checks to the start or the refusal (no
// window touched before the box, nor after it), and the command launched.
TEST(LaunchSequence, NamesOutsideTheCodePageGoOnExactlyOrNotAtAll) {
    const std::string manager = "C:\\AppMgr\\CEAPPMGR.EXE \"";
    const Calls exact_line = {"AnsiCodePage", "WideCommandLine", "WideToAnsi size"};
    const Calls recut_line = {"AnsiCodePage", "WideCommandLine", "WideToAnsi size",
                              "WideToAnsi size", "WideToAnsi"};
    const Calls exact_dir = {"WideCurrentDirectory", "WideToAnsi size", "WideToAnsi"};
    const Calls short_dir = {"WideCurrentDirectory", "WideToAnsi size", "WideShortPath",
                             "WideToAnsi size", "WideToAnsi"};
    const Calls start = {"FindTopLevelWindow Tarnivo Site Suite",
                         "FindTopLevelWindow Quellis Plotter",
                         "ShowWindow Quellis Plotter minimized", "StartProcess"};
    const Calls refused = {"ShowErrorBox foreground"};
    struct Case {
        const char *name;
        uint32_t code_page;
        std::u16string line;
        const char *tail;
        std::u16string directory;
        Calls calls;
        std::string command; // "" when nothing may run
    };
    const Case cases[] = {
        {"exact", 1252, u"launcher.exe Sample.ini", "Sample.ini", u"C:\\uni\\Caf\u00e9",
         Join({exact_line, exact_dir, start}), manager + "C:\\uni\\Caf\xe9\\Sample.ini\""},
        {"directory with a short form", 1252, u"launcher.exe Sample.ini", "Sample.ini",
         u"C:\\uni\\Setup \u5f20\u4f1f", Join({exact_line, short_dir, start}),
         manager + "C:\\uni\\SETU~3R0\\Sample.ini\""},
        {"directory without a short form", 1252, u"launcher.exe Sample.ini", "Sample.ini",
         u"C:\\uni\\\u0141\u00f3d\u017a",
         Join({exact_line,
               {"WideCurrentDirectory", "WideToAnsi size", "WideShortPath", "WideToAnsi size"},
               refused}),
         ""},
        {"tail cut again from the Unicode line", 1252,
         u"\"C:\\uni\\q\uff02 r\\launcher.exe\" Sample.ini", "r\\launcher.exe\" Sample.ini",
         u"C:\\uni", Join({recut_line, exact_dir, start}), manager + "C:\\uni\\Sample.ini\""},
        {"tail not convertible", 1252, u"launcher.exe Sample\uff02 x.ini", "Sample\" x.ini",
         u"C:\\uni", Join({exact_line, {"WideToAnsi size"}, refused}), ""},
        {"UTF-8 code page", 65001, u"launcher.exe \u5f20.ini", "\xe5\xbc\xa0.ini",
         u"C:\\uni\\\u4f1f", Join({exact_line, exact_dir, start}),
         manager + "C:\\uni\\\xe4\xbc\x9f\\\xe5\xbc\xa0.ini\""},
        {"UTF-8 code page, a surrogate without its partner", 65001, u"launcher.exe Sample.ini",
         "Sample.ini", u"C:\\uni\\Setup \xd800",
         Join({exact_line,
               {"WideCurrentDirectory", "WideShortPath", "WideToAnsi size", "WideToAnsi"},
               start}),
         manager + "C:\\uni\\SETU~3R0\\Sample.ini\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        fake.open_windows = {"Quellis Plotter"};
        fake.code_page = c.code_page;
        fake.wide_command_line = c.line;
        fake.wide_directory = c.directory;
        fake.short_paths = {{u"C:\\uni\\Setup \u5f20\u4f1f", u"C:\\uni\\SETU~3R0"},
                            {u"C:\\uni\\Setup \xd800", u"C:\\uni\\SETU~3R0"}};
        const bool launched = !c.command.empty();
        EXPECT_EQ(RunLaunchSequence(fake, c.tail), launched ? kExitDone : kExitNamesNotPassable);
        const auto from = std::find(fake.calls.begin(), fake.calls.end(), "AnsiCodePage");
        EXPECT_EQ(Calls(from, from + std::min<long>(c.calls.size(), fake.calls.end() - from)),
                  c.calls);
        EXPECT_EQ(fake.command_line, c.command);
        EXPECT_EQ(fake.boxes, launched ? Calls{} : Calls{kNotPassableBox});
        if (!launched) {
            EXPECT_EQ(fake.calls.back(), "ShowErrorBox foreground");
        }
    }
}

} // namespace
} // namespace launcher
