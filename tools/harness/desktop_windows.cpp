// Stand-in suite windows, served by desktop_windows.exe in a process of its
// own, as the real software's would be; and the look for a real one.
#include "desktop_windows.h"

#include "files.h"
#include "launcher/suite_window.h"
#include "programs.h"

namespace harness {

std::string OpenSuiteWindow() {
    for (const char *title : launcher::kSuiteTitles)
        if (FindWindowA(nullptr, title) != nullptr) return title;
    return "";
}

DesktopWindows::DesktopWindows(const std::vector<std::string> &titles, bool hung)
    : titles_(titles), hung_(hung) {
    std::string line = "\"" + BinDir() + "\\desktop_windows.exe\"";
    if (hung) line += " --hung";
    for (const std::string &title : titles) line += " \"" + title + "\"";
    if (!StartInJob(line, "", &helper_)) return;
    // Ready when every window can be found. The bound, 30 s (600 looks 50 ms
    // apart), only keeps a helper that never shows them from holding the case
    // up: the case then fails on the missing window.
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
    // Gone at once where the helper answers; the bound, 10 s (400 looks 25 ms
    // apart), is for a hung one, which the destructor then ends.
    for (int i = 0; i < 400 && IsWindow(hwnd); ++i) Sleep(25);
}

} // namespace harness
