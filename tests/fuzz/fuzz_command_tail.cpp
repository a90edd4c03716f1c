// Fuzzing the command tail: any command line, in a single-byte or a
// double-byte code page. The first input byte picks the code page; the rest
// is the line, in a buffer of exactly its size. Cut from the line's UTF-16
// image, the tail must start at the same character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../host/fake_platform.h"
#include "launcher/command_tail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    launcher::testing::FakePlatform page;
    page.code_page = (data[0] & 1) != 0 ? 932 : 1252;
    // The line ends at its first NUL, as a real command line does.
    const size_t length = strnlen(reinterpret_cast<const char *>(data + 1), size - 1);
    const std::unique_ptr<char[]> line(new char[length + 1]);
    std::memcpy(line.get(), data + 1, length);
    line[length] = '\0';

    const char *tail = launcher::CutCommandTail(line.get(), page);
    // A view into the line that ends at its NUL and never starts with a blank.
    if (tail < line.get() || tail > line.get() + length) std::abort();
    if (std::strlen(tail) != length - static_cast<size_t>(tail - line.get())) std::abort();
    if (*tail != '\0' && static_cast<unsigned char>(*tail) <= ' ' && tail != line.get())
        std::abort();

    // The same line in UTF-16, as Windows holds it: a two-byte character is
    // one unit from 0x100 up, any other byte the unit of its own value. A
    // line that ends in a lead byte has no such image. Cut from it, the tail
    // must start at the same character.
    std::u16string wide;
    std::vector<size_t> unit_at(length + 1); // the unit each byte's character starts
    for (size_t i = 0; i < length; ++i) {
        unit_at[i] = wide.size();
        const auto byte = static_cast<unsigned char>(line[i]);
        if (!page.IsLeadByte(byte)) {
            wide += static_cast<char16_t>(byte);
        } else if (i + 1 < length) {
            wide +=
                static_cast<char16_t>(0x100 + (byte << 8 | static_cast<unsigned char>(line[++i])));
        } else {
            return 0;
        }
    }
    unit_at[length] = wide.size();
    const char16_t *wide_tail = launcher::CutCommandTail(wide.c_str());
    if (static_cast<size_t>(wide_tail - wide.c_str()) != unit_at[tail - line.get()]) std::abort();
    return 0;
}
