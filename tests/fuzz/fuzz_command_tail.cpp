// Fuzzing the command tail: any command line, in a single-byte or a
// double-byte code page. The first input byte picks the code page; the rest
// is the line, in a buffer of exactly its size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "../host/fake_platform.h"
#include "launcher/command_tail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    const launcher::testing::FakeDoubleByteCodePage double_byte;
    const launcher::testing::FakeSingleByteCodePage single_byte;
    const launcher::CodePage &page = (data[0] & 1) != 0
                                         ? static_cast<const launcher::CodePage &>(double_byte)
                                         : static_cast<const launcher::CodePage &>(single_byte);
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
    return 0;
}
