// End to end: where the launcher finds the application manager (its
// registration, the device center's and ActiveSync's folders, never where the
// caller's environment points), odd registry values, and what it tells when it
// finds none or Windows refuses to start it.
#include <algorithm>

#include "launcher_test.h"

namespace e2e {
namespace {

// Both lookup failures: the box appears once, as it should look, and nothing
// is started; also where the caller asked for the launcher's windows hidden.
TEST_F(LauncherTest, MissingManagerIsReportedOnceAndNothingRuns) {
    struct Case {
        const char *name;
        bool (*arrange)();
        bool hidden = false;
    };
    const Case cases[] = {
        {"key missing", [] { return harness::UnregisterManager(); }},
        {"default value missing", [] { return harness::RegisterKeyWithoutValue(); }},
        {"key missing, started hidden", [] { return harness::UnregisterManager(); }, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        boxes_ = harness::MessageBoxWatch("Installation");
        ASSERT_TRUE(c.arrange());
        const harness::Run run = RunLauncher("BasePackCAB.ini", root_, {nullptr, c.hidden});
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exit_code, 0u);
        ASSERT_EQ(boxes_.Seen().size(), 1u);
        EXPECT_TRUE(boxes_.Seen()[0].visible);
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
// the program: Windows' own folders do, also where Windows keeps its program
// folder as an expandable string (under Wine only: elsewhere the row would
// change the machine's own folders).
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
    // The variables that name Windows' folders, as this program has them
    // ("" for none), and as a row hands them to the launcher.
    enum Environment { kAsIs, kPoisoned, kUnset, kProgramFolderExpandable };
    std::vector<std::pair<const char *, std::string>> saved;
    for (const char *name : {"windir", "ProgramFiles", "ProgramFiles(x86)"}) {
        char value[MAX_PATH] = {};
        GetEnvironmentVariableA(name, value, sizeof value);
        saved.emplace_back(name, value);
    }
    const auto hand_on = [&](Environment e) {
        for (const auto &[name, value] : saved)
            SetEnvironmentVariableA(name, e == kPoisoned                 ? poison.c_str()
                                          : e == kUnset || value.empty() ? nullptr
                                                                         : value.c_str());
    };

    // Windows' program folder, as this 32-bit program has it, kept as a plain
    // or an expandable string.
    const std::string program_folder = Expanded("%ProgramFiles%");
    const auto keep_program_folder = [&](DWORD type) {
        const std::string value =
            type == REG_SZ ? program_folder : "%SystemDrive%" + program_folder.substr(2);
        return RegSetKeyValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                               "ProgramFilesDir", type, value.c_str(),
                               static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    };

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
        {"an expandable value naming another variable: never expanded", REG_EXPAND_SZ,
         "%E2E_ROOT%\\manager\\CEAPPMGR.EXE", "", "", ""},
        {"another variable, too long as well: the folders are tried", REG_EXPAND_SZ,
         "%E2E_LONG%\\CEAPPMGR.EXE", center, "", center},
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
        {"a registration relative to the current directory", REG_SZ, "manager\\CEAPPMGR.EXE", "",
         "", ""},
        {"the program folder kept as an expandable string", 0, "", activesync, "", activesync,
         kProgramFolderExpandable},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const bool expandable = c.environment == kProgramFolderExpandable;
        if (expandable && !harness::UnderWine()) continue; // never the machine's own folders
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
        hand_on(c.environment);
        ASSERT_TRUE(!expandable || keep_program_folder(REG_EXPAND_SZ));
        const harness::Run run = RunLauncher("SampleCAB.ini", root_);
        hand_on(kAsIs);
        EXPECT_TRUE(!expandable || keep_program_folder(REG_SZ));
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
        const std::string command = ListCommand(c.started, root_, "SampleCAB.ini");
        if (command.empty()) GTEST_SKIP() << NoRoom();
        EXPECT_EQ(records[0].command, command);
        std::printf("%s: the manager got %s\n", c.name, records[0].command.c_str());
    }
}

// Odd App Paths values: each runs the right program or, naming no file,
// ends with the report; no cut path is ever started.
TEST_F(LauncherTest, OddRegistryValuesNeverStartACutPath) {
    // A stand-in whose full path is exactly 259 characters.
    std::string deep = root_ + "\\deep";
    const std::string exe = "\\CEAPPMGR.EXE";
    if (deep.size() + 2 + exe.size() > 259)
        GTEST_SKIP() << "the work folder's path, " << root_.size()
                     << " characters, leaves no room below it for a path of 259";
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
        {"its NUL, then leftovers and NULs up to 260 bytes", REG_SZ,
         manager_ + std::string("\0old", 4) +
             std::string(256 - std::min<size_t>(manager_.size(), 256), '\0'),
         manager_, false},
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

} // namespace
} // namespace e2e
