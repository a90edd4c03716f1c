// End to end: the installers that the guide for installation authors shows,
// built from its own text, run silently as an installation would.
#include "launcher_test.h"

namespace e2e {
namespace {

// Installation authors' installers, each built from the script the guide
// for installation authors shows (NSIS, Inno Setup, MSI) and run silently into
// a folder with a blank: each puts the launcher and its list there and runs
// it there, waits for it, and NSIS and Inno Setup keep its exit code, -1 for
// a launcher that could not start. From a folder too deep for the command
// even in short form (8.3 names are their own short form) the launcher
// refuses, and each goes on. Then the uninstallers: silent, they never start
// the launcher; NSIS's, its pages clicked through, starts it bare first. A
// test for each installer, which skips where the installer was not built.
class InstallerFromTheGuide : public LauncherTest {
protected:
    // Runs the rows of one installer: "nsis", "inno" or "msi".
    void HandsItsListOver(const std::string &kind);
};

void InstallerFromTheGuide::HandsItsListOver(const std::string &kind) {
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
        for (size_t short_deep = short_size + 1 + first.size();
             manager_.size() + short_deep + 17 <= 259; short_deep += 9)
            deep += "\\abcdefgh";
        return deep;
    };
    const std::string built = harness::BinDir() + "\\..\\";
    const std::string nsis = "\"" + built + "nsis\\example-installer.exe\" /S /D=";
    const std::string nsis_unstartable =
        "\"" + built + "nsis\\unstartable\\example-installer.exe\" /S /D=";
    const std::string inno =
        "\"" + built + "inno\\example-installer.exe\" /VERYSILENT /SUPPRESSMSGBOXES \"/DIR=";
    const std::string msi =
        "msiexec /i \"" + built + "msi\\example-installer.msi\" /qn DEVICEFOLDER=\"";
    const auto unnsis = [](const std::string &folder, const char *silent) {
        return "\"" + folder + "\\uninstall.exe\" " + silent + "_?=" + folder;
    };
    const auto uninno = [](const std::string &folder) {
        return "\"" + folder + "\\unins000.exe\" /VERYSILENT /SUPPRESSMSGBOXES";
    };
    const std::string nsis_folder = root_ + "\\nsis\\Example Device Files";
    const std::string nsis_deep = too_deep("nsisdeep");
    const std::string unstartable = root_ + "\\nsis-unstartable\\Example Device Files";
    const std::string inno_folder = root_ + "\\inno\\Example Device Files";
    struct Case {
        const char *name;
        std::string installer; // file
        std::string line;      // the command line, less the folder and `close`
        std::string close;
        std::string folder;
        std::string kept; // the launcher's exit code as the installer kept it; "": none kept
        bool started;     // the manager was started on the list
        std::string uninstall = {}; // the uninstaller's command line; "": msiexec /x
        bool uninstall_shown = false;
    };
    const Case cases[] = {
        {"NSIS", built + "nsis\\example-installer.exe", nsis, "", nsis_folder, "0", true,
         unnsis(nsis_folder, ""), true},
        {"NSIS, a folder too deep for the command", built + "nsis\\example-installer.exe", nsis, "",
         nsis_deep, "1", false, unnsis(nsis_deep, "/S ")},
        {"NSIS, a launcher.exe that is no program",
         built + "nsis\\unstartable\\example-installer.exe", nsis_unstartable, "", unstartable,
         "-1", false, unnsis(unstartable, "/S ")},
        {"Inno Setup", built + "inno\\example-installer.exe", inno, "\"", inno_folder, "0", true,
         uninno(inno_folder)},
        {"MSI", built + "msi\\example-installer.msi", msi, "\"",
         root_ + "\\msi\\Example Device Files", "", true},
        {"MSI, a folder too deep for the command", built + "msi\\example-installer.msi", msi, "\"",
         too_deep("msideep"), "", false},
    };
    for (const Case &c : cases) {
        if (c.installer.compare(built.size(), kind.size() + 1, kind + "\\") != 0) continue;
        SCOPED_TRACE(c.name);
        // An installer left out on purpose has the reason in its place.
        std::string left_out = "its tool was missing when it was to be built";
        harness::ReadWholeFile(built + kind + "\\left-out.txt", &left_out);
        if (GetFileAttributesA(c.installer.c_str()) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "no " << c.installer << ": " << left_out;
        // An MSI installed by an earlier run would not run its action again.
        const bool is_msi = c.line == msi;
        const std::string uninstall =
            is_msi ? "msiexec /x \"" + c.installer + "\" /qn" : c.uninstall;
        if (is_msi) harness::RunProgram(uninstall, root_, kRunTimeoutMs);
        boxes_ = harness::MessageBoxWatch("Installation");
        harness::ConfigureStandIn(record_, 3000);
        const std::string kept = c.folder + "\\launcher-exit-code.txt";
        DeleteFileA(kept.c_str());
        // The installer goes on, and writes the code, only once the launcher
        // has ended: never are both seen at once (the file is looked at
        // first), though the launcher is seen running where it could start.
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
        EXPECT_EQ(launcher_seen, c.kept != "-1");
        EXPECT_FALSE(both_seen);
        EXPECT_EQ(run.exit_code, 0u);
        if (!c.kept.empty()) {
            std::string code;
            ASSERT_TRUE(harness::ReadWholeFile(kept, &code));
            EXPECT_EQ(code, c.kept);
            std::printf("%s: the installer kept exit code %s\n", c.name, code.c_str());
        }
        const std::vector<Record> records = Records();
        EXPECT_EQ(boxes_.Seen().size(), c.started || c.kept == "-1" ? 0u : 1u);
        if (c.started) {
            ASSERT_EQ(records.size(), 1u);
            EXPECT_TRUE(records[0].ended);
            const std::string command = ListCommand(manager_, c.folder, "SampleCAB.ini");
            if (command.empty()) GTEST_SKIP() << NoRoom();
            EXPECT_EQ(records[0].command, command);
            EXPECT_EQ(records[0].directory, c.folder);
            std::printf("%s: the manager got %s, in %s\n", c.name, records[0].command.c_str(),
                        records[0].directory.c_str());
        } else {
            EXPECT_TRUE(records.empty());
        }

        // Under Wine, msiexec /x removes the files from the default folder,
        // not the one given: the MSI is removed for the next run alone.
        if (is_msi) {
            harness::RunProgram(uninstall, root_, kRunTimeoutMs);
            continue;
        }
        // The uninstaller removes the launcher (at once, or, where it hands
        // itself over to a copy of its own, within 30 s); shown, it starts
        // it bare first, and its last page is closed as a user would.
        const harness::Run removal = harness::RunProgram(uninstall, root_, kRunTimeoutMs, [] {
            HWND pages = FindWindowA("#32770", "Example device files Uninstall: Completed");
            HWND next = pages != nullptr ? GetDlgItem(pages, IDOK) : nullptr;
            if (next != nullptr && IsWindowEnabled(next))
                PostMessageA(pages, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(next));
        });
        EXPECT_TRUE(removal.ended);
        const std::string launcher = c.folder + "\\launcher.exe";
        for (int i = 0; i < 600 && GetFileAttributesA(launcher.c_str()) != INVALID_FILE_ATTRIBUTES;
             ++i)
            Sleep(50);
        EXPECT_EQ(GetFileAttributesA(launcher.c_str()), INVALID_FILE_ATTRIBUTES);
        const std::vector<Record> after = Records();
        ASSERT_EQ(after.size(), records.size() + (c.uninstall_shown ? 1 : 0));
        if (c.uninstall_shown) EXPECT_EQ(after.back().command, manager_);
    }
}

TEST_F(InstallerFromTheGuide, Nsis) { HandsItsListOver("nsis"); }
TEST_F(InstallerFromTheGuide, InnoSetup) { HandsItsListOver("inno"); }
TEST_F(InstallerFromTheGuide, Msi) { HandsItsListOver("msi"); }

} // namespace
} // namespace e2e
