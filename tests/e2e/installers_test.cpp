// End to end: the installers that the guide for installation authors shows
// (NSIS, Inno Setup, MSI), built from its own text, run silently as an
// installation would, and their uninstallers.
#include <shlobj.h>

#include "launcher_test.h"

namespace e2e {
namespace {

class InstallerFromTheGuide : public LauncherTest {
protected:
    void TearDown() override {
        if (!left_out_.empty()) GTEST_SKIP() << left_out_;
    }

    // The installer of `kind` ("nsis", "nsis\unstartable", "inno", "msi"), or
    // "" where it was not built: its rows are left out, the case says why.
    std::string Installer(const std::string &kind) {
        const std::string file =
            built_ + kind + (kind == "msi" ? "\\example-installer.msi" : "\\example-installer.exe");
        if (harness::Exists(file)) return file;
        // An installer left out on purpose has the reason in its place.
        std::string why = "its tool was missing when it was to be built";
        harness::ReadWholeFile(built_ + kind + "\\left-out.txt", &why);
        left_out_ += "no " + file + ": " + why + "; ";
        return "";
    }

    // The command line that installs silently into `folder`.
    static std::string Install(const std::string &installer, const std::string &folder) {
        if (installer.find("\\inno\\") != std::string::npos)
            return "\"" + installer + "\" /VERYSILENT /SUPPRESSMSGBOXES \"/DIR=" + folder + "\"";
        if (installer.find("\\msi\\") != std::string::npos)
            return "msiexec /i \"" + installer + "\" /qn DEVICEFOLDER=\"" + folder + "\"";
        return "\"" + installer + "\" /S /D=" + folder;
    }

    // Installs into `folder` as a row; the launcher's exit code as the
    // installer kept it ("" where it keeps none), which it writes only once
    // the launcher has ended (never are both seen), and *launcher_seen.
    std::string InstallAndKeep(const std::string &installer, const std::string &folder,
                               bool *launcher_seen, const harness::StartAs &as = {}) {
        // An MSI installed by an earlier run would not run its action again.
        const bool msi = installer.find("\\msi\\") != std::string::npos;
        const std::string uninstall_msi = "msiexec /x \"" + installer + "\" /qn";
        if (msi) harness::RunProgram(uninstall_msi, root_, kRunTimeoutMs);
        NextRow(3000);
        const std::string kept = folder + "\\launcher-exit-code.txt";
        DeleteFileA(kept.c_str());
        bool both_seen = false;
        *launcher_seen = false;
        const harness::Run run = harness::RunProgram(
            Install(installer, folder), root_, kRunTimeoutMs,
            [&] {
                boxes_.Poll();
                const bool written = harness::Exists(kept);
                const bool running = harness::IsRunning("launcher.exe");
                *launcher_seen |= running;
                both_seen |= written && running;
            },
            as);
        EXPECT_TRUE(run.ended);
        EXPECT_EQ(run.exit_code, 0u);
        EXPECT_FALSE(both_seen);
        // Under Wine, msiexec /x removes the files from the default folder,
        // not the one given: the MSI is removed for the next run alone.
        if (msi) harness::RunProgram(uninstall_msi, root_, kRunTimeoutMs);
        std::string code;
        if (!msi) EXPECT_TRUE(harness::ReadWholeFile(kept, &code));
        std::printf("installed into %s: the installer kept exit code \"%s\"\n", folder.c_str(),
                    code.c_str());
        return code;
    }

    const std::string built_ = harness::BinDir() + "\\..\\";
    std::string left_out_;
};

// Each installer puts the launcher and its list into a folder with a blank
// and runs it there, waits for it, and NSIS and Inno Setup keep its exit
// code. From a folder too deep for the command even in short form (8.3
// names are their own short form) the launcher refuses, and each goes on.
TEST_F(InstallerFromTheGuide, HandsItsListOverAndKeepsTheCode) {
    struct Case {
        std::string installer;
        std::string folder;
        std::string kept; // the exit code the installer kept
    };
    const Case cases[] = {
        {Installer("nsis"), root_ + "\\nsis\\Example Device Files", "0"},
        {Installer("nsis"), TooDeep("nsisdeep"), "1"},
        {Installer("inno"), root_ + "\\inno\\Example Device Files", "0"},
        {Installer("msi"), root_ + "\\msi\\Example Device Files", ""},
        {Installer("msi"), TooDeep("msideep"), ""},
    };
    ShortNames();
    for (const Case &c : cases) {
        if (c.installer.empty()) continue;
        SCOPED_TRACE(c.installer + " into " + c.folder);
        bool launcher_seen = false;
        const std::string kept = InstallAndKeep(c.installer, c.folder, &launcher_seen);
        const bool deep = c.folder.find("deep") != std::string::npos;
        EXPECT_TRUE(launcher_seen);
        if (deep) {
            ExpectRefused(std::nullopt, 1, kFolderTooLong);
        } else {
            const std::string command = ListCommand(manager_, c.folder, "SampleCAB.ini");
            if (command.empty()) GTEST_SKIP() << NoRoom();
            EXPECT_EQ(ExpectStarted(std::nullopt, command).directory, c.folder);
        }
        if (!c.kept.empty()) EXPECT_EQ(kept, c.kept);
    }
}

// A launcher.exe that is no program: NSIS keeps -1 for it, and no box or
// manager appears.
TEST_F(InstallerFromTheGuide, TellsALauncherThatCannotStart) {
    const std::string installer = Installer("nsis\\unstartable");
    if (installer.empty()) return;
    bool launcher_seen = true;
    const std::string folder = root_ + "\\nsis-unstartable\\Example Device Files";
    EXPECT_EQ(InstallAndKeep(installer, folder, &launcher_seen), "-1");
    EXPECT_FALSE(launcher_seen);
    EXPECT_TRUE(boxes_.Seen().empty());
    EXPECT_TRUE(Records().empty());
}

// Where nobody sees the installation, as in a deployment as SYSTEM, NSIS
// keeps code 4 and leaves every user a Start menu shortcut that hands the
// list over; its uninstaller removes the shortcut.
TEST_F(InstallerFromTheGuide, LeavesAShortcutWhereNobodySawTheHandOver) {
    const std::string installer = Installer("nsis");
    if (installer.empty()) return;
    char programs[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, programs), S_OK);
    const std::string shortcut = std::string(programs) + "\\Install the example device files.lnk";
    ASSERT_FALSE(harness::Exists(shortcut)) << "the machine has the shortcut already";
    const char *desktop = harness::DesktopNobodySees();
    ASSERT_NE(*desktop, '\0');
    const std::string folder = root_ + "\\nsis-unseen\\Example Device Files";
    bool launcher_seen = false;
    EXPECT_EQ(InstallAndKeep(installer, folder, &launcher_seen, {desktop}), "4");
    EXPECT_TRUE(boxes_.Seen().empty() && Records().empty());
    EXPECT_TRUE(harness::Exists(shortcut));
    harness::RunProgram("\"" + folder + "\\uninstall.exe\" /S _?=" + folder, root_, kRunTimeoutMs);
    EXPECT_FALSE(harness::Exists(shortcut));
}

// The uninstallers remove the launcher (at once, or, where one hands itself
// over to a copy of its own, within 30 s); silent, they never start it;
// NSIS's, its pages clicked through as a user would, starts it bare first.
TEST_F(InstallerFromTheGuide, UninstallsStartingTheManagerOnlyWhenShown) {
    struct Case {
        std::string installer;
        std::string folder;
        std::string uninstall; // its command line, less the folder's
        bool shown;
    };
    const std::string nsis = root_ + "\\nsis-removed\\Example Device Files";
    const std::string inno = root_ + "\\inno-removed\\Example Device Files";
    const Case cases[] = {
        {Installer("nsis"), nsis, "\"" + nsis + "\\uninstall.exe\" _?=" + nsis, true},
        {Installer("nsis"), nsis, "\"" + nsis + "\\uninstall.exe\" /S _?=" + nsis, false},
        {Installer("inno"), inno, "\"" + inno + "\\unins000.exe\" /VERYSILENT /SUPPRESSMSGBOXES",
         false},
    };
    for (const Case &c : cases) {
        if (c.installer.empty()) continue;
        SCOPED_TRACE(c.uninstall);
        bool launcher_seen = false;
        InstallAndKeep(c.installer, c.folder, &launcher_seen);
        const size_t installed = Records().size();
        const harness::Run removal = harness::RunProgram(c.uninstall, root_, kRunTimeoutMs, [] {
            harness::PressOk("Example device files Uninstall: Completed");
        });
        EXPECT_TRUE(removal.ended);
        const std::string launcher = c.folder + "\\launcher.exe";
        EXPECT_TRUE(harness::WaitUntil([&] { return !harness::Exists(launcher); }, 30000));
        const std::vector<Record> after = Records();
        ASSERT_EQ(after.size(), installed + (c.shown ? 1 : 0));
        if (c.shown) EXPECT_EQ(after.back().command, manager_);
    }
}

} // namespace
} // namespace e2e
