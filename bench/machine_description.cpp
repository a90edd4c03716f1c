// Describing the machine: Windows' true version, the processor, and how this
// 32-bit program runs on it; see machine_description.h.
#include "machine_description.h"

#include <windows.h>

#include <cstdio>

#include "harness.h"

namespace bench {
namespace {

// A string value of a key under HKEY_LOCAL_MACHINE, from the 64-bit view
// where there is one, or "".
std::string MachineText(const char *key, const char *name) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | KEY_WOW64_64KEY, &k) != ERROR_SUCCESS)
        return "";
    char value[512] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    const bool read = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE *>(value),
                                       &size) == ERROR_SUCCESS &&
                      type == REG_SZ;
    RegCloseKey(k);
    return read ? value : "";
}

// A function that not every system has, looked up where it would be.
template <typename Function> Function Find(const char *dll, const char *name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA(dll), name)));
}

// How this 32-bit program runs: under Wine (on Linux, natively or through
// the emulator), or on Windows, under x86 emulation on ARM64, through WOW64
// on x64, or natively on 32-bit Windows.
std::string HowItRuns() {
    if (harness::UnderWine()) {
        using HostVersion = void(CDECL *)(const char **, const char **);
        const char *system = "?", *release = "?";
        if (const auto host = Find<HostVersion>("ntdll.dll", "wine_get_host_version"))
            host(&system, &release);
        // The session tells whether, and through which, as it started.
        char emulator[256] = {};
        const DWORD n = GetEnvironmentVariableA("LAUNCHER_EMULATOR", emulator, sizeof emulator);
        const bool emulated = n > 0 && n < sizeof emulator;
        using WineVersion = const char *(CDECL *)();
        return std::string("under Wine ") + Find<WineVersion>("ntdll.dll", "wine_get_version")() +
               " on " + system + " " + release +
               (emulated ? ", 32-bit programs through the emulator " + std::string(emulator)
                         : ", 32-bit programs natively");
    }
    using IsWow64Process2Function = BOOL(WINAPI *)(HANDLE, USHORT *, USHORT *);
    USHORT process = 0, native = 0;
    const auto wow64 = Find<IsWow64Process2Function>("kernel32.dll", "IsWow64Process2");
    if (wow64 != nullptr && wow64(GetCurrentProcess(), &process, &native)) {
        if (native == 0xAA64) return "32-bit x86 programs under x86 emulation on ARM64";
        if (process != 0) return "32-bit programs through WOW64 on x64";
        return "natively, on 32-bit Windows";
    }
    BOOL under_wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &under_wow64);
    return under_wow64 ? "32-bit programs through WOW64 on 64-bit Windows"
                       : "natively, on 32-bit Windows";
}

} // namespace

std::string Machine() {
    std::string windows;
    if (!harness::UnderWine()) {
        // RtlGetVersion tells the true version, where GetVersionEx tells what
        // a program's manifest lets it see.
        using RtlGetVersionFunction = LONG(WINAPI *)(OSVERSIONINFOW *);
        OSVERSIONINFOW v = {};
        v.dwOSVersionInfoSize = sizeof v;
        if (const auto get = Find<RtlGetVersionFunction>("ntdll.dll", "RtlGetVersion")) get(&v);
        const char *key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
        windows = "Windows " + std::to_string(v.dwMajorVersion) + "." +
                  std::to_string(v.dwMinorVersion) + " build " + std::to_string(v.dwBuildNumber) +
                  " (" + MachineText(key, "ProductName") + " " +
                  MachineText(key, "DisplayVersion") + "; build 22000 and later is Windows 11), ";
    }
    SYSTEM_INFO system = {};
    GetNativeSystemInfo(&system);
    SYSTEMTIME now = {};
    GetSystemTime(&now);
    char taken[64];
    std::snprintf(taken, sizeof taken, "%04u-%02u-%02u %02u:%02u UTC", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute);
    return "Machine: " + windows + std::to_string(system.dwNumberOfProcessors) + " cores (" +
           MachineText("HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                       "ProcessorNameString") +
           "), " + HowItRuns() + "; taken " + taken + ".\n";
}

} // namespace bench
