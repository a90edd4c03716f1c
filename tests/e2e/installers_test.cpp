// End to end: the installers that the guide for installation authors shows,
// built from its own text, run silently as an installation would.
#include "launcher_test.h"

namespace e2e {
namespace {

// Installation authors' installers, each built from the script the guide
// for installation authors shows (NSIS, Inno Setup, MSI) and run silently into
// a folder with a blank: each puts the launcher and its list there and runs
// it there, waits for it, and NSIS and Inno Setup keep its exit code. From a
// folder too deep for the command even in short form (8.3 names are their own
// short form) the launcher refuses: NSIS goes on, the MSI fails and is rolled
// back, its folder gone. A test for each installer, which skips where the
// installer was not built.
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
        if (c.installer.compare(built.size(), kind.size() + 1, kind + "\\") != 0) continue;
        SCOPED_TRACE(c.name);
        // An installer left out on purpose has the reason in its place.
        std::string left_out = "its tool was missing when it was to be built";
        harness::ReadWholeFile(built + kind + "\\left-out.txt", &left_out);
        if (GetFileAttributesA(c.installer.c_str()) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "no " << c.installer << ": " << left_out;
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
        const std::string command = ListCommand(manager_, c.folder, "SampleCAB.ini");
        if (command.empty()) GTEST_SKIP() << NoRoom();
        EXPECT_EQ(records[0].command, command);
        EXPECT_EQ(records[0].directory, c.folder);
        std::printf("%s: the manager got %s, in %s\n", c.name, records[0].command.c_str(),
                    records[0].directory.c_str());
        if (is_msi) harness::RunProgram(uninstall, root_, kRunTimeoutMs);
    }
}

TEST_F(InstallerFromTheGuide, Nsis) { HandsItsListOver("nsis"); }
TEST_F(InstallerFromTheGuide, InnoSetup) { HandsItsListOver("inno"); }
TEST_F(InstallerFromTheGuide, Msi) { HandsItsListOver("msi"); }

} // namespace
} // namespace e2e
