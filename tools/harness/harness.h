// The harness that the Windows-side tests and the main job drive the real
// launcher.exe with: the App Paths entry, starting a program with an exact command
// line and current directory, the stand-in's records, and message boxes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace harness {

// The folder of the running program (launcher.exe and the stand-in lie there).
std::string BinDir();
// A scratch folder of the build tree, made on first use.
std::string WorkRoot();
// Creates every folder along `path`.
bool MakeDirs(const std::string &path);
// A whole file's bytes; the file may be open for writing elsewhere (a record
// being written, a Linux /proc file through drive Z:).
bool ReadWholeFile(const std::string &path, std::string *bytes);
// Makes `path` hold exactly `bytes`.
bool WriteWholeFile(const std::string &path, const std::string &bytes);
bool WriteWholeFile(const std::wstring &path, const std::string &bytes);
// Text in the ANSI code page, as Unicode.
std::wstring Widen(const std::string &text);

// The App Paths entry of the application manager, in this process's
// registry view (the launcher's view, both being 32-bit programs).
constexpr char kAppPathsKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAPPMGR.EXE";
bool RegisterManager(const std::string &path);
bool RegisterManagerRaw(DWORD type, const void *data, DWORD size);
bool RegisterKeyWithoutValue();
bool UnregisterManager();

// Copies the stand-in application manager to `path`, folders and all.
bool PlaceStandIn(const std::string &path);

// How the stand-in behaves, passed down through the environment.
void ConfigureStandIn(const std::string &record, DWORD run_ms, DWORD exit_code = 0);

struct Record {
    std::string module;
    std::string command;
    std::string directory; // its working folder
    DWORD start = 0;
    DWORD end = 0;
    LONGLONG start_qpc = 0; // QueryPerformanceCounter at its first instruction
    LONGLONG end_qpc = 0;   // and as it ends
    bool ended = false;
};
std::vector<Record> ReadRecords(const std::string &path);

struct Run {
    bool started = false;
    bool ended = false; // false: still running at the time-out, then killed
    DWORD exit_code = 0;
    DWORD start_tick = 0;
    DWORD end_tick = 0; // when its end was seen
};
// Starts `command_line` (the module is its first token, as a caller would
// write it) in `directory`, on `desktop` ("station\\desktop") when given, and
// waits up to `timeout_ms`, calling `poll` about every 50 ms meanwhile.
Run RunProgram(const std::string &command_line, const std::string &directory, DWORD timeout_ms,
               const std::function<void()> &poll = nullptr, const char *desktop = nullptr);
// The same, started with CreateProcessW: names outside the ANSI code page
// reach the program as Windows would hand them on.
Run RunProgram(const std::wstring &command_line, const std::wstring &directory, DWORD timeout_ms,
               const std::function<void()> &poll = nullptr);

// Whether this program runs under Wine rather than on Windows itself.
bool UnderWine();

// Why no user can see this program's desktop (its window station is not
// visible, or it runs in session 0 from Vista on, as a service-installed
// runner does), or "" where one can: the launcher does nothing there.
std::string UnseenDesktop();

// Whether the volume of `folder` makes 8.3 short names. Windows lets each
// volume do without them (Windows Server's data volumes often do); a long
// name is then its own short form. Learnt from a folder with a long name made
// in `folder` for the asking, and removed again. Wine always makes them.
bool MakesShortNames(const std::string &folder);

// A drive whose root is `folder`, for as long as the object lives. Under
// Wine it is T:, which the test session maps to the work root's drive-t
// (Wine makes no drive of a substituted folder); on Windows a free letter
// is substituted for the folder as `subst` does, and removed again.
class DriveRoot {
public:
    explicit DriveRoot(const std::string &folder);
    ~DriveRoot();
    DriveRoot(const DriveRoot &) = delete;
    DriveRoot &operator=(const DriveRoot &) = delete;

    // "X:", or "" when no drive could be made.
    const std::string &Drive() const { return drive_; }

private:
    std::string folder_;
    std::string drive_;
    std::string substituted_; // the letter to remove again, if any
};

// Whether a process of this program (file name, any case) is running.
bool IsRunning(const std::string &exe_name);

// Top-level windows with given titles, as companion software would show
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

// A message box as a user sees it.
struct MessageBoxView {
    std::string caption;
    std::string text;
    std::vector<std::string> buttons;
    bool error_icon = false;
};
// Watches for message boxes of one caption while a program runs, reads each
// once and dismisses it with OK.
class MessageBoxWatch {
public:
    explicit MessageBoxWatch(std::string caption) : caption_(std::move(caption)) {}
    void Poll();
    const std::vector<MessageBoxView> &Seen() const { return seen_; }

private:
    std::string caption_;
    HWND last_ = nullptr;
    std::vector<MessageBoxView> seen_;
};

} // namespace harness
