// The process entry: the launcher carries its own small start-up instead of a
// C runtime's, so that it imports nothing but KERNEL32, USER32 and ADVAPI32,
// and its command tail is cut by its own rule (a C runtime's WinMain tail
// treats every byte from 0x80 up as a blank and ignores lead bytes). The
// sequence asks the platform for the command line itself.
#include <windows.h>

#include "launcher/launch.h"
#include "win32/win32_platform.h"

extern "C" void WINAPI start() {
    launcher::Win32Platform platform;
    ExitProcess(static_cast<UINT>(launcher::RunLaunchSequence(platform)));
}

// Without a C runtime these two are the launcher's own: the compiler emits
// calls to them for zeroing and copying structures. This file is compiled
// without loop-to-call rewriting (CMakeLists.txt), so that they do not call
// themselves.
extern "C" void *memset(void *destination, int value, size_t count) {
    auto *d = static_cast<unsigned char *>(destination);
    while (count-- != 0) *d++ = static_cast<unsigned char>(value);
    return destination;
}

extern "C" void *memcpy(void *destination, const void *source, size_t count) {
    auto *d = static_cast<unsigned char *>(destination);
    const auto *s = static_cast<const unsigned char *>(source);
    while (count-- != 0) *d++ = *s++;
    return destination;
}
