// The process entry: the launcher carries its own small start-up instead of a
// C runtime's, so that it imports nothing but KERNEL32, USER32 and ADVAPI32
// and cuts its command tail by its own rule (a C runtime's WinMain tail treats
// every byte from 0x80 up as a blank and ignores lead bytes).
#include <windows.h>

#include "launcher/command_tail.h"
#include "launcher/launch.h"
#include "win32/win32_platform.h"

// The GUI entry function: the launcher uses only the command tail.
int WINAPI WinMain(HINSTANCE /*hInstance*/, HINSTANCE /*hPrevInstance*/, LPSTR lpCmdLine,
                   int /*nShowCmd*/) {
    launcher::Win32Platform platform;
    return launcher::RunLaunchSequence(platform, lpCmdLine);
}

extern "C" void WINAPI start() {
    const launcher::Win32CodePage code_page;
    // GetCommandLineA points into the process's own copy of its command
    // line, which lives until the process ends.
    char *tail = const_cast<char *>(launcher::CutCommandTail(GetCommandLineA(), code_page));

    STARTUPINFOA si = {};
    si.cb = sizeof si;
    GetStartupInfoA(&si);
    const int show = (si.dwFlags & STARTF_USESHOWWINDOW) != 0 ? si.wShowWindow : SW_SHOWDEFAULT;

    ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, tail, show)));
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
