// The bounded buffer and what is built in it: the install command, the
// module name, a registry value made a string.
#include <gtest/gtest.h>

#include <string>

#include "launcher/launch.h"
#include "launcher/path_buffer.h"

namespace launcher {
namespace {

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

TEST(PathBuffer, CopyAndAppendFitWholeOrChangeNothing) {
    PathBuffer buffer;
    ASSERT_TRUE(buffer.Copy(std::string(250, 'a').c_str()));
    EXPECT_FALSE(buffer.Append(std::string(10, 'b').c_str()));
    EXPECT_EQ(buffer.Length(), 250u);
    EXPECT_TRUE(buffer.Append(std::string(9, 'b').c_str()));
    EXPECT_EQ(buffer.Length(), 259u);
    EXPECT_FALSE(buffer.Append("c"));
    EXPECT_FALSE(buffer.Copy(std::string(260, 'd').c_str()));
    EXPECT_EQ(std::string(buffer.Text()), std::string(250, 'a') + std::string(9, 'b'));
    EXPECT_TRUE(buffer.Copy(""));
    EXPECT_EQ(buffer.Length(), 0u);
}

// As a registry query leaves it: `length` raw bytes, maybe without a NUL.
TEST(PathBuffer, TerminateMakesRawBytesAString) {
    struct Case {
        const char *name;
        std::string raw;
        bool ok;
        std::string text;
    };
    const Case cases[] = {
        {"with its NUL", std::string("C:\\A.EXE\0", 9), true, "C:\\A.EXE"},
        {"without a NUL", "C:\\A.EXE", true, "C:\\A.EXE"},
        {"empty", "", true, ""},
        {"259 and the NUL", std::string(259, 'p') + '\0', true, std::string(259, 'p')},
        {"260 without a NUL", std::string(260, 'p'), false, ""},
        {"260 with a NUL inside", "C:\\A.EXE" + std::string(252, '\0'), true, "C:\\A.EXE"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PathBuffer buffer;
        for (size_t i = 0; i < PathBuffer::kCapacity; ++i) buffer.Data()[i] = 'z';
        for (size_t i = 0; i < c.raw.size(); ++i) buffer.Data()[i] = c.raw[i];
        EXPECT_EQ(buffer.Terminate(static_cast<uint32_t>(c.raw.size())), c.ok);
        EXPECT_EQ(std::string(buffer.Text()), c.text);
    }
}

TEST(ApplicationName, RemovesOnePairOfEnclosingQuotes) {
    struct Case {
        const char *path;
        const char *name;
    };
    const Case cases[] = {
        {"C:\\AppMgr\\CEAPPMGR.EXE", "C:\\AppMgr\\CEAPPMGR.EXE"},
        {"\"C:\\Program Files\\AS\\CEAPPMGR.EXE\"", "C:\\Program Files\\AS\\CEAPPMGR.EXE"},
        {"\"\"C:\\X.EXE\"\"", "\"C:\\X.EXE\""},
        {"\"C:\\X.EXE\" /s", "\"C:\\X.EXE\" /s"},
        {"\"\"", ""},
        {"\"", "\""},
        {"", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        PathBuffer path;
        ASSERT_TRUE(path.Copy(c.path));
        PathBuffer name;
        ApplicationName(path, &name);
        EXPECT_STREQ(name.Text(), c.name);
    }
}

} // namespace
} // namespace launcher
