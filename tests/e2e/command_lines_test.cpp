// End to end: the command line the manager gets, for bare and install-list
// runs, registered paths with blanks, a drive root, a folder too deep for the
// command as read, and command lines of every shape.
#include "launcher_test.h"

namespace e2e {
namespace {

// The child's module and command line, for bare and install-list runs, with
// registered paths with and without blanks. A search through an unquoted path with blanks would try
// "...\App.exe" first: a program planted there must never run.
TEST_F(LauncherTest, StartsTheRegisteredModuleWithTheComposedCommandLine) {
    const std::string spaced = root_ + "\\App Manager\\CE App Mgr.exe";
    const std::string planted = root_ + "\\App.exe";
    ASSERT_TRUE(harness::PlaceStandIn(spaced));
    ASSERT_TRUE(harness::PlaceStandIn(planted));
    const std::string setup = root_ + "\\Setup";
    ASSERT_TRUE(harness::MakeDirs(setup));

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
         ListCommand(manager_, setup, "BasePackCAB.ini")},
        {"quoted tail with blanks", manager_, manager_, "\"My List.ini\"", setup,
         ListCommand(manager_, setup, "\"My List.ini\"")},
        {"blanks in path, bare", spaced, spaced, "", setup, spaced},
        {"blanks in path, install list", spaced, spaced, "SiteWorkCAB.ini", setup,
         ListCommand(spaced, setup, "SiteWorkCAB.ini")},
        {"quoted path with blanks", "\"" + spaced + "\"", spaced, "SiteWorkCAB.ini", setup,
         ListCommand("\"" + spaced + "\"", setup, "SiteWorkCAB.ini")},
    };
    for (const Case &c : cases)
        if (c.command.empty()) GTEST_SKIP() << NoRoom();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        NextRow();
        ASSERT_TRUE(harness::RegisterManager(c.registered));
        ExpectStarted(RunLauncher(c.tail, c.directory), c.command, c.module);
    }
}

// At a drive root (a drive made for the test), whose path ends with a
// backslash already: the list's path has two.
TEST_F(LauncherTest, StartsAtADriveRoot) {
    const harness::DriveRoot drive(root_ + "\\drive-t");
    if (drive.Drive().empty()) GTEST_SKIP() << "no drive letter could be substituted for a folder";
    ExpectStarted(RunLauncher("PlotterCAB.ini", drive.Drive() + "\\"),
                  manager_ + " \"" + drive.Drive() + "\\\\PlotterCAB.ini\"");
}

// A folder so deep that the install command would be 270 characters: the
// manager gets the folder's short form, which opens the very list; on a
// volume without short forms the launcher refuses. (Tails too long for any
// command are refused in the hostile-command-line table.)
TEST_F(LauncherTest, DeepFolderIsPassedOnInItsShortForm) {
    // The manager's path, ` "`, `\`, "BasePackCAB.ini" and `"` go around it.
    const size_t around = manager_.size() + 19;
    std::string deep = root_ + "\\long";
    if (around + deep.size() + 2 > 270)
        GTEST_SKIP() << "the work folder's path, " << root_.size()
                     << " characters, leaves no room below it for a folder that makes a command "
                        "of 270";
    // Room left for the last folder's backslash and one character at least.
    while (around + deep.size() + 27 + 2 <= 270) deep += "\\folder-of-the-installation";
    deep += "\\" + std::string(270 - around - deep.size() - 1, 'f');
    ASSERT_EQ(around + deep.size(), 270u);
    ASSERT_LT(deep.size(), 248u); // still a directory a process can start in
    ASSERT_TRUE(harness::MakeDirs(deep));
    ASSERT_TRUE(harness::WriteWholeFile(deep + "\\BasePackCAB.ini", "the deep list"));

    const harness::Run run = RunLauncher("BasePackCAB.ini", deep);
    if (!ShortNames()) return ExpectRefused(run, 1, kFolderTooLong);
    const std::string command = ListCommand(manager_, deep, "BasePackCAB.ini");
    ExpectStarted(run, command);
    std::printf("received: %s\n", command.c_str());
    EXPECT_EQ(ListOpenedBy(command), "the deep list");
}

// Command lines of every shape reach the launcher exactly as written; the
// child gets the list's name as the tail was cut, or nothing runs and the
// suite window is never touched.
TEST_F(LauncherTest, HostileCommandLinesAreCutByTheLaunchersOwnRule) {
    harness::DesktopWindows windows({"Quellis Plotter"});
    // A copy of the launcher under a path with bytes from 0x80 up (an E-acute
    // and a no-break space in code page 1252), to be started unquoted.
    const std::string accented = root_ + "\\Caf\xe9\xa0Setup\\launcher.exe";
    harness::MakeDirs(accented.substr(0, accented.find_last_of('\\')));
    ASSERT_TRUE(CopyFileA((harness::BinDir() + "\\launcher.exe").c_str(), accented.c_str(), FALSE));
    const std::string launcher = Launcher();
    const std::string command = ListCommand(manager_, root_, "Sample.ini");
    if (command.empty()) GTEST_SKIP() << NoRoom();

    struct Case {
        const char *name;
        std::string line;
        std::string command; // the child's, or "" when nothing may run
    };
    const Case cases[] = {
        {"bytes from 0x80 up in an unquoted program path", accented + " Sample.ini", command},
        {"tabs and control bytes", launcher + "\t\x01\x1f Sample.ini", command},
        {"a tail of 2,000 bytes", launcher + " " + std::string(2000, 'x'), ""},
        {"a tail of 30,000 bytes", launcher + " " + std::string(30000, 'y'), ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        NextRow();
        const int minimized = windows.TimesMinimized("Quellis Plotter");
        const harness::Run run = RunLine(c.line, root_);
        EXPECT_EQ(windows.TimesMinimized("Quellis Plotter") - minimized, c.command.empty() ? 0 : 1);
        if (c.command.empty()) {
            ExpectRefused(run, 1, kListTooLong);
        } else {
            ExpectStarted(run, c.command);
        }
    }
}

// launcher-check, started as the launcher would be, ends with the
// launcher's exit code and prints the command that the launcher then starts,
// and what the manager's manifest asks for; nothing else runs meanwhile.
TEST_F(LauncherTest, CheckTellsWhatTheLauncherDoes) {
    const std::string admin = root_ + "\\admin\\CEAPPMGR.EXE";
    ASSERT_TRUE(harness::MakeDirs(root_ + "\\admin"));
    ASSERT_TRUE(CopyFileA((harness::BinDir() + "\\stand_in_manager_admin.exe").c_str(),
                          admin.c_str(), FALSE));
    const std::string deep = TooDeep("checkdeep");
    ASSERT_TRUE(harness::MakeDirs(deep));
    struct Case {
        const char *name;
        std::string registered; // "" for none
        std::wstring tail;
        std::string directory;
        DWORD code;
        const char *level; // what the manifest asks, for a manager found
    };
    const Case cases[] = {
        {"found, no manifest", manager_, L"SampleCAB.ini", root_, 0, "none"},
        {"asks for administrator rights", admin, L"SampleCAB.ini", root_, 0,
         "requireAdministrator"},
        {"found nowhere", "", L"SampleCAB.ini", root_, 0, nullptr},
        {"folder too long", manager_, L"SampleCAB.ini", deep, 1, "none"},
        {"a name not passable", manager_, L"Sample\uFF02 x.ini", root_, 2, "none"},
    };
    const std::string output = root_ + "\\check.txt";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        NextRow();
        ASSERT_TRUE(c.registered.empty() ? harness::UnregisterManager()
                                         : harness::RegisterManager(c.registered));
        const std::wstring check =
            L"\"" + harness::Widen(harness::BinDir()) + L"\\launcher-check.exe\" ";
        const harness::Run checked =
            RunLine(check + c.tail, harness::Widen(c.directory), {nullptr, false, output.c_str()});
        std::string said;
        ASSERT_TRUE(harness::ReadWholeFile(output, &said));
        std::printf("%s", said.c_str());
        EXPECT_TRUE(boxes_.Seen().empty() && Records().empty());
        EXPECT_EQ(checked.exit_code, c.code);
        if (c.level)
            EXPECT_NE(said.find("manifest asks   : " + std::string(c.level)), std::string::npos);
        const size_t at = said.find("command           : ");
        const std::string told =
            at == std::string::npos ? "" : said.substr(at + 20, said.find(" (", at) - at - 20);
        const harness::Run run =
            RunLine(harness::Widen(Launcher()) + L" " + c.tail, harness::Widen(c.directory));
        EXPECT_EQ(run.exit_code, c.code);
        if (c.code != 0 || c.level == nullptr) continue;
        EXPECT_FALSE(told.empty());
        ExpectStarted(run, told, c.registered);
    }
}

} // namespace
} // namespace e2e
