// The platform in Win32: each operation is one Win32 call, and its status
// codes become bool here.
#include "win32/win32_platform.h"

#include <windows.h>

namespace launcher {

namespace {

// A function of KERNEL32 that not every Windows has, looked up rather than
// imported (an import missing from KERNEL32 would stop the program from
// loading at all); null where this Windows lacks it.
FARPROC KernelFunction(const char *name) {
    return GetProcAddress(GetModuleHandleA("kernel32.dll"), name);
}

} // namespace

void Win32Platform::RestrictDllSearch() {
    // Neither is in XP's KERNEL32 as first shipped: used where found.
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI *)(DWORD);
    constexpr DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32
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

uint32_t Win32Platform::SystemWindowsFolder(char *buffer, uint32_t capacity) {
    return GetSystemWindowsDirectoryA(buffer, capacity);
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

bool Win32Platform::QueryStringValue(Handle key, const char *name, char *data, uint32_t *size,
                                     bool *expandable) {
    DWORD type = REG_NONE;
    DWORD cb = *size;
    const LONG status = RegQueryValueExA(static_cast<HKEY>(key), name, nullptr, &type,
                                         reinterpret_cast<BYTE *>(data), &cb);
    *size = cb;
    *expandable = type == REG_EXPAND_SZ;
    return status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ);
}

uint32_t Win32Platform::ExpandEnvironment(const char *text, char *buffer, uint32_t capacity) {
    return ExpandEnvironmentStringsA(text, buffer, capacity);
}

PathKind Win32Platform::PathKindOf(const char *path) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kNothing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kFolder : PathKind::kFile;
}

void Win32Platform::CloseKey(Handle key) { RegCloseKey(static_cast<HKEY>(key)); }

void Win32Platform::ShowErrorBox(const char *text, const char *caption, bool foreground) {
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR | (foreground ? MB_SETFOREGROUND : 0));
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

uint32_t Win32Platform::DescribeError(uint32_t error, char *buffer, uint32_t capacity) {
    return FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                          nullptr, // the system's own messages
                          error,
                          0, // the user's language, as Windows picks it
                          buffer, capacity, nullptr);
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

uint32_t Win32Platform::WideCurrentDirectory(char16_t *buffer, uint32_t capacity) {
    return GetCurrentDirectoryW(capacity, Wide(buffer));
}

uint32_t Win32Platform::WideShortPath(const char16_t *path, char16_t *buffer, uint32_t capacity) {
    return GetShortPathNameW(Wide(path), Wide(buffer), capacity);
}

uint32_t Win32Platform::AnsiCodePage() { return GetACP(); }

uint32_t Win32Platform::WideToAnsi(const char16_t *text, char *buffer, uint32_t capacity,
                                   bool *used_default) {
    BOOL used = FALSE;
    const int bytes =
        WideCharToMultiByte(CP_ACP, used_default != nullptr ? WC_NO_BEST_FIT_CHARS : 0, Wide(text),
                            -1 /* up to and with the NUL */, buffer, static_cast<int>(capacity),
                            nullptr /* default char */, used_default != nullptr ? &used : nullptr);
    if (used_default != nullptr) *used_default = used != FALSE;
    return bytes > 0 ? static_cast<uint32_t>(bytes) : 0;
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
    child->process = pi.hProcess;
    child->thread = pi.hThread;
    child->error = started != FALSE ? 0 : GetLastError();
    return started != FALSE;
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

bool Win32CodePage::IsLeadByte(unsigned char byte) const { return IsDBCSLeadByte(byte) != FALSE; }

} // namespace launcher
