// Cutting the command tail, one table: quotes, blanks, control bytes, bytes
// from 0x80 up and double-byte characters.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "fake_platform.h"
#include "launcher/command_tail.h"

namespace launcher {
namespace {

using testing::FakePlatform;

struct TailCase {
    const char *name;
    std::string line;
    std::string tail;
    bool double_byte = false;
};

const TailCase kCases[] = {
    {"unquoted path", "C:\\Setup\\launcher.exe BasePackCAB.ini", "BasePackCAB.ini"},
    {"quoted path with a blank, three blanks", "\"C:\\My Setup\\launcher.exe\"   BasePackCAB.ini",
     "BasePackCAB.ini"},
    {"quoted path alone", "\"C:\\My Setup\\launcher.exe\"", ""},
    {"quoted path and blanks only", "\"C:\\My Setup\\launcher.exe\"  \t ", ""},
    {"quoted name with a blank", "launcher.exe \"My List.ini\"", "\"My List.ini\""},
    {"trailing blank kept", "launcher.exe BasePackCAB.ini ", "BasePackCAB.ini "},
    {"tab separates", "launcher.exe\tBasePackCAB.ini", "BasePackCAB.ini"},
    {"control bytes are blanks", "launcher.exe\x01\x1f\x20x.ini", "x.ini"},
    {"byte 127 is no blank", "launcher.exe\x7fx.ini", ""},
    {"unmatched quote takes the rest", "\"C:\\Setup\\launcher.exe BasePackCAB.ini", ""},
    {"leading blank: empty token", "  C:\\launcher.exe BasePackCAB.ini",
     "C:\\launcher.exe BasePackCAB.ini"},
    {"quotes in the middle of the token", "C:\\a\"b c\"d\\launcher.exe x.ini", "x.ini"},
    {"empty line", "", ""},
    {"program name only", "launcher.exe", ""},
    // 0xA0 is a no-break space in code page 1252, not a blank.
    {"bytes from 0x80 up in the path", "C:\\Caf\xe9\xa0\xff\\launcher.exe x.ini", "x.ini"},
    {"bytes from 0x80 up in the tail", "launcher.exe \xe9t\xe9.ini", "\xe9t\xe9.ini"},
    // A trail byte is part of its character even when it looks like a blank
    // or a quote.
    {"trail byte 0x20", "C:\\\x83\x20x\\launcher.exe y.ini", "y.ini", true},
    {"same bytes, single-byte page", "C:\\\x83\x20x\\launcher.exe y.ini", "x\\launcher.exe y.ini"},
    {"trail byte quote", "a\x81\" b", "b", true},
    {"same bytes, single-byte page", "a\x81\" b", ""},
    {"double-byte tail", "launcher.exe \x83\x65.ini", "\x83\x65.ini", true},
    {"lead byte before the NUL, in the token", "launcher.exe\x81", "", true},
    {"lead byte before the NUL, in the tail", "launcher.exe x\x81", "x\x81", true},
};

TEST(CommandTail, CutsTheTailAsATable) {
    for (const TailCase &c : kCases) {
        SCOPED_TRACE(c.name);
        // An exactly sized copy: reading past the NUL is caught by ASan.
        const std::unique_ptr<char[]> line(new char[c.line.size() + 1]);
        std::memcpy(line.get(), c.line.c_str(), c.line.size() + 1);
        FakePlatform page;
        page.code_page = c.double_byte ? 932 : 1252;
        const char *tail = CutCommandTail(line.get(), page);
        EXPECT_EQ(std::string(tail), c.tail);
        // A view into the line, never a copy.
        EXPECT_EQ(tail, line.get() + (c.line.size() - c.tail.size()));
    }
}

TEST(CommandTail, NoCommandLineIsTheEmptyLine) {
    FakePlatform page;
    EXPECT_STREQ(CutCommandTail(nullptr, page), "");
}

} // namespace
} // namespace launcher
