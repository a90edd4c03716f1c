// The machine the benchmark ran on, described for the head of its figures:
// Windows' version, the processor, and how 32-bit programs run there.
#pragma once

#include <string>

namespace bench {

// The machine, as lines for the head of figures.md: Windows' version and
// build, the processor, and whether 32-bit programs run under x86 emulation
// on ARM64, through WOW64 on x64, or under Wine.
std::string Machine();

} // namespace bench
