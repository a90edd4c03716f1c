// The launcher's only window on the operating system: one operation for each
// system call it makes, with no system type in sight. Handles travel as opaque
// values; every operation returns a bool or a value, never a raw status code,
// and every text it reads comes back whole and NUL-terminated, or not at all.
// The Win32 implementation lives in src/win32; tests supply a fake.
#pragma once

#include <cstdint>

namespace launcher {

// A registry key, process or window, as the system hands it out. Null means
// "none".
using Handle = void *;

// What a process start hands back: the child's process handle, null until
// then, or why Windows refused it (GetLastError's code, for DescribeError).
struct ChildProcess {
    Handle process = nullptr;
    uint32_t error = 0;
};

// CreateProcessA's error for a program whose manifest asks for
// administrator rights that the caller lacks (ERROR_ELEVATION_REQUIRED).
constexpr uint32_t kErrorElevationRequired = 740;

// What a path names, as its attributes tell.
enum class PathKind {
    kNothing, // no such file or folder, or it cannot be reached
    kFolder,
    kFile,
};

// How a window is to be shown.
enum class WindowShow {
    kMinimized, // SW_SHOWMINIMIZED: minimized, and made the active window
    kNormal,    // SW_SHOWNORMAL: activated at its normal size and place
};

// Every operation that reads text into a buffer takes the buffer's
// `capacity`, NUL included, and returns true only when the whole text stood
// in it, NUL-terminated; false leaves nothing in it to be used.
class Platform {
public:
    // SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32), found with
    // GetProcAddress where Windows has it (8 and later; Vista and 7 with
    // update KB2533623): the DLLs that Windows loads on demand from then on,
    // for a message box's themes or input methods, come from System32 only,
    // never from the program's own folder, where a planted one could lie.
    // Then, on every Windows, SetDllDirectoryA("") (XP SP1 and later), also
    // looked up, which takes the current directory out of the search; unlike
    // the first, the programs this one starts inherit it.
    virtual void RestrictDllSearch() = 0;

    // GetCommandLineA: the command line in the ANSI code page, as Windows
    // converted it from the caller's; never null. It lives until the process
    // ends.
    virtual const char *CommandLine() = 0;

    // IsDBCSLeadByte: whether `byte` opens a two-byte character in the ANSI
    // code page.
    virtual bool IsLeadByte(unsigned char byte) = 0;

    // GetSystemWindowsDirectoryA: the Windows folder of the whole system
    // (GetWindowsDirectoryA may give a user's own under Terminal Services).
    virtual bool SystemWindowsFolder(char *folder, uint32_t capacity) = 0;

    // SetEnvironmentVariableA in this process's environment, which the
    // child inherits; a null value removes the variable. False when Windows
    // refused (no memory for a larger environment, say): the variable may
    // then still hold what it held.
    virtual bool SetEnvironment(const char *name, const char *value) = 0;

    // RegOpenKeyExA under HKEY_LOCAL_MACHINE with KEY_READ. True and the key
    // in *key when it opened.
    virtual bool OpenMachineKey(const char *subkey, Handle *key) = 0;

    // RegQueryValueExA of the string value `name` (null: the key's default
    // value) into `text`. A registry string is the text before the first NUL
    // of the data read (all of it where it holds none), when that text has
    // at most capacity - 1 characters; a longer one is none, as is data
    // larger than `capacity` and a value that is missing or no string
    // (neither REG_SZ nor REG_EXPAND_SZ). *expandable tells whether it is
    // REG_EXPAND_SZ, a string with variables to expand.
    virtual bool ReadStringValue(Handle key, const char *name, char *text, uint32_t capacity,
                                 bool *expandable) = 0;

    // ExpandEnvironmentStringsA of `text` into `expanded`, in this process's
    // environment: whole when the result has at most capacity - 1
    // characters, or no more than a PathBuffer holds, whichever is less.
    virtual bool ExpandEnvironment(const char *text, char *expanded, uint32_t capacity) = 0;

    // GetFileAttributesA: what `path` names.
    virtual PathKind PathKindOf(const char *path) = 0;

    // RegCloseKey.
    virtual void CloseKey(Handle key) = 0;

    // MessageBoxA without owner, an error icon and the single OK button;
    // returns when the user has dismissed it. With `foreground`
    // (MB_SETFOREGROUND), the box is brought to the front.
    virtual void ShowErrorBox(const char *text, const char *caption, bool foreground) = 0;

    // GetUserObjectInformationA(GetProcessWindowStation(), UOI_FLAGS): true
    // only when the answer is that this process's window station is not
    // visible (no WSF_VISIBLE: a service's, or SYSTEM's in session 0), where
    // nobody could see a box or dismiss it.
    virtual bool WindowStationInvisible() = 0;

    // GetProcAddress on KERNEL32: whether it exports `function`. Which
    // Windows runs is told by what its KERNEL32 has, which no compatibility
    // layer changes (GetVersion answers as the layer says: XP under
    // __COMPAT_LAYER=WinXPSp3, which a caller may hand down).
    virtual bool KernelExports(const char *function) = 0;

    // ProcessIdToSessionId(GetCurrentProcessId()): this process's session
    // into *session; false when Windows cannot tell.
    virtual bool ProcessSession(uint32_t *session) = 0;

    // FormatMessageA from the system, without inserts, in the user's
    // language: Windows' own words for `error`. False when there are none.
    virtual bool DescribeError(uint32_t error, char *words, uint32_t capacity) = 0;

    // GetCommandLineW: the command line as the caller gave it, before any
    // conversion to the ANSI code page; never null. It lives until the
    // process ends.
    virtual const char16_t *WideCommandLine() = 0;

    // GetCurrentDirectoryW, in UTF-16 units. False when it cannot be read,
    // with *too_long set when that is because it is longer than `capacity`
    // holds.
    virtual bool WideCurrentDirectory(char16_t *directory, uint32_t capacity, bool *too_long) = 0;

    // GetShortPathNameW: the 8.3 form of an existing path. Where the volume
    // keeps no short names, the path comes back as it was given.
    virtual bool WideShortPath(const char16_t *path, char16_t *short_path, uint32_t capacity) = 0;

    // GetACP: the ANSI code page's number.
    virtual uint32_t AnsiCodePage() = 0;

    // WideCharToMultiByte from the NUL-terminated `text` into the ANSI code
    // page. With `used_default` non-null, no character is replaced by a
    // look-alike (WC_NO_BEST_FIT_CHARS) and *used_default tells whether any
    // had no counterpart; with null, neither flag nor pointer is passed, as
    // code page 65001 demands. With no buffer (`ansi` null, capacity 0) it
    // only asks whether the text converts, whatever its length.
    virtual bool WideToAnsi(const char16_t *text, char *ansi, uint32_t capacity,
                            bool *used_default) = 0;

    // CreateProcessA with the given module and command line, no inherited
    // handles, no creation flags, this process's environment and directory.
    // True when the child was started; *child then holds its process
    // handle (the thread's is closed at once: nothing waits on it), else
    // the error.
    virtual bool StartProcess(const char *application, char *command_line, ChildProcess *child) = 0;

    // ShellExecuteExA with no verb, as Explorer starts a program: where its
    // manifest asks for administrator rights that this process lacks,
    // Windows asks the user for them. `parameters` are the arguments after
    // the module; the child starts in this process's current directory.
    // SHELL32 is loaded for it from the system folder alone, and only here.
    // True when the child was started; *child then holds its process handle
    // (null where Windows hands none over), else the error (ERROR_CANCELLED
    // when the user declined), left as it was where SHELL32 could not be had.
    virtual bool StartThroughShell(const char *application, const char *parameters,
                                   ChildProcess *child) = 0;

    // GetExitCodeProcess: false when the status cannot be queried at all.
    virtual bool QueryExitStatus(Handle process, uint32_t *status) = 0;

    // WaitForSingleObject with a zero time-out: true when the process has
    // ended, whatever exit code it reported.
    virtual bool HasEnded(Handle process) = 0;

    // CloseHandle; a null handle is closed without effect.
    virtual void CloseHandle(Handle handle) = 0;

    // FindWindowA with no class name: a top-level window with this title,
    // or null.
    virtual Handle FindTopLevelWindow(const char *title) = 0;

    // ShowWindowAsync: the window's own thread carries the request out, so a
    // program that has stopped responding cannot hold the launcher. A window
    // that no longer exists is left alone quietly.
    virtual void ShowWindow(Handle window, WindowShow show) = 0;

    // GetTickCount: milliseconds since the system started, wrapping at 2^32.
    virtual uint32_t TickCount() = 0;

    // Sleep.
    virtual void Sleep(uint32_t milliseconds) = 0;

protected:
    // Never deleted through the interface: a virtual destructor would need
    // operator delete, which the launcher (built without a C++ runtime)
    // does not have.
    ~Platform() = default;
};

} // namespace launcher
