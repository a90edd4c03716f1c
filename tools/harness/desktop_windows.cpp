// Stand-in suite windows, served by desktop_windows.exe in a process of its
// own, as the real software's would be; and the look for a real one.
#include "desktop_windows.h"

#include <algorithm>

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
    // Ready when every window can be found; a helper that never shows them
    // fails the case on the missing window.
    const auto shown = [&](const std::string &title) { return Get(title) != nullptr; };
    WaitUntil([&] { return std::all_of(titles.begin(), titles.end(), shown); }, 30000);
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
    return WaitUntil([&] { return (IsIconic(Get(title)) != FALSE) == minimized; }, ms);
}

int DesktopWindows::TimesMinimized(const std::string &title) const {
    return static_cast<int>(GetWindowLongPtrA(Get(title), GWLP_USERDATA));
}

void DesktopWindows::Close(const std::string &title) {
    HWND hwnd = Get(title);
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    // Gone at once where the helper answers; a hung one the destructor ends.
    WaitUntil([&] { return !IsWindow(hwnd); }, 10000);
}

} // namespace harness
