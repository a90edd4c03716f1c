// Driving the real launcher.exe from a Windows-side program.
#include "harness.h"

#include <tlhelp32.h>

#include <cstdio>

#include "machine_guard.h"

namespace harness {

std::string BinDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir = path;
    return dir.substr(0, dir.find_last_of('\\'));
}

bool MakeDirs(const std::string &path) {
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            const std::string part = path.substr(0, i);
            if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
                return false;
        }
    }
    return true;
}

bool ReadWholeFile(const std::string &path, std::string *bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    bytes->clear();
    char chunk[4096];
    DWORD n = 0;
    while (ReadFile(f, chunk, sizeof chunk, &n, nullptr) && n > 0) bytes->append(chunk, n);
    CloseHandle(f);
    return true;
}

bool WriteWholeFile(const std::string &path, const std::string &bytes) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool WriteWholeFile(const std::wstring &path, const std::string &bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    const bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
                    n == bytes.size();
    return CloseHandle(f) && ok;
}

std::wstring Widen(const std::string &text) {
    std::wstring wide(text.size(), L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      wide.data(), static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n : 0);
    return wide;
}

std::string WorkRoot() {
    char full[MAX_PATH] = {};
    GetFullPathNameA((BinDir() + "\\..\\e2e-root").c_str(), sizeof full, full, nullptr);
    MakeDirs(full);
    return full;
}

namespace {

// The entry is made or changed only when it is not the machine's own.
HKEY CreateManagerKey() {
    if (AppPathsBelongToTheMachine()) return nullptr;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

} // namespace

bool RegisterManagerRaw(DWORD type, const void *data, DWORD size) {
    HKEY key = CreateManagerKey();
    if (key == nullptr) return false;
    const bool ok = RegSetValueExA(key, nullptr, 0, type, static_cast<const BYTE *>(data), size) ==
                    ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool RegisterManager(const std::string &path) {
    return RegisterManagerRaw(REG_SZ, path.c_str(), static_cast<DWORD>(path.size() + 1));
}

bool RegisterKeyWithoutValue() {
    UnregisterManager();
    HKEY key = CreateManagerKey();
    if (key == nullptr) return false;
    RegCloseKey(key);
    return true;
}

bool UnregisterManager() {
    if (AppPathsBelongToTheMachine()) return false;
    const LONG status = RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppPathsKey);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool PlaceStandIn(const std::string &path) {
    MakeDirs(path.substr(0, path.find_last_of('\\')));
    return CopyFileA((BinDir() + "\\stand_in_manager.exe").c_str(), path.c_str(), FALSE) != 0;
}

void ConfigureStandIn(const std::string &record, DWORD run_ms, DWORD exit_code) {
    DeleteFileA(record.c_str());
    SetEnvironmentVariableA("STAND_IN_RECORD", record.c_str());
    SetEnvironmentVariableA("STAND_IN_RUN_MS", std::to_string(run_ms).c_str());
    SetEnvironmentVariableA("STAND_IN_EXIT_CODE", std::to_string(exit_code).c_str());
}

std::vector<Record> ReadRecords(const std::string &path) {
    std::vector<Record> records;
    std::string text;
    if (!ReadWholeFile(path, &text)) return records;

    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string::npos) eol = text.size();
        const std::string line = text.substr(pos, eol - pos);
        pos = eol + 1;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string name = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (name == "module") {
            records.push_back({});
            records.back().module = value;
        } else if (records.empty()) {
            continue;
        } else if (name == "command") {
            records.back().command = value;
        } else if (name == "directory") {
            records.back().directory = value;
        } else if (name == "start") {
            records.back().start = std::stoul(value);
        } else if (name == "start_qpc") {
            records.back().start_qpc = std::stoll(value);
        } else if (name == "end_qpc") {
            records.back().end_qpc = std::stoll(value);
        } else if (name == "end") {
            records.back().end = std::stoul(value);
            records.back().ended = true;
        }
    }
    return records;
}

namespace {

// Everything the harness starts, and all that those start, ends with the
// harness: a test killed at its time-out leaves nothing behind to hold the
// test runner's output pipes open.
HANDLE ChildJob() {
    static HANDLE job = [] {
        HANDLE h = CreateJobObjectA(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(h, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        return h;
    }();
    return job;
}

// Puts a child started suspended into the job, then lets it run.
void Adopt(const PROCESS_INFORMATION &pi) {
    AssignProcessToJobObject(ChildJob(), pi.hProcess);
    ResumeThread(pi.hThread);
}

bool Start(const std::string &command_line, const std::string &directory, PROCESS_INFORMATION *pi,
           const char *desktop = nullptr) {
    std::vector<char> line(command_line.begin(), command_line.end());
    line.push_back('\0');
    std::string desktop_name = desktop != nullptr ? desktop : "";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.lpDesktop = desktop != nullptr ? desktop_name.data() : nullptr;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &si, pi))
        return false;
    Adopt(*pi);
    return true;
}

bool Start(const std::wstring &command_line, const std::wstring &directory, PROCESS_INFORMATION *pi,
           const char * /*desktop: the caller's own*/) {
    std::vector<wchar_t> line(command_line.begin(), command_line.end());
    line.push_back(L'\0');
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &si, pi))
        return false;
    Adopt(*pi);
    return true;
}

// Waits for a started program as RunProgram describes.
template <typename Text>
Run StartAndWait(const Text &command_line, const Text &directory, DWORD timeout_ms,
                 const std::function<void()> &poll, const char *desktop = nullptr) {
    Run run;
    PROCESS_INFORMATION pi = {};
    run.start_tick = GetTickCount();
    if (!Start(command_line, directory, &pi, desktop)) return run;
    run.started = true;
    for (;;) {
        if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) {
            run.ended = true;
            break;
        }
        if (GetTickCount() - run.start_tick > timeout_ms) {
            TerminateProcess(pi.hProcess, 99);
            WaitForSingleObject(pi.hProcess, 5000);
            break;
        }
        if (poll) poll();
    }
    run.end_tick = GetTickCount();
    GetExitCodeProcess(pi.hProcess, &run.exit_code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return run;
}

} // namespace

Run RunProgram(const std::string &command_line, const std::string &directory, DWORD timeout_ms,
               const std::function<void()> &poll, const char *desktop) {
    return StartAndWait(command_line, directory, timeout_ms, poll, desktop);
}

Run RunProgram(const std::wstring &command_line, const std::wstring &directory, DWORD timeout_ms,
               const std::function<void()> &poll) {
    return StartAndWait(command_line, directory, timeout_ms, poll);
}

bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string UnseenDesktop() {
    USEROBJECTFLAGS flags = {};
    DWORD session = 1, needed = 0;
    if (GetUserObjectInformationA(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                  &needed) &&
        (flags.dwFlags & WSF_VISIBLE) == 0)
        return "its window station is not visible";
    const bool vista = (GetVersion() & 0xFF) >= 6;
    return vista && ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0
               ? "it runs in session 0"
               : "";
}

bool MakesShortNames(const std::string &folder) {
    const std::string name = "a long name for 8.3";
    const std::string probe = folder + "\\" + name;
    if (!CreateDirectoryA(probe.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    char short_form[MAX_PATH] = {};
    const DWORD size = GetShortPathNameA(probe.c_str(), short_form, sizeof short_form);
    RemoveDirectoryA(probe.c_str());
    if (size == 0 || size >= sizeof short_form) return false;
    const std::string got = short_form;
    return got.substr(got.find_last_of('\\') + 1) != name;
}

DriveRoot::DriveRoot(const std::string &folder) : folder_(folder) {
    MakeDirs(folder);
    if (UnderWine()) {
        drive_ = "T:";
    } else {
        const DWORD used = GetLogicalDrives();
        for (char letter = 'Z'; letter >= 'D' && drive_.empty(); --letter) {
            if ((used & (1u << (letter - 'A'))) != 0) continue;
            const std::string drive = std::string(1, letter) + ":";
            if (!DefineDosDeviceA(0, drive.c_str(), folder.c_str())) break;
            drive_ = drive;
            substituted_ = drive;
        }
    }
    const DWORD root = GetFileAttributesA((drive_ + "\\").c_str());
    if (root == INVALID_FILE_ATTRIBUTES || (root & FILE_ATTRIBUTE_DIRECTORY) == 0) drive_.clear();
}

DriveRoot::~DriveRoot() {
    if (!substituted_.empty())
        DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, substituted_.c_str(),
                         folder_.c_str());
}

bool IsRunning(const std::string &exe_name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found;
         more = Process32Next(snapshot, &entry))
        found = lstrcmpiA(entry.szExeFile, exe_name.c_str()) == 0;
    CloseHandle(snapshot);
    return found;
}

namespace {

constexpr char kDesktopWindowClass[] = "HarnessDesktopWindow";

} // namespace

DesktopWindows::DesktopWindows(const std::vector<std::string> &titles, bool hung)
    : titles_(titles), hung_(hung) {
    std::string line = "\"" + BinDir() + "\\desktop_windows.exe\"";
    if (hung) line += " --hung";
    for (const std::string &title : titles) line += " \"" + title + "\"";
    if (!Start(line, "", &helper_)) return;
    // Ready when every window can be found.
    for (int i = 0; i < 600; ++i) {
        bool all = true;
        for (const std::string &title : titles) all = all && Get(title) != nullptr;
        if (all) break;
        Sleep(50);
    }
}

DesktopWindows::~DesktopWindows() {
    if (helper_.hProcess == nullptr) return;
    if (!hung_)
        for (const std::string &title : titles_) PostMessageA(Get(title), WM_CLOSE, 0, 0);
    if (hung_ || WaitForSingleObject(helper_.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(helper_.hProcess, 1);
    CloseHandle(helper_.hThread);
    CloseHandle(helper_.hProcess);
}

HWND DesktopWindows::Get(const std::string &title) const {
    return FindWindowA(kDesktopWindowClass, title.c_str());
}

bool DesktopWindows::Becomes(const std::string &title, bool minimized, DWORD ms) const {
    const DWORD start = GetTickCount();
    while ((IsIconic(Get(title)) != FALSE) != minimized) {
        if (GetTickCount() - start >= ms) return false;
        Sleep(25);
    }
    return true;
}

int DesktopWindows::TimesMinimized(const std::string &title) const {
    return static_cast<int>(GetWindowLongPtrA(Get(title), GWLP_USERDATA));
}

void DesktopWindows::Close(const std::string &title) {
    HWND hwnd = Get(title);
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    for (int i = 0; i < 400 && IsWindow(hwnd); ++i) Sleep(25);
}

namespace {

std::string WindowText(HWND hwnd) {
    char text[1024] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

struct Children {
    std::vector<HWND> buttons;
    std::vector<HWND> icons;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    auto *children = reinterpret_cast<Children *>(param);
    char cls[64] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (!IsWindowVisible(child)) return TRUE;
    if (lstrcmpiA(cls, "Button") == 0) children->buttons.push_back(child);
    if (lstrcmpiA(cls, "Static") == 0 &&
        (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        children->icons.push_back(child);
    return TRUE;
}

// An icon drawn into a bitmap of its own, on the dialog's face colour.
struct Drawing {
    Drawing(HDC screen, int w, int h)
        : dc(CreateCompatibleDC(screen)), bitmap(CreateCompatibleBitmap(screen, w, h)),
          old(SelectObject(dc, bitmap)), width(w), height(h) {}
    ~Drawing() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    Drawing(const Drawing &) = delete;
    Drawing &operator=(const Drawing &) = delete;

    bool Draw(HICON icon) {
        RECT all = {0, 0, width, height};
        FillRect(dc, &all, GetSysColorBrush(COLOR_3DFACE));
        return icon != nullptr && DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    }
    int SamePixels(const Drawing &other) const {
        int same = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) same += GetPixel(dc, x, y) == GetPixel(other.dc, x, y);
        return same;
    }

    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    int width, height;
};

// Whether the icon that `control` holds is the system's error icon, and
// neither the warning nor the information icon. Its own icon (STM_GETICON)
// is drawn here as the system's are and compared pixel for pixel: on Windows
// an icon belongs to the window manager and any program may draw it, so
// whatever covers the box on the screen is no matter. Wine keeps an icon in
// the program that made it, where no other program can draw it: there the
// control is read off the screen instead, which nothing covers under Xvfb.
bool ShowsErrorIcon(HWND control) {
    const int w = GetSystemMetrics(SM_CXICON), h = GetSystemMetrics(SM_CYICON);
    HDC screen = GetDC(nullptr);
    bool same = false;
    {
        Drawing shown(screen, w, h), drawn(screen, w, h);
        if (!shown.Draw(reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0)))) {
            POINT origin = {0, 0};
            ClientToScreen(control, &origin);
            BitBlt(shown.dc, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY);
        }
        const auto matches = [&](LPCSTR id) {
            drawn.Draw(LoadIconA(nullptr, id));
            return drawn.SamePixels(shown);
        };
        const int error = matches(IDI_ERROR);
        same = error == w * h && matches(IDI_WARNING) < error && matches(IDI_INFORMATION) < error;
    }
    ReleaseDC(nullptr, screen);
    return same;
}

} // namespace

void MessageBoxWatch::Poll() {
    HWND box = FindWindowA("#32770", caption_.c_str());
    if (box == nullptr || box == last_) return;
    // Give the box a moment to draw itself before it is read off the screen.
    Sleep(300);
    MessageBoxView view;
    view.caption = WindowText(box);
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text); // the static text of a message box
    view.text = text;
    Children children;
    EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND button : children.buttons) view.buttons.push_back(WindowText(button));
    view.error_icon = children.icons.size() == 1 && ShowsErrorIcon(children.icons[0]);
    seen_.push_back(view);
    last_ = box;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

} // namespace harness
