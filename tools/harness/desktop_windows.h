// The suite windows, as stand-ins: top-level windows with their titles, made
// and served by a helper program, and how they were shown; and whether a real
// one is open.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace harness {

// The window class of the stand-ins, which the helper registers.
constexpr char kDesktopWindowClass[] = "HarnessDesktopWindow";

// The title of an open top-level window that has one of the suite windows'
// titles, or "" when there is none.
std::string OpenSuiteWindow();

// Top-level windows with given titles, as the field software would show
// them, made and served by a helper process (desktop_windows.exe).
class DesktopWindows {
public:
    // With `hung`, the windows stop answering messages once shown.
    explicit DesktopWindows(const std::vector<std::string> &titles, bool hung = false);
    ~DesktopWindows();
    DesktopWindows(const DesktopWindows &) = delete;
    DesktopWindows &operator=(const DesktopWindows &) = delete;

    // The window with this title, null once it is gone.
    HWND Get(const std::string &title) const;
    // Whether the window is minimized (or, with false, not) within `ms`. The
    // helper's thread carries out what another program asked of its windows
    // some time after the asking, later still on a loaded machine.
    bool Becomes(const std::string &title, bool minimized, DWORD ms) const;
    // How often the window has been minimized since it was made.
    int TimesMinimized(const std::string &title) const;
    // Closes the window as its user would, and waits until it is gone.
    void Close(const std::string &title);

private:
    std::vector<std::string> titles_;
    bool hung_;
    PROCESS_INFORMATION helper_ = {};
};

} // namespace harness
