// The bounded buffer: a copy or an append fits whole or changes nothing, and
// raw bytes from a system call become a string only where one fits.
#include <gtest/gtest.h>

#include <string>

#include "launcher/path_buffer.h"

namespace launcher {
namespace {

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

// As a registry query leaves it: `size` raw bytes, maybe without a NUL; the
// text before the first NUL, whatever follows it, when it fits.
TEST(PathBuffer, TakeStoredStringMakesRawBytesAString) {
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
        {"259 without a NUL", std::string(259, 'p'), true, std::string(259, 'p')},
        {"260 without a NUL", std::string(260, 'p'), false, ""},
        {"NULs up to 260 bytes", "C:\\A.EXE" + std::string(252, '\0'), true, "C:\\A.EXE"},
        {"other bytes after the NUL", std::string("C:\\A.EXE\0x", 10), true, "C:\\A.EXE"},
        {"two NULs", std::string("C:\\A.EXE\0\0", 10), true, "C:\\A.EXE"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PathBuffer buffer;
        for (size_t i = 0; i < PathBuffer::kCapacity; ++i) buffer.Data()[i] = 'z';
        for (size_t i = 0; i < c.raw.size(); ++i) buffer.Data()[i] = c.raw[i];
        EXPECT_EQ(buffer.TakeStoredString(static_cast<uint32_t>(c.raw.size())), c.ok);
        EXPECT_EQ(std::string(buffer.Text()), c.text);
    }
}

} // namespace
} // namespace launcher
