// End to end: the real launcher.exe under Wine, started with exact command
// lines and current directories, against the stand-in application manager
// registered in the test prefix. Only what a user or a caller could observe
// is checked: the child's module and command line, message boxes, timings
// and the exit code.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "harness.h"
#include "machine_guard.h"

namespace {

using harness::Record;

// Generous: every process start goes through Wine, and on some machines
// through an emulator as well.
constexpr DWORD kRunTimeoutMs = 120000;

constexpr char kManagerMissing[] =
    "Can not find ActiveSync. Please reinstall ActiveSync and than run this installation again.";

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (harness::AppPathsBelongToTheMachine())
            GTEST_SKIP() << "the application manager's App Paths entry belongs to an installation "
                            "on this machine, and the tests never write it";
        for (const std::string &installed : {DeviceCenterManager(), ActiveSyncManager()})
            if (GetFileAttributesA(installed.c_str()) != INVALID_FILE_ATTRIBUTES)
                GTEST_SKIP() << "the application manager is installed on this machine ("
                             << installed << "): the launcher would find it and start it";
        root_ = harness::WorkRoot();
        record_ = root_ + "\\record-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
        manager_ = root_ + "\\manager\\CEAPPMGR.EXE";
        ASSERT_TRUE(harness::PlaceStandIn(manager_));
        harness::ConfigureStandIn(record_, 0);
    }

    std::string Launcher() const { return "\"" + harness::BinDir() + "\\launcher.exe\""; }

    // Where an installation puts the application manager, expanded here as
    // the launcher, a 32-bit program of the same environment, expands it.
    static std::string Expanded(const char *text) {
        char path[MAX_PATH] = {};
        const DWORD size = ExpandEnvironmentStringsA(text, path, sizeof path);
        return size != 0 && size <= sizeof path ? path : "";
    }
    static std::string DeviceCenterManager() {
        return Expanded("%windir%\\WindowsMobile\\CEAppMgr.exe");
    }
    static std::string ActiveSyncManager() {
        return Expanded("%ProgramFiles%\\Microsoft ActiveSync\\CEAPPMGR.EXE");
    }

    // Runs the launcher with `tail` in `directory`, answering message boxes.
    harness::Run RunLauncher(const std::string &tail, const std::string &directory) {
        const std::string line = tail.empty() ? Launcher() : Launcher() + " " + tail;
        return harness::RunProgram(line, directory, kRunTimeoutMs, [this] { boxes_.Poll(); });
    }

    // Runs the launcher and calls `while_child_runs` once, as soon as the
    // stand-in has recorded its start.
    harness::Run RunLauncherDuringChild(const std::string &tail,
                                        const std::function<void()> &while_child_runs) {
        bool called = false;
        return harness::RunProgram(Launcher() + (tail.empty() ? "" : " " + tail), root_,
                                   kRunTimeoutMs, [&] {
                                       boxes_.Poll();
                                       const std::vector<Record> records = Records();
                                       if (!called && !records.empty() && !records[0].ended) {
                                           called = true;
                                           while_child_runs();
                                       }
                                   });
    }

    std::vector<Record> Records() const { return harness::ReadRecords(record_); }

    // Skips the test unless the ANSI code page is `code_page`. Where the
    // test's session was to set it (LAUNCHER_SESSION_CODE_PAGE, under Wine),
    // another one is a failure; elsewhere the machine keeps its own.
    void RequireCodePage(UINT code_page) {
        if (GetACP() == code_page) return;
        char session[16] = {};
        GetEnvironmentVariableA("LAUNCHER_SESSION_CODE_PAGE", session, sizeof session);
        if (std::to_string(code_page) == session)
            FAIL() << "code page " << GetACP() << ", not " << code_page
                   << " (932 needs LC_ALL=ja_JP.UTF-8 and LOCPATH, as its ctest entry sets)";
        GTEST_SKIP() << "runs only where the ANSI code page is " << code_page << ", not "
                     << GetACP();
    }

    // Whether the work folder's volume makes 8.3 short names: the cases that
    // rely on a folder's short form expect the launcher's refusal where it
    // does not. Says which it found.
    bool ShortNames() const {
        const bool made = harness::MakesShortNames(root_);
        std::printf(made ? "the work folder's volume makes 8.3 short names: expecting the "
                           "short-form runs\n"
                         : "the work folder's volume makes no 8.3 short names: expecting the "
                           "refusals instead of the short-form runs\n");
        return made;
    }

    // What the manager would read: the text of the file named by the one
    // quoted argument after its own path, or why there is none.
    std::string ListOpenedBy(const std::string &command) const {
        const std::string prefix = manager_ + " \"";
        if (command.compare(0, prefix.size(), prefix) != 0 || command.back() != '"')
            return "<not the manager's path and one quoted argument>";
        const std::string argument =
            command.substr(prefix.size(), command.size() - prefix.size() - 1);
        if (argument.find('"') != std::string::npos) return "<more than one argument>";
        std::string list;
        if (!harness::ReadWholeFile(argument, &list)) return "<no such file>";
        return list;
    }

    std::string root_;
    std::string record_;
    std::string manager_;
    harness::MessageBoxWatch boxes_{"Installation"};
};

// Both lookup failures: the box appears once, as it should look, and nothing
// is started.
TEST_F(LauncherTest, MissingManagerIsReportedOnceAndNothingRuns) {
    struct Case {
        const char *name;
        bool (*arrange)();
    };
    const Case cases[] = {
        {"key missing", [] { return harness::UnregisterManager(); }},
        {"default value missing", [] { return harness::RegisterKeyWithoutValue(); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        boxes_ = harness::MessageBoxWatch("Installation");
        ASSERT_TRUE(c.arrange());
        const harness::Run run = RunLauncher("BasePackCAB.ini", root_);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exit_code, 0u);
        ASSERT_EQ(boxes_.Seen().size(), 1u);
        const harness::MessageBoxView &box = boxes_.Seen()[0];
        EXPECT_EQ(box.caption, "Installation");
        EXPECT_EQ(box.text, kManagerMissing);
        EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
        EXPECT_TRUE(box.error_icon);
        EXPECT_TRUE(Records().empty());
    }
}

// Where the launcher finds the manager: the registration, expanded when it
// is stored expandable, when it names a file; else the device center's
// folder, then ActiveSync's, with stand-ins planted there for the row (and
// removed after it, or by the next run after a kill). Nothing anywhere: the
// report, and nothing runs. The caller's windir and ProgramFiles, pointing at
// a folder of stand-ins or unset (their names then lead into the working
// folder, where stand-ins lie too), and a relative registration never choose
// the program: Windows' own folders do.
TEST_F(LauncherTest, ManagerIsFoundWhereWindowsPutIt) {
    const std::string center = DeviceCenterManager();
    const std::string activesync = ActiveSyncManager();
    const std::string gone = root_ + "\\gone\\CEAPPMGR.EXE";
    ASSERT_FALSE(center.empty() || activesync.empty());
    SetEnvironmentVariableA("E2E_ROOT", root_.c_str()); // the launcher inherits it
    SetEnvironmentVariableA("E2E_LONG", std::string(300, 'x').c_str());
    struct RemovedAtTheEnd {
        ~RemovedAtTheEnd() { harness::RemovePlanted(); }
    } planted_for_the_test;
    const std::string poison = root_ + "\\poison";
    for (const std::string &decoy :
         {poison + "\\WindowsMobile\\CEAppMgr.exe", poison + "\\Microsoft ActiveSync\\CEAPPMGR.EXE",
          root_ + "\\%windir%\\WindowsMobile\\CEAppMgr.exe",
          root_ + "\\%ProgramFiles%\\Microsoft ActiveSync\\CEAPPMGR.EXE"})
        ASSERT_TRUE(harness::PlaceStandIn(decoy));
    // The variables as this program has them, handed on as a row says and
    // put back after each row.
    enum Environment { kAsIs, kPoisoned, kUnset };
    struct Variables {
        std::vector<std::pair<std::string, std::string>> saved; // "" for unset
        void HandOn(Environment environment, const std::string &poison) const {
            for (const auto &[name, value] : saved)
                SetEnvironmentVariableA(name.c_str(), environment == kPoisoned ? poison.c_str()
                                                      : environment == kUnset || value.empty()
                                                          ? nullptr
                                                          : value.c_str());
        }
        ~Variables() { HandOn(kAsIs, ""); }
    } variables;
    for (const char *name : {"windir", "ProgramFiles", "ProgramFiles(x86)"}) {
        char value[MAX_PATH] = {};
        GetEnvironmentVariableA(name, value, sizeof value);
        variables.saved.emplace_back(name, value);
    }

    struct Case {
        const char *name;
        DWORD type;          // of the registration; 0 for no key
        std::string value;   // its data
        std::string file;    // a stand-in planted there, or ""
        std::string folder;  // a folder planted there, or ""
        std::string started; // the module that must run, or "" for the report
        Environment environment = kAsIs;
    };
    const Case cases[] = {
        // First: the case that the kill test of the machine guard stops.
        {"a registration and the device center's file: the registration", REG_SZ, manager_, center,
         "", manager_},
        {"an expandable value, expanded", REG_EXPAND_SZ, "%E2E_ROOT%\\manager\\CEAPPMGR.EXE", "",
         "", manager_},
        {"an expansion too long: the folders are tried", REG_EXPAND_SZ, "%E2E_LONG%\\CEAPPMGR.EXE",
         center, "", center},
        {"no key, the device center's file", 0, "", center, "", center},
        {"no key, only ActiveSync's file", 0, "", activesync, "", activesync},
        {"a registration naming a missing file, nothing installed", REG_SZ, gone, "", "", ""},
        {"a registration naming a missing file, the device center's file", REG_SZ, gone, center, "",
         center},
        {"a folder named CEAppMgr.exe is not taken", 0, "", activesync, center, activesync},
        {"poisoned, nothing installed", 0, "", "", "", "", kPoisoned},
        {"poisoned, the device center's file", 0, "", center, "", center, kPoisoned},
        {"poisoned, only ActiveSync's file", 0, "", activesync, "", activesync, kPoisoned},
        {"poisoned, an expandable registration", REG_EXPAND_SZ,
         "%ProgramFiles%\\Microsoft ActiveSync\\CEAPPMGR.EXE", activesync, "", activesync,
         kPoisoned},
        {"unset, nothing installed", 0, "", "", "", "", kUnset},
        {"unset, the device center's file", 0, "", center, "", center, kUnset},
        {"a registration relative to the working folder", REG_SZ, "manager\\CEAPPMGR.EXE", "", "",
         ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        harness::RemovePlanted();
        boxes_ = harness::MessageBoxWatch("Installation");
        harness::ConfigureStandIn(record_, 0);
        if (c.type == 0) {
            ASSERT_TRUE(harness::UnregisterManager());
        } else {
            ASSERT_TRUE(harness::RegisterManagerRaw(c.type, c.value.c_str(),
                                                    static_cast<DWORD>(c.value.size() + 1)));
        }
        std::string why;
        ASSERT_TRUE(c.file.empty() || harness::Plant(c.file, false, &why)) << why;
        ASSERT_TRUE(c.folder.empty() || harness::Plant(c.folder, true, &why)) << why;
        variables.HandOn(c.environment, poison);
        const harness::Run run = RunLauncher("SampleCAB.ini", root_);
        variables.HandOn(kAsIs, poison);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exit_code, 0u);
        const std::vector<Record> records = Records();
        if (c.started.empty()) {
            EXPECT_EQ(boxes_.Seen().size(), 1u);
            EXPECT_TRUE(records.empty());
            continue;
        }
        EXPECT_TRUE(boxes_.Seen().empty());
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].module, c.started);
        EXPECT_EQ(records[0].command, c.started + " \"" + root_ + "\\SampleCAB.ini\"");
        std::printf("%s: the manager got %s\n", c.name, records[0].command.c_str());
    }
}

// DLLs that Windows loads on demand, for the message box's themes and input
// methods, planted beside a copy of the launcher: none is ever loaded, as
// the launcher has Windows take them from System32 only. Wine always loads
// its own system DLLs, so there the test would prove nothing.
TEST_F(LauncherTest, DllsBesideTheLauncherAreNeverLoaded) {
    if (harness::UnderWine())
        GTEST_SKIP() << "Wine loads its own system DLLs whatever lies beside a program";
    ASSERT_TRUE(harness::UnregisterManager());
    const std::string folder = root_ + "\\planted";
    ASSERT_TRUE(harness::MakeDirs(folder));
    const std::string record = folder + "\\planted-dll-loaded.txt";
    DeleteFileA(record.c_str());
    ASSERT_TRUE(CopyFileA((harness::BinDir() + "\\launcher.exe").c_str(),
                          (folder + "\\launcher.exe").c_str(), FALSE));
    for (const char *name : {"uxtheme.dll", "dwmapi.dll", "version.dll", "TextInputFramework.dll",
                             "CoreMessaging.dll", "CoreUIComponents.dll", "WinTypes.dll"})
        ASSERT_TRUE(CopyFileA((harness::BinDir() + "\\planted.dll").c_str(),
                              (folder + "\\" + name).c_str(), FALSE));
    const harness::Run run = harness::RunProgram("\"" + folder + "\\launcher.exe\" Sample.ini",
                                                 folder, kRunTimeoutMs, [this] { boxes_.Poll(); });
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(boxes_.Seen().size(), 1u);
    std::string loaded;
    EXPECT_FALSE(harness::ReadWholeFile(record, &loaded)) << "loaded: " << loaded;
}

// The child's module and command line, for bare and install-list runs, in
// ordinary folders and at a drive root (a drive made for the test), with registered paths with and
// without blanks. A search through an unquoted path with blanks would try
// "...\App.exe" first: a program planted there must never run.
TEST_F(LauncherTest, StartsTheRegisteredModuleWithTheComposedCommandLine) {
    const std::string spaced = root_ + "\\App Manager\\CE App Mgr.exe";
    const std::string planted = root_ + "\\App.exe";
    ASSERT_TRUE(harness::PlaceStandIn(spaced));
    ASSERT_TRUE(harness::PlaceStandIn(planted));
    const std::string setup = root_ + "\\Setup";
    ASSERT_TRUE(harness::MakeDirs(setup));
    const harness::DriveRoot drive(root_ + "\\drive-t");

    struct Case {
        const char *name;
        std::string registered;
        std::string module;
        std::string tail;
        std::string directory;
        std::string command;
    };
    const Case cases[] = {
        {"bare", manager_, manager_, "", setup, manager_},
        {"install list", manager_, manager_, "BasePackCAB.ini", setup,
         manager_ + " \"" + setup + "\\BasePackCAB.ini\""},
        {"drive root", manager_, manager_, "PlotterCAB.ini", drive.Drive() + "\\",
         manager_ + " \"" + drive.Drive() + "\\\\PlotterCAB.ini\""},
        {"quoted tail with blanks", manager_, manager_, "\"My List.ini\"", setup,
         manager_ + " \"" + setup + "\\\"My List.ini\"\""},
        {"blanks in path, bare", spaced, spaced, "", setup, spaced},
        {"blanks in path, install list", spaced, spaced, "SiteWorkCAB.ini", setup,
         spaced + " \"" + setup + "\\SiteWorkCAB.ini\""},
        {"quoted path with blanks", "\"" + spaced + "\"", spaced, "SiteWorkCAB.ini", setup,
         "\"" + spaced + "\" \"" + setup + "\\SiteWorkCAB.ini\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.directory == "\\") {
            std::printf("skipped \"%s\": no drive letter could be substituted\n", c.name);
            continue;
        }
        harness::ConfigureStandIn(record_, 0);
        ASSERT_TRUE(harness::RegisterManager(c.registered));
        const harness::Run run = RunLauncher(c.tail, c.directory);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exit_code, 0u);
        EXPECT_TRUE(boxes_.Seen().empty());
        const std::vector<Record> records = Records();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].module, c.module);
        EXPECT_EQ(records[0].command, c.command);
    }
}

// The launcher returns only after the child has ended, at the first poll
// after its end, whatever its exit code, 259 included, and however short
// its run.
TEST_F(LauncherTest, ReturnsSoonAfterTheChildHasEnded) {
    ASSERT_TRUE(harness::RegisterManager(manager_));
    struct Case {
        const char *name;
        DWORD run_ms;
        DWORD exit_code;
    };
    const Case cases[] = {
        {"runs 3 s", 3000, 0},
        {"ends with 259", 3000, 259},
        {"exits at once", 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        harness::ConfigureStandIn(record_, c.run_ms, c.exit_code);
        const harness::Run run = RunLauncher("BasePackCAB.ini", root_);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exit_code, 0u);
        const std::vector<Record> records = Records();
        ASSERT_EQ(records.size(), 1u);
        ASSERT_TRUE(records[0].ended);
        // Seen gone at a poll: after its end, and at most one poll interval
        // (1.5 s) later, with room for a slow machine.
        EXPECT_GE(static_cast<LONG>(run.end_tick - records[0].end), 0);
        EXPECT_LE(run.end_tick - records[0].end, 1500u + 3000u);
    }
}

// A registered file that Windows refuses to start, with the primary suite
// window open: nothing to wait for and no settling pause, the window shown
// again, one box in front that says where the manager is and Windows' own
// words for why, and exit code 3, within a few seconds.
TEST_F(LauncherTest, UnstartableProgramIsTold) {
    const std::string text = root_ + "\\text\\CEAPPMGR.EXE";
    const std::string empty = root_ + "\\empty\\CEAPPMGR.EXE";
    ASSERT_TRUE(harness::MakeDirs(root_ + "\\text") && harness::MakeDirs(root_ + "\\empty"));
    ASSERT_TRUE(harness::WriteWholeFile(text, "[Version]\r\nNot a program\r\n"));
    ASSERT_TRUE(harness::WriteWholeFile(empty, ""));
    const std::pair<std::string, const char *> cases[] = {
        {text, ""}, {text, "BasePackCAB.ini"}, {empty, "BasePackCAB.ini"}};
    harness::DesktopWindows windows({"Tarnivo Site Suite"});
    for (const auto &[file, tail] : cases) {
        SCOPED_TRACE(file + " " + tail);
        boxes_ = harness::MessageBoxWatch("Installation");
        ASSERT_TRUE(harness::RegisterManager(file));
        const harness::Run run = RunLauncher(tail, root_);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exit_code, 3u);
        ASSERT_EQ(boxes_.Seen().size(), 1u);
        const std::string &said = boxes_.Seen()[0].text;
        std::printf("the box says: %s\n", said.c_str());
        EXPECT_EQ(said.rfind("The application manager was found at " + file +
                                 ", but Windows could not start it:",
                             0),
                  0u);
        EXPECT_TRUE(boxes_.Seen()[0].error_icon);
        EXPECT_TRUE(Records().empty());
        EXPECT_TRUE(windows.Becomes("Tarnivo Site Suite", false, 5000));
        EXPECT_LT(run.end_tick - run.start_tick, 15000u);
    }
}

// Started on a window station that nobody sees, as a deployment running as
// SYSTEM starts it: a box there could never be dismissed, so none is shown
// and each run ends as after its box, with its exit code (a box would hold
// the run until its time-out).
TEST_F(LauncherTest, NoBoxWaitsOnAWindowStationNobodySees) {
    HWINSTA mine = GetProcessWindowStation();
    HWINSTA unseen = CreateWindowStationA("launcher-unseen", 0, WINSTA_ALL_ACCESS, nullptr);
    ASSERT_NE(unseen, nullptr);
    ASSERT_TRUE(SetProcessWindowStation(unseen));
    HDESK desktop = CreateDesktopA("Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    ASSERT_TRUE(SetProcessWindowStation(mine));
    ASSERT_NE(desktop, nullptr);
    const std::pair<std::string, DWORD> cases[] = {{"Sample.ini", 0}, {std::string(2000, 'x'), 1}};
    ASSERT_TRUE(harness::UnregisterManager());
    for (const auto &[tail, code] : cases) {
        SCOPED_TRACE(code);
        const harness::Run run = harness::RunProgram(Launcher() + " " + tail, root_, 30000, nullptr,
                                                     "launcher-unseen\\Default");
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exit_code, code);
        ASSERT_TRUE(harness::RegisterManager(manager_));
    }
    CloseDesktop(desktop);
    CloseWindowStation(unseen);
}

// A folder so deep that the install command would be 270 characters: the
// manager gets the folder's short form, which opens the very list; on a
// volume without short forms the launcher refuses. (Tails too long for any
// command are refused in the hostile-command-line table.)
TEST_F(LauncherTest, DeepFolderIsPassedOnInItsShortForm) {
    ASSERT_TRUE(harness::RegisterManager(manager_));
    // The manager's path, ` "`, `\`, "BasePackCAB.ini" and `"` go around it.
    const size_t around = manager_.size() + 19;
    std::string deep = root_ + "\\long";
    while (around + deep.size() + 27 <= 270) deep += "\\folder-of-the-installation";
    deep += "\\" + std::string(270 - around - deep.size() - 1, 'f');
    ASSERT_EQ(around + deep.size(), 270u);
    ASSERT_LT(deep.size(), 248u); // still a directory a process can start in
    ASSERT_TRUE(harness::MakeDirs(deep));
    ASSERT_TRUE(harness::WriteWholeFile(deep + "\\BasePackCAB.ini", "the deep list"));

    const harness::Run run = RunLauncher("BasePackCAB.ini", deep);
    ASSERT_TRUE(run.ended);
    const std::vector<Record> records = Records();
    if (!ShortNames()) {
        EXPECT_EQ(run.exit_code, 1u);
        EXPECT_EQ(boxes_.Seen().size(), 1u);
        EXPECT_TRUE(records.empty());
        return;
    }
    EXPECT_EQ(run.exit_code, 0u);
    EXPECT_TRUE(boxes_.Seen().empty());
    ASSERT_EQ(records.size(), 1u);
    std::printf("received: %s\n", records[0].command.c_str());
    EXPECT_LE(records[0].command.size(), 259u);
    EXPECT_EQ(ListOpenedBy(records[0].command), "the deep list");
}

// Companion software open on the desktop: the first title of the list is
// minimized while the manager runs, the others are left alone, and it is
// shown normal again once the launcher returns.
TEST_F(LauncherTest, SuiteWindowMakesWayWhileTheManagerRuns) {
    ASSERT_TRUE(harness::RegisterManager(manager_));
    const std::vector<std::string> all = {"Tarnivo Site Suite", "Quellis Plotter",
                                          "Brovane Stakeout", "Selkirra Kit"};
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
        harness::ConfigureStandIn(record_, 3000);
        harness::DesktopWindows windows(c.open);
        std::vector<std::string> iconic_during;
        const harness::Run run = RunLauncherDuringChild(c.tail, [&] {
            windows.Becomes(c.handled, true, 2000);
            for (const std::string &title : c.open)
                if (IsIconic(windows.Get(title))) iconic_during.push_back(title);
        });
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exit_code, 0u);
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
    ASSERT_TRUE(harness::RegisterManager(manager_));
    harness::ConfigureStandIn(record_, 3000);
    harness::DesktopWindows windows({"Quellis Plotter"});
    bool was_iconic = false;
    const harness::Run run = RunLauncherDuringChild("Sample.ini", [&] {
        was_iconic = windows.Becomes("Quellis Plotter", true, 2000);
        windows.Close("Quellis Plotter");
    });
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exit_code, 0u);
    EXPECT_TRUE(was_iconic);
    EXPECT_EQ(Records().size(), 1u);
}

// Without an application manager no window is touched.
TEST_F(LauncherTest, SuiteWindowUntouchedWhenTheManagerIsMissing) {
    ASSERT_TRUE(harness::UnregisterManager());
    harness::DesktopWindows windows({"Tarnivo Site Suite"});
    bool iconic_while_box = false;
    const harness::Run run =
        harness::RunProgram(Launcher() + " Sample.ini", root_, kRunTimeoutMs, [&] {
            iconic_while_box |= IsIconic(windows.Get("Tarnivo Site Suite")) != FALSE;
            boxes_.Poll();
        });
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exit_code, 0u);
    EXPECT_EQ(boxes_.Seen().size(), 1u);
    EXPECT_FALSE(iconic_while_box);
    EXPECT_FALSE(IsIconic(windows.Get("Tarnivo Site Suite")));
}

// The primary suite window open and a list with a minimum: the launcher
// holds on until 60 s after the launch, though the manager ran only 2 s. It
// costs a minute; LAUNCHER_SKIP_LONG_TESTS=1 skips it.
TEST_F(LauncherTest, SettlingPauseHoldsUntilTheMinimumHasPassed) {
    if (GetEnvironmentVariableA("LAUNCHER_SKIP_LONG_TESTS", nullptr, 0) != 0)
        GTEST_SKIP() << "LAUNCHER_SKIP_LONG_TESTS is set";
    ASSERT_TRUE(harness::RegisterManager(manager_));
    harness::ConfigureStandIn(record_, 2000);
    harness::DesktopWindows windows({"Tarnivo Site Suite"});
    const harness::Run run = RunLauncher("PlotterCAB.ini", root_);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exit_code, 0u);
    const std::vector<Record> records = Records();
    ASSERT_EQ(records.size(), 1u);
    // The launch tick is read between the launcher's start and the child's:
    // 60 s after it lies between 60 s after each of them.
    const DWORD since_child_start = run.end_tick - records[0].start;
    const DWORD since_launcher_start = run.end_tick - run.start_tick;
    std::printf("returned %lu ms after the child started, %lu ms after the launcher started\n",
                static_cast<unsigned long>(since_child_start),
                static_cast<unsigned long>(since_launcher_start));
    EXPECT_LE(since_child_start, 60000u + 3000u);
    EXPECT_GE(since_launcher_start, 60000u);
    EXPECT_TRUE(windows.Becomes("Tarnivo Site Suite", false, 5000));
}

// The same list with only a row-2 window open: no pause at all.
TEST_F(LauncherTest, NoSettlingPauseWithoutThePrimaryWindow) {
    ASSERT_TRUE(harness::RegisterManager(manager_));
    harness::ConfigureStandIn(record_, 2000);
    harness::DesktopWindows windows({"Quellis Plotter"});
    const harness::Run run = RunLauncher("PlotterCAB.ini", root_);
    ASSERT_TRUE(run.ended);
    const std::vector<Record> records = Records();
    ASSERT_EQ(records.size(), 1u);
    ASSERT_TRUE(records[0].ended);
    EXPECT_LE(run.end_tick - records[0].end, 1500u + 3000u);
}

// A suite window whose application has stopped answering messages: the
// launcher must neither wait for it nor be held by it.
TEST_F(LauncherTest, HungSuiteWindowDoesNotHoldTheLauncher) {
    ASSERT_TRUE(harness::RegisterManager(manager_));
    harness::ConfigureStandIn(record_, 0);
    harness::DesktopWindows windows({"Quellis Plotter"}, /*hung=*/true);
    const harness::Run run = RunLauncher("Sample.ini", root_);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exit_code, 0u);
    EXPECT_EQ(Records().size(), 1u);
    EXPECT_LT(run.end_tick - run.start_tick, 20000u);
}

// Odd App Paths values: each runs the right program or, naming no file,
// ends with the report; no cut path is ever started.
TEST_F(LauncherTest, OddRegistryValuesNeverStartACutPath) {
    // A stand-in whose full path is exactly 259 characters.
    std::string deep = root_ + "\\deep";
    const std::string exe = "\\CEAPPMGR.EXE";
    deep += "\\" + std::string(259 - deep.size() - 1 - exe.size(), 'd');
    const std::string path259 = deep + exe;
    ASSERT_EQ(path259.size(), 259u);
    ASSERT_TRUE(harness::PlaceStandIn(path259));
    const std::string path260 = deep + "x" + exe; // one more; never placed

    struct Case {
        const char *name;
        DWORD type;
        std::string data;   // exactly the bytes stored
        std::string module; // the program that must run, or "" for none
        bool report;        // the "can not find" message box
    };
    const Case cases[] = {
        {"empty string", REG_SZ, std::string(1, '\0'), "", true},
        {"REG_EXPAND_SZ", REG_EXPAND_SZ, manager_ + '\0', manager_, false},
        {"REG_DWORD", REG_DWORD, std::string("\x05\0\0\0", 4), "", true},
        {"259 characters", REG_SZ, path259 + '\0', path259, false},
        {"260 characters", REG_SZ, path260 + '\0', "", true},
        {"no terminating NUL", REG_SZ, manager_, manager_, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        boxes_ = harness::MessageBoxWatch("Installation");
        harness::ConfigureStandIn(record_, 0);
        // A byte that is not NUL right after the data, so that none is
        // counted in when the data has none.
        const std::string stored = c.data + 'X';
        ASSERT_TRUE(
            harness::RegisterManagerRaw(c.type, stored.data(), static_cast<DWORD>(c.data.size())));
        const harness::Run run = RunLauncher("", root_);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exit_code, 0u);
        EXPECT_EQ(boxes_.Seen().size(), c.report ? 1u : 0u);
        const std::vector<Record> records = Records();
        if (c.module.empty()) {
            EXPECT_TRUE(records.empty());
        } else {
            ASSERT_EQ(records.size(), 1u);
            EXPECT_EQ(records[0].module, c.module);
        }
    }
}

// Command lines of every shape reach the launcher exactly as written; the
// child gets the list's name as the tail was cut, or nothing runs and the
// suite window is never touched.
TEST_F(LauncherTest, HostileCommandLinesAreCutByTheLaunchersOwnRule) {
    ASSERT_TRUE(harness::RegisterManager(manager_));
    harness::DesktopWindows windows({"Quellis Plotter"});
    // A copy of the launcher under a path with bytes from 0x80 up (an E-acute
    // and a no-break space in code page 1252), to be started unquoted.
    const std::string accented = root_ + "\\Caf\xe9\xa0Setup\\launcher.exe";
    harness::MakeDirs(accented.substr(0, accented.find_last_of('\\')));
    ASSERT_TRUE(CopyFileA((harness::BinDir() + "\\launcher.exe").c_str(), accented.c_str(), FALSE));
    const std::string launcher = Launcher();
    const std::string list = " \"" + root_ + "\\";

    struct Case {
        const char *name;
        std::string line;
        std::string command; // the child's, or "" when nothing may run
    };
    const Case cases[] = {
        {"bytes from 0x80 up in an unquoted program path", accented + " Sample.ini",
         manager_ + list + "Sample.ini\""},
        {"tabs and control bytes", launcher + "\t\x01\x1f Sample.ini",
         manager_ + list + "Sample.ini\""},
        {"a tail of 2,000 bytes", launcher + " " + std::string(2000, 'x'), ""},
        {"a tail of 30,000 bytes", launcher + " " + std::string(30000, 'y'), ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        boxes_ = harness::MessageBoxWatch("Installation");
        harness::ConfigureStandIn(record_, 0);
        const int minimized = windows.TimesMinimized("Quellis Plotter");
        const harness::Run run =
            harness::RunProgram(c.line, root_, kRunTimeoutMs, [this] { boxes_.Poll(); });
        ASSERT_TRUE(run.ended);
        const std::vector<Record> records = Records();
        EXPECT_EQ(windows.TimesMinimized("Quellis Plotter") - minimized, c.command.empty() ? 0 : 1);
        if (c.command.empty()) {
            EXPECT_EQ(run.exit_code, 1u);
            EXPECT_TRUE(records.empty());
            EXPECT_EQ(boxes_.Seen().size(), 1u);
        } else {
            EXPECT_EQ(run.exit_code, 0u);
            ASSERT_EQ(records.size(), 1u);
            EXPECT_EQ(records[0].command, c.command);
        }
    }
}

// Installation authors' installers, each built from the script the guide
// for installation authors shows (NSIS, Inno Setup, MSI) and run silently into
// a folder with a blank: each puts the launcher and its list there and runs
// it there, waits for it, and NSIS and Inno Setup keep its exit code. From a
// folder too deep for the command even in short form (8.3 names are their own
// short form) the launcher refuses: NSIS goes on, the MSI fails and is rolled
// back, its folder gone.
TEST_F(LauncherTest, InstallersFromTheGuideHandTheirListOver) {
    ASSERT_TRUE(harness::RegisterManager(manager_));
    // Too deep even in short form, whatever the checkout's own folders shorten
    // to (if the volume makes short names at all): the depth is counted on the
    // root's short form.
    ShortNames();
    char short_root[MAX_PATH];
    const DWORD short_size = GetShortPathNameA(root_.c_str(), short_root, MAX_PATH);
    ASSERT_TRUE(short_size > 0 && short_size < MAX_PATH);
    const auto too_deep = [&](const std::string &first) {
        std::string deep = root_ + "\\" + first;
        for (size_t short_deep = short_size + 9; manager_.size() + short_deep + 17 <= 259;
             short_deep += 9)
            deep += "\\abcdefgh";
        return deep;
    };
    const std::string built = harness::BinDir() + "\\..\\";
    const std::string nsis = "\"" + built + "nsis\\example-installer.exe\" /S /D=";
    const std::string inno =
        "\"" + built + "inno\\example-installer.exe\" /VERYSILENT /SUPPRESSMSGBOXES \"/DIR=";
    const std::string msi =
        "msiexec /i \"" + built + "msi\\example-installer.msi\" /qn DEVICEFOLDER=\"";
    struct Case {
        const char *name;
        std::string installer; // file
        std::string line;      // the command line, less the folder and `close`
        std::string close;
        std::string folder;
        int kept;       // the launcher's exit code as the installer kept it; -1: none kept
        bool installed; // the installer ends with 0; else it fails and rolls back
    };
    const Case cases[] = {
        {"NSIS", built + "nsis\\example-installer.exe", nsis, "",
         root_ + "\\nsis\\Example Device Files", 0, true},
        {"NSIS, a folder too deep for the command", built + "nsis\\example-installer.exe", nsis, "",
         too_deep("nsisdeep"), 1, true},
        {"Inno Setup", built + "inno\\example-installer.exe", inno, "\"",
         root_ + "\\inno\\Example Device Files", 0, true},
        {"MSI", built + "msi\\example-installer.msi", msi, "\"",
         root_ + "\\msi\\Example Device Files", -1, true},
        {"MSI, a folder too deep for the command", built + "msi\\example-installer.msi", msi, "\"",
         too_deep("msideep"), -1, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (GetFileAttributesA(c.installer.c_str()) == INVALID_FILE_ATTRIBUTES) {
            std::printf("skipped \"%s\": no %s (its tool was missing at build time, or the "
                        "test kit does not carry it)\n",
                        c.name, c.installer.c_str());
            continue;
        }
        // An MSI installed by an earlier run would not run its action again.
        const bool is_msi = c.line == msi;
        const std::string uninstall = "msiexec /x \"" + c.installer + "\" /qn";
        if (is_msi) harness::RunProgram(uninstall, root_, kRunTimeoutMs);
        boxes_ = harness::MessageBoxWatch("Installation");
        harness::ConfigureStandIn(record_, 3000);
        const std::string kept = c.folder + "\\launcher-exit-code.txt";
        DeleteFileA(kept.c_str());
        // The installer goes on, and writes the code, only once the launcher
        // has ended: never are both seen at once (the file is looked at
        // first), though the launcher is seen running.
        bool launcher_seen = false;
        bool both_seen = false;
        const harness::Run run =
            harness::RunProgram(c.line + c.folder + c.close, root_, kRunTimeoutMs, [&] {
                boxes_.Poll();
                const bool written = GetFileAttributesA(kept.c_str()) != INVALID_FILE_ATTRIBUTES;
                const bool running = harness::IsRunning("launcher.exe");
                launcher_seen |= running;
                both_seen |= written && running;
            });
        ASSERT_TRUE(run.ended);
        std::printf("%s: the installer ended with %lu\n", c.name,
                    static_cast<unsigned long>(run.exit_code));
        EXPECT_TRUE(launcher_seen);
        EXPECT_FALSE(both_seen);
        if (c.installed) {
            EXPECT_EQ(run.exit_code, 0u);
        } else {
            // 1603 on Windows; Wine says 1627.
            EXPECT_TRUE(run.exit_code == 1603 || run.exit_code == 1627) << run.exit_code;
            EXPECT_EQ(GetFileAttributesA(c.folder.c_str()), INVALID_FILE_ATTRIBUTES);
        }
        if (c.kept >= 0) {
            std::string code;
            ASSERT_TRUE(harness::ReadWholeFile(kept, &code));
            EXPECT_EQ(code, std::to_string(c.kept));
            std::printf("%s: the installer kept exit code %s\n", c.name, code.c_str());
        }
        const std::vector<Record> records = Records();
        if (c.kept > 0 || !c.installed) {
            EXPECT_TRUE(records.empty());
            EXPECT_EQ(boxes_.Seen().size(), 1u);
            continue;
        }
        ASSERT_EQ(records.size(), 1u);
        EXPECT_TRUE(records[0].ended);
        EXPECT_EQ(records[0].command, manager_ + " \"" + c.folder + "\\SampleCAB.ini\"");
        EXPECT_EQ(records[0].directory, c.folder);
        std::printf("%s: the manager got %s, in %s\n", c.name, records[0].command.c_str(),
                    records[0].directory.c_str());
        if (is_msi) harness::RunProgram(uninstall, root_, kRunTimeoutMs);
    }
}

// Names outside code page 1252, started with CreateProcessW as Windows
// hands them on; a refusal leaves the suite window untouched. U+FF02 (a fullwidth quote) best-fits
// to a real '"', Ł and ź to L and z. Every list holds its own text, and the manager must have got
// one quoted argument that opens that very list, or nothing may run.
TEST_F(LauncherTest, NamesOutsideTheCodePageReachTheVeryList) {
    RequireCodePage(1252);
    if (HasFatalFailure() || IsSkipped()) return;
    ASSERT_TRUE(harness::RegisterManager(manager_));
    const std::wstring uni = harness::Widen(root_) + L"\\uni";
    const std::wstring plain = uni + L"\\plain";
    const std::wstring quoted_folder = uni + L"\\q\uFF02 r";
    const std::wstring folders[] = {uni,
                                    plain,
                                    uni + L"\\Setup \u5F20\u4F1F",
                                    uni + L"\\\u0141\u00F3d\u017A",
                                    uni + L"\\L\u00F3dz",
                                    uni + L"\\a\uFF02 b",
                                    uni + L"\\Caf\u00E9",
                                    quoted_folder};
    for (const std::wstring &folder : folders) {
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
        ASSERT_TRUE(harness::WriteWholeFile(folder + L"\\SampleCAB.ini",
                                            "list in " +
                                                std::to_string(std::hash<std::wstring>()(folder))));
    }
    const std::wstring launcher = harness::Widen(harness::BinDir()) + L"\\launcher.exe";
    ASSERT_TRUE(CopyFileW(launcher.c_str(), (quoted_folder + L"\\launcher.exe").c_str(), FALSE));

    struct Case {
        const char *name;
        std::wstring launcher;
        std::wstring tail;
        std::wstring directory;
        std::string command; // byte for byte when given
        bool refused;
        bool short_form = false; // refused where the volume makes no short names
    };
    const Case cases[] = {
        {"folder in another script", launcher, L"SampleCAB.ini", folders[2], "", false, true},
        {"folder that best-fits to another's name", launcher, L"SampleCAB.ini", folders[3], "",
         false, true},
        {"folder with a fullwidth quote", launcher, L"SampleCAB.ini", folders[5], "", false, true},
        {"launcher in a folder with a fullwidth quote", quoted_folder + L"\\launcher.exe",
         L"SampleCAB.ini", plain, "", false},
        {"tail with a fullwidth quote", launcher, L"Sample\uFF02 x.ini", plain, "", true},
        {"folder within the code page", launcher, L"SampleCAB.ini", folders[6],
         manager_ + " \"" + root_ + "\\uni\\Caf\xE9\\SampleCAB.ini\"", false},
    };
    const bool short_names = ShortNames();
    harness::DesktopWindows windows({"Quellis Plotter"});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        boxes_ = harness::MessageBoxWatch("Installation");
        harness::ConfigureStandIn(record_, 0);
        const int minimized = windows.TimesMinimized("Quellis Plotter");
        const harness::Run run =
            harness::RunProgram(L"\"" + c.launcher + L"\" " + c.tail, c.directory, kRunTimeoutMs,
                                [this] { boxes_.Poll(); });
        ASSERT_TRUE(run.ended);
        const std::vector<Record> records = Records();
        const bool refused = c.refused || (c.short_form && !short_names);
        EXPECT_EQ(windows.TimesMinimized("Quellis Plotter") - minimized, refused ? 0 : 1);
        if (refused) {
            EXPECT_EQ(run.exit_code, 2u);
            EXPECT_TRUE(records.empty());
            EXPECT_EQ(boxes_.Seen().size(), 1u);
            continue;
        }
        EXPECT_EQ(run.exit_code, 0u);
        ASSERT_EQ(records.size(), 1u);
        const std::string &command = records[0].command;
        std::printf("%s: %s\n", c.name, command.c_str());
        if (!c.command.empty()) EXPECT_EQ(command, c.command);
        EXPECT_EQ(ListOpenedBy(command),
                  "list in " + std::to_string(std::hash<std::wstring>()(c.directory)));
    }
}

// Under a double-byte code page: 932, which Wine takes from LC_ALL=ja_JP.UTF-8
// in the environment it was started in (this test's ctest entry sets it, with
// the locale compiled into the build tree so that Japanese file names can be
// made). Trail bytes equal to a backslash, in the launcher's own folder and in
// the list's name, stay part of their characters, also when the names come
// in Unicode, and a line that ends in a lead byte ends the run normally.
TEST_F(LauncherTest, DoubleByteCommandLinesUnderCodePage932) {
    RequireCodePage(932);
    if (HasFatalFailure() || IsSkipped()) return;
    ASSERT_TRUE(harness::RegisterManager(manager_));
    // Two characters whose trail bytes are both 0x5C.
    const std::string folder = root_ + "\\\x95\x5c\x83\x5c";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
    const std::string launcher = folder + "\\launcher.exe";
    ASSERT_TRUE(CopyFileA((harness::BinDir() + "\\launcher.exe").c_str(), launcher.c_str(), FALSE));
    const std::string list = " \"" + folder + "\\";

    struct Case {
        const char *name;
        std::string line;
        std::string command;
        bool unicode = false; // started with CreateProcessW
    };
    const Case cases[] = {
        {"unquoted program path", launcher + " \x95\x5c\x83\x5c.ini",
         manager_ + list + "\x95\x5c\x83\x5c.ini\""},
        {"quoted program path", "\"" + launcher + "\" \x82\xa0 \x82\xa2.ini",
         manager_ + list + "\x82\xa0 \x82\xa2.ini\""},
        {"started in Unicode", "\"" + launcher + "\" \x95\x5c\x83\x5c.ini",
         manager_ + list + "\x95\x5c\x83\x5c.ini\"", true},
        // Command lines travel as Unicode between processes, and the lone
        // lead byte does not survive the conversion: the launcher never sees
        // it (its own tests cover one).
        {"a lead byte at the end of the line", launcher + " Sample.ini\x82",
         manager_ + list + "Sample.ini\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        harness::ConfigureStandIn(record_, 0);
        const auto poll = [this] { boxes_.Poll(); };
        const harness::Run run =
            c.unicode ? harness::RunProgram(harness::Widen(c.line), harness::Widen(folder),
                                            kRunTimeoutMs, poll)
                      : harness::RunProgram(c.line, folder, kRunTimeoutMs, poll);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exit_code, 0u);
        EXPECT_TRUE(boxes_.Seen().empty());
        const std::vector<Record> records = Records();
        ASSERT_EQ(records.size(), 1u);
        EXPECT_EQ(records[0].command, c.command);
    }

    // A folder whose code page 932 form is over 259 bytes (two for each of
    // its 120 Japanese characters), though its Unicode form is far shorter:
    // the manager gets its short form, which opens the very list (on a
    // volume without short names, the refusal).
    const std::wstring deep = harness::Widen(root_) + L"\\" + std::wstring(60, L'\u65e5') + L"\\" +
                              std::wstring(60, L'\u65e5');
    for (const std::wstring &part : {deep.substr(0, deep.rfind(L'\\')), deep})
        ASSERT_TRUE(CreateDirectoryW(part.c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(harness::WriteWholeFile(deep + L"\\SampleCAB.ini", "the deep Japanese list"));
    harness::ConfigureStandIn(record_, 0);
    boxes_ = harness::MessageBoxWatch("Installation");
    const harness::Run run = harness::RunProgram(harness::Widen(Launcher()) + L" SampleCAB.ini",
                                                 deep, kRunTimeoutMs, [this] { boxes_.Poll(); });
    ASSERT_TRUE(run.ended);
    const std::vector<Record> records = Records();
    if (!ShortNames()) {
        EXPECT_EQ(run.exit_code, 1u);
        EXPECT_TRUE(records.empty());
        return;
    }
    EXPECT_EQ(run.exit_code, 0u);
    ASSERT_EQ(records.size(), 1u);
    std::printf("a folder of %zu bytes in code page 932: the manager got %s\n", root_.size() + 242,
                records[0].command.c_str());
    EXPECT_EQ(ListOpenedBy(records[0].command), "the deep Japanese list");
}

} // namespace
