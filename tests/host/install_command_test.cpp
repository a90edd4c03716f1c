// The install command: composed whole or not at all, from the directory as
// read or its short form, with names the code page holds exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "call_log.h"
#include "launcher/install_command.h"
#include "launcher/launch.h"
#include "launcher/path_buffer.h"

namespace launcher {
namespace {

using namespace testing; // NOLINT(google-build-using-namespace)

TEST(InstallCommand, ComposesPathBlankAndQuotedListPath) {
    struct Case {
        const char *name;
        const char *manager;
        const char *directory;
        const char *tail;
        const char *command;
    };
    const Case cases[] = {
        {"ordinary folder", "C:\\AppMgr\\CEAPPMGR.EXE", "D:\\Setup", "BasePackCAB.ini",
         "C:\\AppMgr\\CEAPPMGR.EXE \"D:\\Setup\\BasePackCAB.ini\""},
        {"drive root doubles the backslash", "C:\\AppMgr\\CEAPPMGR.EXE", "D:\\", "BasePackCAB.ini",
         "C:\\AppMgr\\CEAPPMGR.EXE \"D:\\\\BasePackCAB.ini\""},
        {"path with blanks stays unquoted", "C:\\Program Files\\AS\\CEAPPMGR.EXE", "D:\\Setup",
         "x.ini", "C:\\Program Files\\AS\\CEAPPMGR.EXE \"D:\\Setup\\x.ini\""},
        {"tail kept as cut", "C:\\M.EXE", "D:\\S", "\"a b.ini\" ",
         "C:\\M.EXE \"D:\\S\\\"a b.ini\" \""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PathBuffer command;
        ASSERT_TRUE(ComposeInstallCommand(c.manager, c.directory, c.tail, &command));
        EXPECT_STREQ(command.Text(), c.command);
    }
}

// The command is "M" + ` "` + "D" + `\` + tail + `"`: 6 bytes besides the
// tail, so a tail of n bytes makes a command of n + 6.
TEST(InstallCommand, FitsUpTo259CharactersAndNeverLeavesACutString) {
    for (size_t length : {258u, 259u, 260u, 261u, 600u}) {
        SCOPED_TRACE(length);
        const std::string tail(length - 6, 'x');
        PathBuffer command;
        const bool fits = ComposeInstallCommand("M", "D", tail.c_str(), &command);
        EXPECT_EQ(fits, length <= 259);
        EXPECT_EQ(command.Length(), fits ? length : 0u);
    }
}

// The install command is launched whole or not at all: as read when it fits,
// else with the directory's short form when that fits. The box, in front,
// says why: the folder, or the list's name (too long from any folder), or
// that the folder cannot be read.
TEST(InstallCommand, CommandThatDoesNotFitLaunchesNothing) {
    struct Case {
        const char *name;
        std::string directory;
        bool readable;
        std::string short_form;        // "" when the volume keeps no short names
        std::string launched;          // the directory in the command, "" when refused
        std::u16string wide = {};      // the directory instead, under code page 65001, if given
        std::string box = kTooLongBox; // when refused
        std::string tail = "BasePackCAB.ini";
    };
    // "C:\AppMgr\CEAPPMGR.EXE" is 22 characters; with ` "`, `\`, the 15 of
    // "BasePackCAB.ini" and the closing quote, 41 go around the directory;
    // from a drive's root, "C:\", 29 go around the tail.
    const std::string d215 = "D:\\" + std::string(215, 'd');
    const std::string d216 = "D:\\" + std::string(216, 'd');
    const std::string tail230 = std::string(226, 't') + ".ini";
    const Case cases[] = {
        {"command of 259 characters", d215, true, "D:\\DDDD~1", d215},
        {"command of 260 characters", d216, true, "", ""},
        {"260 as read, short form fits", d216, true, "D:\\DDDD~1", "D:\\DDDD~1"},
        {"short form too long as well", d216, true, "D:\\" + std::string(216, 'S'), ""},
        {"directory does not fit its buffer", "D:\\" + std::string(297, 'd'), true, "", ""},
        {"directory of exactly 260 characters", "D:\\" + std::string(257, 'd'), true, "", ""},
        {"directory cannot be read", "", false, "", "", u"", kUnreadableBox},
        // Where a character takes more than one byte: 90 of them are 273
        // bytes in UTF-8, though 93 units.
        {"ANSI form too long, short form fits", "", true, "D:\\JAPANE~1", "D:\\JAPANE~1",
         u"D:\\" + std::u16string(90, u'\u65e5')},
        {"ANSI form too long, short form too", "", true, "D:\\" + std::string(216, 'S'), "",
         u"D:\\" + std::u16string(90, u'\u65e5')},
        {"a list that fits from a drive's root alone", "D:\\S", true, "", "", u"", kTooLongBox,
         tail230},
        {"a list too long from any folder", "D:\\", true, "", "", u"", kListTooLongBox,
         tail230 + "x"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        fake.directory = c.directory;
        fake.directory_readable = c.readable;
        std::u16string wide(c.directory.begin(), c.directory.end());
        if (!c.wide.empty()) {
            fake.code_page = 65001;
            fake.wide_directory = wide = c.wide;
        }
        if (!c.short_form.empty())
            fake.short_paths[wide] = std::u16string(c.short_form.begin(), c.short_form.end());
        const int code = fake.RunWithTail(c.tail);
        const bool launched = !c.launched.empty();
        EXPECT_EQ(code, launched ? kExitDone : kExitNoCommand);
        EXPECT_EQ(fake.command_line,
                  launched ? "C:\\AppMgr\\CEAPPMGR.EXE \"" + c.launched + "\\" + c.tail + "\""
                           : "");
        EXPECT_EQ(fake.boxes, launched ? Calls{} : Calls{c.box});
        EXPECT_EQ(fake.CallsStartingWith("ShowErrorBox"),
                  launched ? Calls{} : Calls{"ShowErrorBox foreground"});
        EXPECT_EQ(fake.CallsStartingWith("FindTopLevelWindow").empty(), !launched);
    }
}

// Names the ANSI code page cannot hold. The ANSI tail is what Windows would
// cut from the best-fitted line; U+FF02 (a fullwidth quote) best-fits to '"'.
// Each row: the calls from the name checks to the start or the refusal (no
// window touched before the box, nor after it), and the command launched.
TEST(InstallCommand, NamesOutsideTheCodePageGoOnExactlyOrNotAtAll) {
    const std::string manager = "C:\\AppMgr\\CEAPPMGR.EXE \"";
    const Calls &exact_line = kLineChecked;
    const Calls line_not_exact = {"AnsiCodePage", "CommandLine", "WideCommandLine",
                                  "WideToAnsi size", "WideToAnsi size"};
    const Calls recut_line = Join({line_not_exact, {"WideToAnsi"}});
    const Calls exact_dir = {"WideCurrentDirectory", "WideToAnsi size", "WideToAnsi"};
    const Calls short_dir = {"WideCurrentDirectory", "WideToAnsi size", "WideShortPath",
                             "WideToAnsi size", "WideToAnsi"};
    const Calls unshortened_dir = {"WideCurrentDirectory", "WideToAnsi size", "WideShortPath",
                                   "WideToAnsi size"};
    const Calls surrogate_dir = {"WideCurrentDirectory", "WideShortPath", "WideToAnsi size",
                                 "WideToAnsi"};
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
        std::string box = kNotPassableBox;
        int code = kExitNamesNotPassable;
    };
    const Case cases[] = {
        {"exact", 1252, u"launcher.exe Sample.ini", "Sample.ini", u"C:\\uni\\Caf\u00e9",
         Join({exact_line, exact_dir, start}), manager + "C:\\uni\\Caf\xe9\\Sample.ini\""},
        {"directory with a short form", 1252, u"launcher.exe Sample.ini", "Sample.ini",
         u"C:\\uni\\Setup \u5f20\u4f1f", Join({exact_line, short_dir, start}),
         manager + "C:\\uni\\SETU~3R0\\Sample.ini\""},
        {"directory without a short form", 1252, u"launcher.exe Sample.ini", "Sample.ini",
         u"C:\\uni\\\u0141\u00f3d\u017a", Join({exact_line, unshortened_dir, refused}), ""},
        {"tail cut again from the Unicode line", 1252,
         u"\"C:\\uni\\q\uff02 r\\launcher.exe\" Sample.ini", "r\\launcher.exe\" Sample.ini",
         u"C:\\uni", Join({recut_line, exact_dir, start}), manager + "C:\\uni\\Sample.ini\""},
        {"tail cut again from the Unicode line, too long for any command", 1252,
         u"\"C:\\uni\\q\uff02 r\\launcher.exe\" " + std::u16string(300, u'x'), "x", u"C:\\uni",
         Join({recut_line, refused}), "", kListTooLongBox, kExitNoCommand},
        {"tail not convertible", 1252, u"launcher.exe Sample\uff02 x.ini", "Sample\" x.ini",
         u"C:\\uni", Join({line_not_exact, refused}), ""},
        {"UTF-8 code page", 65001, u"launcher.exe \u5f20.ini", "\xe5\xbc\xa0.ini",
         u"C:\\uni\\\u4f1f", Join({exact_line, exact_dir, start}),
         manager + "C:\\uni\\\xe4\xbc\x9f\\\xe5\xbc\xa0.ini\""},
        {"UTF-8 code page, a surrogate without its partner", 65001, u"launcher.exe Sample.ini",
         "Sample.ini", u"C:\\uni\\Setup \xd800", Join({exact_line, surrogate_dir, start}),
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
        EXPECT_EQ(fake.RunWithTail(c.tail), launched ? kExitDone : c.code);
        const auto from = std::find(fake.calls.begin(), fake.calls.end(), "AnsiCodePage");
        EXPECT_EQ(Calls(from, from + std::min<long>(c.calls.size(), fake.calls.end() - from)),
                  c.calls);
        EXPECT_EQ(fake.command_line, c.command);
        EXPECT_EQ(fake.boxes, launched ? Calls{} : Calls{c.box});
        if (!launched) {
            EXPECT_EQ(fake.calls.back(), "ShowErrorBox foreground");
        }
    }
}

} // namespace
} // namespace launcher
