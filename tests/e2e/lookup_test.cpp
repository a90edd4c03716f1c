// End to end: where the launcher finds the application manager (its
// registration, the device center's and ActiveSync's folders, never where the
// caller's environment points), odd registry values, and what it tells when it
// finds none or Windows refuses to start it.
#include <algorithm>

#include "launcher_test.h"

namespace e2e {
namespace {

// Both lookup failures: the box appears once, and nothing is started; also
// where the caller asked for the launcher's windows hidden.
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
        NextRow();
        ASSERT_TRUE(c.arrange());
        ExpectRefused(RunLauncher("BasePackCAB.ini", root_, {nullptr, c.hidden}), 0,
                      kManagerMissing);
    }
}

// Where an installation puts the manager, and stand-ins planted there for a
// row (removed after it, or by the next run after a kill).
class LookupTest : public LauncherTest {
protected:
    struct Row {
        const char *name;
        DWORD type;          // of the registration; 0 for no key
        std::string value;   // its data
        std::string file;    // a stand-in planted there, or ""
        std::string folder;  // a folder planted there, or ""
        std::string started; // the module that must run, or "" for the report
    };

    void SetUp() override {
        LauncherTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_FALSE(center_.empty() || activesync_.empty());
    }
    void TearDown() override { harness::RemovePlanted(); }

    // Runs the launcher on a list with the row's registration and plants:
    // the module it must start, with the command for the list in the work
    // folder, or the report and nothing started.
    void ExpectFound(const Row &row) {
        SCOPED_TRACE(row.name);
        harness::RemovePlanted();
        NextRow();
        ASSERT_TRUE(row.type == 0
                        ? harness::UnregisterManager()
                        : harness::RegisterManagerRaw(row.type, row.value.c_str(),
                                                      static_cast<DWORD>(row.value.size() + 1)));
        std::string why;
        ASSERT_TRUE(row.file.empty() || harness::Plant(row.file, false, &why)) << why;
        ASSERT_TRUE(row.folder.empty() || harness::Plant(row.folder, true, &why)) << why;
        const harness::Run run = RunLauncher("SampleCAB.ini", root_);
        if (row.started.empty()) return ExpectRefused(run, 0, kManagerMissing);
        const std::string command = ListCommand(row.started, root_, "SampleCAB.ini");
        if (command.empty()) GTEST_SKIP() << NoRoom();
        ExpectStarted(run, command, row.started);
    }
};

// The registration, expanded when it is stored expandable, when it names a
// file; else the device center's folder, then ActiveSync's; nothing
// anywhere: the report, and nothing runs.
TEST_F(LookupTest, ManagerIsFoundWhereWindowsPutIt) {
    // Variables of the caller's, which the launcher inherits.
    harness::EnvironmentChange callers({{"E2E_ROOT", root_}, {"E2E_LONG", std::string(300, 'x')}});
    const std::string gone = root_ + "\\gone\\CEAPPMGR.EXE";
    const Row rows[] = {
        // First: the case that the kill test of the machine guard stops.
        {"a registration and the device center's file: the registration", REG_SZ, manager_, center_,
         "", manager_},
        {"an expandable value naming another variable: never expanded", REG_EXPAND_SZ,
         "%E2E_ROOT%\\manager\\CEAPPMGR.EXE", "", "", ""},
        {"another variable, too long as well: the folders are tried", REG_EXPAND_SZ,
         "%E2E_LONG%\\CEAPPMGR.EXE", center_, "", center_},
        {"no key, the device center's file", 0, "", center_, "", center_},
        {"no key, only ActiveSync's file", 0, "", activesync_, "", activesync_},
        {"a registration naming a missing file, nothing installed", REG_SZ, gone, "", "", ""},
        {"a registration naming a missing file, the device center's file", REG_SZ, gone, center_,
         "", center_},
        {"a folder named CEAppMgr.exe is not taken", 0, "", activesync_, center_, activesync_},
        {"a registration relative to the current directory", REG_SZ, "manager\\CEAPPMGR.EXE", "",
         "", ""},
    };
    for (const Row &row : rows) ExpectFound(row);
}

// The caller's windir and ProgramFiles, pointing at a folder of stand-ins or
// unset (their names then lead into the work folder, where stand-ins lie
// too), never choose the program: Windows' own folders do, also where Windows
// keeps its program folder as an expandable string (under Wine only:
// elsewhere that would change the machine's own folders).
TEST_F(LookupTest, CallersEnvironmentNeverChoosesTheManager) {
    const std::string poison = root_ + "\\poison";
    for (const std::string &decoy :
         {poison + "\\WindowsMobile\\CEAppMgr.exe", poison + "\\Microsoft ActiveSync\\CEAPPMGR.EXE",
          root_ + "\\%windir%\\WindowsMobile\\CEAppMgr.exe",
          root_ + "\\%ProgramFiles%\\Microsoft ActiveSync\\CEAPPMGR.EXE"})
        ASSERT_TRUE(harness::PlaceStandIn(decoy));
    const Row poisoned[] = {
        {"nothing installed", 0, "", "", "", ""},
        {"the device center's file", 0, "", center_, "", center_},
        {"only ActiveSync's file", 0, "", activesync_, "", activesync_},
        {"an expandable registration", REG_EXPAND_SZ,
         "%ProgramFiles%\\Microsoft ActiveSync\\CEAPPMGR.EXE", activesync_, "", activesync_},
    };
    const Row unset[] = {{"nothing installed", 0, "", "", "", ""},
                         {"the device center's file", 0, "", center_, "", center_}};
    const auto all = [](const std::optional<std::string> &value) {
        return harness::EnvironmentChange::Values{
            {"windir", value}, {"ProgramFiles", value}, {"ProgramFiles(x86)", value}};
    };
    {
        SCOPED_TRACE("poisoned");
        harness::EnvironmentChange change(all(poison));
        for (const Row &row : poisoned) ExpectFound(row);
    }
    {
        SCOPED_TRACE("unset");
        harness::EnvironmentChange change(all(std::nullopt));
        for (const Row &row : unset) ExpectFound(row);
    }
    if (!harness::UnderWine()) return; // never the machine's own folders
    SCOPED_TRACE("the program folder kept as an expandable string");
    const std::string folder = Expanded("%ProgramFiles%");
    ASSERT_TRUE(harness::SetMachineValue("SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                         "ProgramFilesDir", REG_EXPAND_SZ,
                                         "%SystemDrive%" + folder.substr(2) + '\0'));
    ExpectFound({"ActiveSync's file", 0, "", activesync_, "", activesync_});
    EXPECT_TRUE(harness::RestoreMachineValues());
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
        std::string module; // the program that must run, or "" for the report
    };
    const Case cases[] = {
        {"empty string", REG_SZ, std::string(1, '\0'), ""},
        {"REG_EXPAND_SZ", REG_EXPAND_SZ, manager_ + '\0', manager_},
        {"REG_DWORD", REG_DWORD, std::string("\x05\0\0\0", 4), ""},
        {"259 characters", REG_SZ, path259 + '\0', path259},
        {"260 characters", REG_SZ, path260 + '\0', ""},
        {"no terminating NUL", REG_SZ, manager_, manager_},
        {"its NUL, then leftovers and NULs up to 260 bytes", REG_SZ,
         manager_ + std::string("\0old", 4) +
             std::string(256 - std::min<size_t>(manager_.size(), 256), '\0'),
         manager_},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        NextRow();
        // A byte that is not NUL right after the data, so that none is
        // counted in when the data has none.
        const std::string stored = c.data + 'X';
        ASSERT_TRUE(
            harness::RegisterManagerRaw(c.type, stored.data(), static_cast<DWORD>(c.data.size())));
        const harness::Run run = RunLauncher("", root_);
        if (c.module.empty()) {
            ExpectRefused(run, 0, kManagerMissing);
        } else {
            ExpectStarted(run, c.module, c.module);
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
        NextRow();
        ASSERT_TRUE(harness::RegisterManager(file));
        const harness::Run run = RunLauncher(tail, root_);
        ExpectRefused(run, 3);
        if (boxes_.Seen().empty()) continue;
        std::printf("the box says: %s\n", boxes_.Seen()[0].text.c_str());
        EXPECT_EQ(boxes_.Seen()[0].text.rfind("The application manager was found at " + file +
                                                  ", but Windows could not start it:",
                                              0),
                  0u);
        EXPECT_TRUE(windows.Becomes("Tarnivo Site Suite", false, 5000));
        EXPECT_LT(run.end_tick - run.start_tick, 15000u);
    }
}

} // namespace
} // namespace e2e
