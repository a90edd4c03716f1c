// End to end: names outside the ANSI code page, started in Unicode, and
// command lines under a double-byte code page: the manager gets the very list,
// or nothing runs.
#include "launcher_test.h"

namespace e2e {
namespace {

// Names outside code page 1252, started with CreateProcessW as Windows
// hands them on; a refusal leaves the suite window untouched. U+FF02 (a fullwidth quote) best-fits
// to a real '"', Ł and ź to L and z. Every list holds its own text, and the manager must have got
// one quoted argument that opens that very list, or nothing may run.
TEST_F(LauncherTest, NamesOutsideTheCodePageReachTheVeryList) {
    RequireCodePage(1252);
    if (HasFatalFailure() || IsSkipped()) return;
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
         ListCommand(manager_, root_ + "\\uni\\Caf\xE9", "SampleCAB.ini"), false},
    };
    const bool short_names = ShortNames();
    harness::DesktopWindows windows({"Quellis Plotter"});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        NextRow();
        const int minimized = windows.TimesMinimized("Quellis Plotter");
        const harness::Run run = RunLine(L"\"" + c.launcher + L"\" " + c.tail, c.directory);
        const bool refused = c.refused || (c.short_form && !short_names);
        EXPECT_EQ(windows.TimesMinimized("Quellis Plotter") - minimized, refused ? 0 : 1);
        if (refused) {
            ExpectRefused(run, 2, kNotPassable);
            continue;
        }
        const std::string command = ExpectStarted(run, c.command).command;
        std::printf("%s: %s\n", c.name, command.c_str());
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
    // Two characters whose trail bytes are both 0x5C.
    const std::string folder = root_ + "\\\x95\x5c\x83\x5c";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
    const std::string launcher = folder + "\\launcher.exe";
    ASSERT_TRUE(CopyFileA((harness::BinDir() + "\\launcher.exe").c_str(), launcher.c_str(), FALSE));
    // The folder as it is, or its short form where the command would not fit.
    const auto command = [&](const std::string &tail) {
        return ListCommand(manager_, folder, tail);
    };

    struct Case {
        const char *name;
        std::string line;
        std::string command;
        bool unicode = false; // started with CreateProcessW
    };
    const Case cases[] = {
        {"unquoted program path", launcher + " \x95\x5c\x83\x5c.ini",
         command("\x95\x5c\x83\x5c.ini")},
        {"quoted program path", "\"" + launcher + "\" \x82\xa0 \x82\xa2.ini",
         command("\x82\xa0 \x82\xa2.ini")},
        {"started in Unicode", "\"" + launcher + "\" \x95\x5c\x83\x5c.ini",
         command("\x95\x5c\x83\x5c.ini"), true},
        // Command lines travel as Unicode between processes, and the lone
        // lead byte does not survive the conversion: the launcher never sees
        // it (its own tests cover one).
        {"a lead byte at the end of the line", launcher + " Sample.ini\x82", command("Sample.ini")},
    };
    for (const Case &c : cases)
        if (c.command.empty()) GTEST_SKIP() << NoRoom();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        NextRow();
        ExpectStarted(c.unicode ? RunLine(harness::Widen(c.line), harness::Widen(folder))
                                : RunLine(c.line, folder),
                      c.command);
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
    NextRow();
    const harness::Run run = RunLine(harness::Widen(Launcher()) + L" SampleCAB.ini", deep);
    if (!ShortNames()) return ExpectRefused(run, 1, kFolderTooLong);
    const std::string got = ExpectStarted(run, "").command;
    std::printf("a folder of %zu bytes in code page 932: the manager got %s\n", root_.size() + 242,
                got.c_str());
    EXPECT_EQ(ListOpenedBy(got), "the deep Japanese list");
}

} // namespace
} // namespace e2e
