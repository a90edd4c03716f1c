// The fixture of the end-to-end tests: the real launcher.exe, under Wine
// here and on Windows from the test kit, started with exact command lines and
// current directories against the stand-in application manager registered
// for the run. Only what a user or a caller could observe is checked: the
// child's module and command line, message boxes, timings and the exit code.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "harness.h"

namespace e2e {

using harness::Record;

// Generous: every process start goes through Wine, and on some machines
// through an emulator as well.
constexpr DWORD kRunTimeoutMs = 120000;

// What the boxes say.
constexpr char kManagerMissing[] =
    "Can not find ActiveSync. Please reinstall ActiveSync and than run this installation again.";
constexpr char kFolderTooLong[] =
    "The path of the installation folder is too long to start the installation from it; please "
    "copy the installation to a folder with a shorter path and run it again.";
constexpr char kListTooLong[] = "The name of the install list is too long to be passed on to "
                                "ActiveSync from any folder; please report this to the maker of "
                                "the installation.";
constexpr char kNotPassable[] =
    "The name of the installation folder or of the install list has characters that can not be "
    "passed on to ActiveSync; please copy the installation to a folder with a plain name, such as "
    "C:\\Install, and run it again.";

class LauncherTest : public ::testing::Test {
protected:
    // The cases of a seen desktop skip where nobody sees this one.
    virtual bool NeedsASeenDesktop() const { return true; }

    void SetUp() override {
        const std::string unseen = harness::UnseenDesktop();
        if (NeedsASeenDesktop() && !unseen.empty())
            GTEST_SKIP() << "nobody can see this desktop (" << unseen
                         << "): the launcher does nothing here but end with exit code 4";
        if (harness::AppPathsBelongToTheMachine())
            GTEST_SKIP() << "the application manager's App Paths entry belongs to an installation "
                            "on this machine, and the tests never write it";
        for (const std::string &installed : {center_, activesync_})
            if (harness::Exists(installed))
                GTEST_SKIP() << "the application manager is installed on this machine ("
                             << installed << "): the launcher would find it and start it";
        root_ = harness::WorkRoot();
        record_ = root_ + "\\record-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
        manager_ = root_ + "\\manager\\CEAPPMGR.EXE";
        ASSERT_TRUE(harness::PlaceStandIn(manager_));
        ASSERT_TRUE(harness::RegisterManager(manager_));
        NextRow();
    }

    // A row of a table starts afresh: no box seen, no record, the stand-in
    // to run `run_ms` and end with `exit_code`.
    void NextRow(DWORD run_ms = 0, DWORD exit_code = 0) {
        boxes_ = harness::MessageBoxWatch("Installation");
        harness::ConfigureStandIn(record_, run_ms, exit_code);
    }

    // The launcher's run, where there is one (an installer's has it
    // inside), ended with exit code 0; no box was shown, and the manager
    // was started once, with `command` and as `module` where they are given.
    // Its record, or an empty one when there was not exactly one.
    Record ExpectStarted(const std::optional<harness::Run> &run, const std::string &command,
                         const std::string &module = "") {
        if (run) EXPECT_EQ(run->exit_code, 0u) << "(99: killed at the time-out)";
        EXPECT_TRUE(boxes_.Seen().empty());
        const std::vector<Record> records = Records();
        EXPECT_EQ(records.size(), 1u);
        if (records.size() != 1) return {};
        if (!command.empty()) EXPECT_EQ(records[0].command, command);
        if (!module.empty()) EXPECT_EQ(records[0].module, module);
        return records[0];
    }

    // The launcher's run, where there is one, ended with `code`; nothing
    // was started, and one box was shown, with the error icon and an OK
    // button, saying `text` where it is given.
    void ExpectRefused(const std::optional<harness::Run> &run, DWORD code,
                       const std::string &text = "") {
        if (run) EXPECT_EQ(run->exit_code, code) << "(99: killed at the time-out)";
        EXPECT_TRUE(Records().empty());
        ASSERT_EQ(boxes_.Seen().size(), 1u);
        const harness::MessageBoxView &box = boxes_.Seen()[0];
        EXPECT_TRUE(box.visible && box.error_icon);
        EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
        if (!text.empty()) EXPECT_EQ(box.text, text);
    }

    std::string Launcher() const { return "\"" + harness::BinDir() + "\\launcher.exe\""; }

    // `text` expanded as the launcher, a 32-bit program of the same
    // environment, expands it.
    static std::string Expanded(const char *text) {
        char path[MAX_PATH] = {};
        const DWORD size = ExpandEnvironmentStringsA(text, path, sizeof path);
        return size != 0 && size <= sizeof path ? path : "";
    }

    // Runs the launcher with `tail` in `directory`, answering message boxes.
    harness::Run RunLauncher(
        const std::string &tail, const std::string &directory, const harness::StartAs &as = {},
        const std::function<void()> &also = [] {}) {
        return RunLine(tail.empty() ? Launcher() : Launcher() + " " + tail, directory, as, also);
    }
    // Runs a command line, narrow or wide, in `directory`, calling `also`
    // and answering boxes at each look.
    template <typename Text>
    harness::Run RunLine(
        const Text &line, const Text &directory, const harness::StartAs &as = {},
        const std::function<void()> &also = [] {}) {
        const auto poll = [&] { also(), boxes_.Poll(); };
        return harness::RunProgram(line, directory, kRunTimeoutMs, poll, as);
    }

    // Runs the launcher and calls `while_child_runs` once, as soon as the
    // stand-in has recorded its start.
    harness::Run RunLauncherDuringChild(const std::string &tail,
                                        const std::function<void()> &while_child_runs) {
        bool called = false;
        return RunLauncher(tail, root_, {}, [&] {
            const std::vector<Record> records = Records();
            if (called || records.empty() || records[0].ended) return;
            called = true;
            while_child_runs();
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
        std::printf("the work folder's volume makes %s8.3 short names: expecting %s\n",
                    made ? "" : "no ", made ? "the short-form runs" : "the refusals instead");
        return made;
    }

    // The command the manager gets for `list` in the existing `folder`, after
    // `module` as registered: with the folder as it is, or in its short form
    // where the command would be longer than 259 characters with it (below a
    // long work folder, as a runner's with a long repository name). "" where
    // even that is too long: the case cannot run here (NoRoom says why).
    static std::string ListCommand(const std::string &module, const std::string &folder,
                                   const std::string &list) {
        const auto in = [&](const std::string &f) {
            return module + " \"" + f + "\\" + list + "\"";
        };
        if (in(folder).size() <= 259) return in(folder);
        char short_form[MAX_PATH] = {};
        const DWORD size = GetShortPathNameA(folder.c_str(), short_form, MAX_PATH);
        return size > 0 && size < MAX_PATH && in(short_form).size() <= 259 ? in(short_form) : "";
    }
    // A folder too deep for the command even in short form: the depth is
    // counted on the root's short form, if the volume makes short names.
    std::string TooDeep(const std::string &first) const {
        char short_root[MAX_PATH];
        const DWORD short_size = GetShortPathNameA(root_.c_str(), short_root, MAX_PATH);
        std::string deep = root_ + "\\" + first;
        for (size_t short_deep = short_size + 1 + first.size();
             manager_.size() + short_deep + 17 <= 259; short_deep += 9)
            deep += "\\abcdefgh";
        return deep;
    }

    std::string NoRoom() const {
        return "the work folder's path, " + std::to_string(root_.size()) +
               " characters, leaves no room for the command this case expects, even in short form";
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

    // Where the device center and ActiveSync install the manager.
    const std::string center_ = Expanded("%windir%\\WindowsMobile\\CEAppMgr.exe");
    const std::string activesync_ = Expanded("%ProgramFiles%\\Microsoft ActiveSync\\CEAPPMGR.EXE");
    std::string root_;
    std::string record_;
    std::string manager_;
    harness::MessageBoxWatch boxes_{"Installation"};
};

} // namespace e2e
