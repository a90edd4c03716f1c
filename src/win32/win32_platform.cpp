// The platform in Win32: each operation is one Win32 call, and its status
// codes become bool here.
#include "win32/win32_platform.h"

#include <windows.h>

#include <shellapi.h> // SHELLEXECUTEINFOA alone: SHELL32 is loaded, never imported

#include "launcher/path_buffer.h"

namespace launcher {

namespace {

// Whether the text that a call filled in stood whole in `capacity`, for the
// calls that return its length when it fit and the size it needs, NUL
// included, when it did not, or 0 when they failed: GetSystemWindowsDirectoryA,
// GetCurrentDirectoryW and GetShortPathNameW.
bool Fits(DWORD length, uint32_t capacity) { return length != 0 && length < capacity; }

// A function of KERNEL32 that not every Windows has, looked up rather than
// imported (an import missing from KERNEL32 would stop the program from
// loading at all); null where this Windows lacks it.
FARPROC KernelFunction(const char *name) {
    return GetProcAddress(GetModuleHandleA("kernel32.dll"), name);
}

// LOAD_LIBRARY_SEARCH_SYSTEM32, which Windows knows where KERNEL32 has
// SetDefaultDllDirectories.
constexpr DWORD kSearchSystem32 = 0x00000800;

// SHELL32 from the system folder and nowhere else: by the flag where Windows
// knows it, else by its full path there. It stays loaded: the shell may
// leave work of its own running in the process.
HMODULE LoadShell32() {
    if (KernelFunction("SetDefaultDllDirectories") != nullptr)
        return LoadLibraryExA("shell32.dll", nullptr, kSearchSystem32);
    PathBuffer path;
    return Fits(GetSystemDirectoryA(path.Data(), PathBuffer::kCapacity), PathBuffer::kCapacity) &&
                   path.Append("\\shell32.dll")
               ? LoadLibraryA(path.Text())
               : nullptr;
}

// Windows shows the first window of a process, the first time it is shown,
// as the caller's STARTUPINFO asks (wShowWindow under STARTF_USESHOWWINDOW)
// rather than as that call asks; every later call is carried out as asked.
// A caller that hides the windows of what it starts (SW_HIDE) would so hide
// the box, the launcher's only window, and the installation would wait for
// ever on a box nobody sees. So, once the box has handled WM_INITDIALOG and
// before it is first shown, it is shown twice: the second call shows it
// normally, whatever the first made of it.
LRESULT CALLBACK ShowTheBoxAsAsked(int code, WPARAM wparam, LPARAM lparam) {
    // A WH_CALLWNDPROCRET hook is handed the message it saw as an LPARAM.
    const auto *message =
        reinterpret_cast<const CWPRETSTRUCT *>(lparam); // NOLINT(performance-no-int-to-ptr)
    if (code == HC_ACTION && message->message == WM_INITDIALOG) {
        ShowWindow(message->hwnd, SW_SHOWNORMAL);
        ShowWindow(message->hwnd, SW_SHOWNORMAL);
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

} // namespace

void Win32Platform::RestrictDllSearch() {
    // Neither is in XP's KERNEL32 as first shipped: used where found.
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI *)(DWORD);
    if (const FARPROC found = KernelFunction("SetDefaultDllDirectories")) {
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void *>(found))(
            kSearchSystem32);
    }
    // Whether or not the first took: it holds for this process alone, and
    // this one is what the manager inherits.
    using SetDllDirectoryFunction = BOOL(WINAPI *)(LPCSTR);
    if (const FARPROC found = KernelFunction("SetDllDirectoryA"))
        reinterpret_cast<SetDllDirectoryFunction>(reinterpret_cast<void *>(found))("");
}

const char *Win32Platform::CommandLine() {
    const char *line = GetCommandLineA();
    return line != nullptr ? line : "";
}

bool Win32Platform::IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

bool Win32Platform::SystemWindowsFolder(char *folder, uint32_t capacity) {
    return Fits(GetSystemWindowsDirectoryA(folder, capacity), capacity);
}

bool Win32Platform::SetEnvironment(const char *name, const char *value) {
    return SetEnvironmentVariableA(name, value) != FALSE;
}

bool Win32Platform::OpenMachineKey(const char *subkey, Handle *key) {
    HKEY hkey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, &hkey) != ERROR_SUCCESS)
        return false;
    *key = hkey;
    return true;
}

bool Win32Platform::ReadStringValue(Handle key, const char *name, char *text, uint32_t capacity,
                                    bool *expandable) {
    DWORD type = REG_NONE;
    DWORD size = capacity;
    const LONG status = RegQueryValueExA(static_cast<HKEY>(key), name, nullptr, &type,
                                         reinterpret_cast<BYTE *>(text), &size);
    *expandable = type == REG_EXPAND_SZ;
    // Stored with its NUL or without, by whatever wrote it: the bytes are
    // made a string, whole or not at all.
    return status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) &&
           bounded::TakeStoredString(text, capacity, size);
}

bool Win32Platform::ExpandEnvironment(const char *text, char *expanded, uint32_t capacity) {
    // The ANSI call wants room for one byte more than the text and its NUL,
    // and counts that byte in the size it returns (0 when it failed); Wine
    // neither wants nor counts it. So the result is made with that byte to
    // spare, and its length is taken from the text itself.
    char room[PathBuffer::kCapacity + 1];
    const DWORD size = ExpandEnvironmentStringsA(text, room, sizeof room);
    return size != 0 && size <= sizeof room && bounded::Copy(expanded, capacity, room);
}

PathKind Win32Platform::PathKindOf(const char *path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kNothing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kFolder : PathKind::kFile;
}

void Win32Platform::CloseKey(Handle key) { RegCloseKey(static_cast<HKEY>(key)); }

void Win32Platform::ShowErrorBox(const char *text, const char *caption, bool foreground) {
    // On this thread alone, which creates the box and no other window.
    const HHOOK hook =
        SetWindowsHookExA(WH_CALLWNDPROCRET, ShowTheBoxAsAsked, nullptr, GetCurrentThreadId());
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR | (foreground ? MB_SETFOREGROUND : 0));
    if (hook != nullptr) UnhookWindowsHookEx(hook);
}

bool Win32Platform::WindowStationInvisible() {
    USEROBJECTFLAGS flags = {};
    DWORD needed = 0;
    return GetUserObjectInformationA(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                     &needed) != FALSE &&
           (flags.dwFlags & WSF_VISIBLE) == 0;
}

bool Win32Platform::KernelExports(const char *function) {
    return KernelFunction(function) != nullptr;
}

bool Win32Platform::ProcessSession(uint32_t *session) {
    DWORD id = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &id) == FALSE) return false;
    *session = id;
    return true;
}

bool Win32Platform::DescribeError(uint32_t error, char *words, uint32_t capacity) {
    // Their length; 0 when there are none or they do not fit.
    return FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                          nullptr, // the system's own messages
                          error,
                          0, // the user's language, as Windows picks it
                          words, capacity, nullptr) != 0;
}

// Windows' wide characters are UTF-16 units, as the platform's char16_t.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t holds one UTF-16 unit");

namespace {

const wchar_t *Wide(const char16_t *text) { return reinterpret_cast<const wchar_t *>(text); }
wchar_t *Wide(char16_t *text) { return reinterpret_cast<wchar_t *>(text); }

} // namespace

const char16_t *Win32Platform::WideCommandLine() {
    const wchar_t *line = GetCommandLineW();
    return line != nullptr ? reinterpret_cast<const char16_t *>(line) : u"";
}

bool Win32Platform::WideCurrentDirectory(char16_t *directory, uint32_t capacity, bool *too_long) {
    const DWORD length = GetCurrentDirectoryW(capacity, Wide(directory));
    *too_long = length >= capacity;
    return Fits(length, capacity);
}

bool Win32Platform::WideShortPath(const char16_t *path, char16_t *short_path, uint32_t capacity) {
    return Fits(GetShortPathNameW(Wide(path), Wide(short_path), capacity), capacity);
}

uint32_t Win32Platform::AnsiCodePage() { return GetACP(); }

bool Win32Platform::WideToAnsi(const char16_t *text, char *ansi, uint32_t capacity,
                               bool *used_default) {
    BOOL used = FALSE;
    // The bytes written or needed, NUL included; 0 when it failed or they
    // did not fit.
    const int bytes =
        WideCharToMultiByte(CP_ACP, used_default != nullptr ? WC_NO_BEST_FIT_CHARS : 0, Wide(text),
                            -1 /* up to and with the NUL */, ansi, static_cast<int>(capacity),
                            nullptr /* default char */, used_default != nullptr ? &used : nullptr);
    if (used_default != nullptr) *used_default = used != FALSE;
    return bytes > 0;
}

bool Win32Platform::StartProcess(const char *application, char *command_line, ChildProcess *child) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    const BOOL started = CreateProcessA(application,  // the module, never searched for
                                        command_line, // argv[0] and arguments as composed
                                        nullptr,      // process security attributes
                                        nullptr,      // thread security attributes
                                        FALSE,        // no handles inherited
                                        0,            // creation flags
                                        nullptr,      // this process's environment
                                        nullptr,      // this process's current directory
                                        &si, &pi);
    if (started == FALSE) {
        child->error = GetLastError();
        return false;
    }
    ::CloseHandle(pi.hThread); // the launcher waits on the process alone
    child->process = pi.hProcess;
    return true;
}

bool Win32Platform::StartThroughShell(const char *application, const char *parameters,
                                      ChildProcess *child) {
    using ShellExecuteExFunction = BOOL(WINAPI *)(SHELLEXECUTEINFOA *);
    const HMODULE shell = LoadShell32();
    const FARPROC found = shell != nullptr ? GetProcAddress(shell, "ShellExecuteExA") : nullptr;
    if (found == nullptr) return false; // the error that led here stands
    SHELLEXECUTEINFOA sei = {};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_NOCLOSEPROCESS; // the process handle, to wait on
    sei.lpVerb = nullptr;                // the default: Windows decides from the manifest
    sei.lpFile = application;
    sei.lpParameters = parameters[0] != '\0' ? parameters : nullptr;
    sei.lpDirectory = nullptr; // this process's current directory
    sei.nShow = SW_SHOWNORMAL;
    if (reinterpret_cast<ShellExecuteExFunction>(reinterpret_cast<void *>(found))(&sei) == FALSE) {
        child->error = GetLastError();
        return false;
    }
    child->process = sei.hProcess;
    return true;
}

bool Win32Platform::QueryExitStatus(Handle process, uint32_t *status) {
    DWORD code = 0;
    if (GetExitCodeProcess(static_cast<HANDLE>(process), &code) == FALSE) return false;
    *status = code;
    return true;
}

bool Win32Platform::HasEnded(Handle process) {
    return WaitForSingleObject(static_cast<HANDLE>(process), 0) == WAIT_OBJECT_0;
}

void Win32Platform::CloseHandle(Handle handle) {
    if (handle != nullptr) ::CloseHandle(static_cast<HANDLE>(handle));
}

Handle Win32Platform::FindTopLevelWindow(const char *title) {
    return FindWindowA(nullptr /* any class */, title);
}

void Win32Platform::ShowWindow(Handle window, WindowShow show) {
    // The window belongs to another program. ShowWindow would wait for that
    // program's thread to carry the request out, and for ever when it has
    // stopped responding; the asynchronous form hands the request over and
    // returns.
    ShowWindowAsync(static_cast<HWND>(window),
                    show == WindowShow::kMinimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
}

uint32_t Win32Platform::TickCount() { return GetTickCount(); }

void Win32Platform::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

} // namespace launcher
