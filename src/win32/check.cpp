// launcher-check.exe: what launcher.exe would do on this PC, and why, without
// doing it. It makes the launcher's own plan, with the launcher's own code,
// and prints it a finding a line, in plain words, then the verdict; its exit
// code is the one the launcher would end with. It starts nothing, shows no
// box and touches no window.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "launcher/launch.h"
#include "launcher/lookup.h"
#include "launcher/reports.h"
#include "launcher/settling_pause.h"
#include "win32/win32_platform.h"

namespace {

using namespace launcher; // NOLINT(google-build-using-namespace): the launcher's own words

constexpr char kHelp[] =
    "launcher-check [LIST] tells what launcher.exe, started here with LIST (or bare), would do\n"
    "on this PC, and why: Windows and its session, where it looks for the application manager\n"
    "and what it finds there, the command it would start, the suite window and the settling\n"
    "pause. It starts nothing, shows no box and touches no window. Its exit code is the one\n"
    "launcher.exe would end with (0 to 4); started by a double-click, it waits for Enter.\n";

// One finding: its label, padded, and what was found.
template <typename... Words> void Say(const char *label, const char *format, Words... words) {
    std::printf("%-18s: ", label);
    std::printf(format, words...);
    std::printf("\n");
}

template <typename Function> Function Find(const char *dll, const char *name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA(dll), name)));
}

// Which Windows, as its kernel tells it (RtlGetVersion, which no
// compatibility layer changes), and how this 32-bit program runs on it.
void SayWindows() {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    using RtlGetVersionFunction = LONG(WINAPI *)(OSVERSIONINFOW *);
    if (const auto get = Find<RtlGetVersionFunction>("ntdll.dll", "RtlGetVersion")) get(&version);
    using IsWow64Process2Function = BOOL(WINAPI *)(HANDLE, USHORT *, USHORT *);
    using IsWow64ProcessFunction = BOOL(WINAPI *)(HANDLE, BOOL *);
    USHORT process = 0;
    USHORT native = 0;
    BOOL wow64 = FALSE;
    const char *how = "32-bit Windows";
    if (const auto is2 = Find<IsWow64Process2Function>("kernel32.dll", "IsWow64Process2");
        is2 != nullptr && is2(GetCurrentProcess(), &process, &native) != FALSE && process != 0) {
        how = native == 0xAA64 ? "64-bit Windows on ARM, this program under x86 emulation"
                               : "64-bit Windows, this program through WOW64";
    } else if (const auto is = Find<IsWow64ProcessFunction>("kernel32.dll", "IsWow64Process");
               is != nullptr && is(GetCurrentProcess(), &wow64) != FALSE && wow64 != FALSE) {
        how = "64-bit Windows, this program through WOW64";
    }
    Say("Windows", "%lu.%lu.%lu, %s", version.dwMajorVersion, version.dwMinorVersion,
        version.dwBuildNumber, how);
}

const char *kPlaceNames[] = {"registration", "device center", "ActiveSync"};

const char *Why(Finding finding) {
    switch (finding) {
    case Finding::kTaken:
        return "taken: an existing file, by a full path";
    case Finding::kNone:
        return "passed over: no App Paths entry, no default value, no string, or longer than 259";
    case Finding::kNotExpanded:
        return "passed over: it names a variable other than Windows' folders, or is too long "
               "expanded";
    case Finding::kNotRooted:
        return "passed over: no full path, the current directory would complete it";
    case Finding::kNothing:
        return "passed over: no such file";
    case Finding::kFolder:
        return "passed over: a folder, not a file";
    }
    return "";
}

// The registration in the registry's other view, which this 32-bit program
// does not read: 64-bit Windows keeps App Paths apart for 64-bit programs on
// Vista (from Windows 7 on the two views share it).
void SayOtherView() {
    HKEY key = nullptr;
    char value[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    const bool read = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, KEY_READ | KEY_WOW64_64KEY,
                                    &key) == ERROR_SUCCESS &&
                      RegQueryValueExA(key, nullptr, nullptr, nullptr,
                                       reinterpret_cast<BYTE *>(value), &size) == ERROR_SUCCESS;
    if (key != nullptr) RegCloseKey(key);
    Say("  other view",
        read ? "\"%s\" (for information: the launcher reads the 32-bit view)"
             : "none (for information: the launcher reads the 32-bit view)",
        value);
}

// The execution level that `module`'s manifest asks for, read from its
// resources without running it: asInvoker, highestAvailable or
// requireAdministrator, "none" without one.
void SayExecutionLevel(const char *module) {
    char level[32] = "none";
    if (HMODULE file = LoadLibraryExA(module, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        HRSRC found = FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
        const char *text =
            found ? static_cast<const char *>(LockResource(LoadResource(file, found))) : nullptr;
        const DWORD size = found ? SizeofResource(file, found) : 0;
        const char *end = text + size;
        for (const char *p = text; p != nullptr && p + 6 < end; ++p) {
            if (std::strncmp(p, "level=", 6) != 0) continue;
            const char quote = p[6];
            const char *value = p + 7;
            size_t n = 0;
            while (value + n < end && value[n] != quote && n + 1 < sizeof level) ++n;
            std::memcpy(level, value, n);
            level[n] = '\0';
            break;
        }
        FreeLibrary(file);
    }
    Say("  manifest asks", "%s%s", level,
        std::strcmp(level, "requireAdministrator") == 0 ||
                std::strcmp(level, "highestAvailable") == 0
            ? ": where the launcher runs without those rights, Windows asks the user for them"
            : "");
}

void SayLookup(Platform &platform, const Plan &plan) {
    bool taken = false;
    for (const Place place : kPlaces) {
        PathBuffer path;
        PathBuffer module;
        const Finding finding = LookAt(platform, plan.known, place, &path, &module);
        Say(kPlaceNames[static_cast<int>(place)], "\"%s\": %s%s", path.Text(), Why(finding),
            taken ? " (the launcher does not look here: it took the one above)" : "");
        if (place == Place::kRegistration) SayOtherView();
        taken = taken || finding == Finding::kTaken;
    }
}

void SayRun(const Plan &plan) {
    if (plan.tail.outcome != Outcome::kGo) {
        Say("command tail", "not to be passed on as the caller wrote it");
    } else {
        Say("command tail", plan.bare ? "none: the manager would run bare" : "\"%s\"",
            plan.tail.text);
    }
    if (plan.outcome != Outcome::kGo) {
        Say("command", "none: %s", RefusalText(plan.outcome));
        return;
    }
    const PathBuffer &line = plan.bare ? plan.manager_path : plan.command;
    Say("command", "%s (%lu of 259 characters)", line.Text(),
        static_cast<unsigned long>(line.Length()));
    if (!plan.bare) {
        // The list's full path: what stands between the quotes after the
        // manager's path and its blank.
        PathBuffer list;
        list.Copy(plan.command.Text() + plan.manager_path.Length() + 2);
        list.Terminate(list.Length() - 1);
        Say("list file",
            GetFileAttributesA(list.Text()) != INVALID_FILE_ATTRIBUTES
                ? "%s is there"
                : "%s is not there: the manager would be handed a list it cannot read",
            list.Text());
    }
    char title[256] = "";
    if (plan.suite.window != nullptr)
        GetWindowTextA(static_cast<HWND>(plan.suite.window), title, sizeof title);
    Say("suite window",
        plan.suite.window == nullptr
            ? "none open: nothing to minimize"
            : "\"%s\"%s: minimized while the manager runs, then shown again",
        title, plan.suite.primary ? " (the primary one)" : "");
    const uint32_t minimum = plan.bare || !plan.suite.primary ? 0 : MinimumFor(plan.tail.text);
    if (minimum != 0) {
        Say("settling pause", "until %lu s after the launch",
            static_cast<unsigned long>(minimum / 1000));
    } else {
        Say("settling pause", "none");
    }
}

void SayVerdict(const Plan &plan) {
    if (plan.unseen) {
        Say("launcher.exe would",
            "start and show nothing, as nobody can see this run; exit code 4");
    } else if (!plan.found) {
        Say("launcher.exe would", "show the box \"%s\" and start nothing; exit code 0",
            kManagerMissingText);
    } else if (plan.outcome != Outcome::kGo) {
        Say("launcher.exe would", "show the box \"%s\" and start nothing; exit code %d",
            RefusalText(plan.outcome), plan.exit_code);
    } else {
        Say("launcher.exe would",
            "start %s %s and wait for it; exit code 0 (3 where Windows refuses to start it, or "
            "the user declines its prompt for administrator rights)",
            plan.module.Text(), plan.bare ? "bare" : "on the list");
    }
}

// Whether this program has a console of its own, as one started by a
// double-click does, which closes with its last line.
bool OwnConsole() {
    DWORD processes[2];
    return GetConsoleProcessList(processes, 2) == 1;
}

} // namespace

int main() {
    Win32Platform platform;
    const char *tail = CutCommandTail(platform.CommandLine(), platform);
    if (std::strcmp(tail, "--help") == 0 || std::strcmp(tail, "/?") == 0) {
        (void)std::fputs(kHelp, stdout);
        return 0;
    }
    // Paths are printed in the ANSI code page, as the launcher has them.
    const UINT console = GetConsoleOutputCP();
    if (console != 0) SetConsoleOutputCP(GetACP());

    Plan plan;
    MakePlan(platform, &plan);
    SayWindows();
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    Say("session", "%lu; %s", session,
        plan.unseen ? "nobody can see this run (a window station not visible, or session 0)"
                    : "the run counts as seen");
    if (!plan.unseen) {
        char folders[2 * MAX_PATH] = {};
        GetEnvironmentVariableA("windir", folders, MAX_PATH);
        std::strcat(folders, ", ");
        GetEnvironmentVariableA("ProgramFiles", folders + std::strlen(folders), MAX_PATH);
        Say("Windows' folders", "%s", folders);
        SayLookup(platform, plan);
    }
    if (plan.found) {
        Say("manager", "%s", plan.module.Text());
        SayExecutionLevel(plan.module.Text());
        SayRun(plan);
    }
    SayVerdict(plan);
    (void)std::fflush(stdout);
    if (console != 0) SetConsoleOutputCP(console);
    if (OwnConsole()) {
        std::printf("\nPress Enter to close this window.");
        (void)std::getchar();
    }
    return plan.exit_code;
}
