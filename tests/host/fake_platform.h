// A hand-written platform for the launcher's logic: a virtual clock that only
// Sleep advances, a scripted registry, current directory and child, and a log
// of every call in order.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fake_code_page.h"
#include "launcher/system_folders.h"
#include "platform/platform.h"

namespace launcher::testing {

class FakePlatform final : public Platform {
public:
    // --- the script ------------------------------------------------------
    bool key_exists = true;
    bool value_exists = true;
    std::string value = "C:\\AppMgr\\CEAPPMGR.EXE"; // raw bytes, NUL included if wanted
    bool value_expandable = false;                  // stored as REG_EXPAND_SZ
    bool value_is_string = true;                    // else stored as REG_DWORD
    // Windows' own folders: GetSystemWindowsDirectoryA's ("" when it fails),
    // and the values of the CurrentVersion key (none when it is missing;
    // those holding a '%' are kept as REG_EXPAND_SZ).
    std::string windows_folder = "C:\\WINDOWS";
    std::optional<std::map<std::string, std::string>> folder_values =
        std::map<std::string, std::string>{{"ProgramFilesDir", "C:\\Program Files"}};
    std::map<std::string, std::string> environment = {{"windir", "C:\\WINDOWS"},
                                                      {"ProgramFiles", "C:\\Program Files"}};
    std::string unsettable; // a variable Windows refuses to change
    std::map<std::string, PathKind> paths = {{"C:\\AppMgr\\CEAPPMGR.EXE", PathKind::kFile}};
    std::string directory = "D:\\Setup";      // the current directory, one unit a byte
    std::optional<uint32_t> directory_result; // returned instead of reading it, when set
    bool start_succeeds = true;
    uint32_t start_error = 193;                             // when it fails: ERROR_BAD_EXE_FORMAT
    std::string error_words = "Bad EXE format for %1.\r\n"; // FormatMessageA's, "" for none
    bool window_station_visible = true;
    uint32_t windows_major = 6;            // what KERNEL32 exports is that version's
    std::optional<uint32_t> session = 1;   // none: Windows cannot tell
    uint32_t child_runs_ms = 0;            // how long the child runs after its start
    uint32_t child_exit_code = 0;          // its own exit code once ended
    uint32_t now_ms = 1000;                // the virtual clock, GetTickCount's value
    std::vector<std::string> open_windows; // titles of the desktop's top-level windows
    bool windows_close_at_start = false;   // the user closes them while the child runs
    // The names as Unicode, and the ANSI code page (1252 or 65001, as
    // fake_code_page.h models them).
    std::u16string wide_command_line = u"launcher.exe";
    std::optional<std::u16string> wide_directory;         // when set, it replaces `directory`
    std::map<std::u16string, std::u16string> short_paths; // others have no short form
    uint32_t code_page = 1252;

    // --- what happened ---------------------------------------------------
    std::vector<std::string> calls; // one line per call, in order
    std::string application;        // module given to the child's start
    std::string command_line;       // command line given to it
    uint32_t child_started_at = 0;
    uint32_t status_queries = 0;
    std::vector<std::string> boxes; // "caption|text"
    int open_keys = 0;

    bool OpenMachineKey(const char *subkey, Handle *key) override {
        calls.push_back(std::string("OpenMachineKey ") + subkey);
        const bool folders = subkey == std::string(kCurrentVersionKey);
        if (!(folders ? folder_values.has_value() : key_exists)) return false;
        ++open_keys;
        *key = folders ? kFoldersKey : kKey;
        return true;
    }

    bool QueryStringValue(Handle key, const char *name, char *data, uint32_t *size,
                          bool *expandable) override {
        calls.push_back(std::string("QueryStringValue ") + (name != nullptr ? name : "(default)"));
        *expandable = key == kKey && value_expandable;
        std::string stored = value;
        if (key == kFoldersKey) {
            const auto found = folder_values->find(name);
            if (found == folder_values->end()) return false;
            stored = found->second + '\0';
            *expandable = stored.find('%') != std::string::npos;
        } else if (key != kKey || name != nullptr || !value_exists) {
            return false;
        }
        if (stored.size() > *size) return false;
        std::copy(stored.begin(), stored.end(), data); // raw: its NUL only if stored
        *size = static_cast<uint32_t>(stored.size());
        return key == kFoldersKey || value_is_string;
    }

    uint32_t SystemWindowsFolder(char *buffer, uint32_t capacity) override {
        calls.push_back("SystemWindowsFolder");
        const auto length = static_cast<uint32_t>(windows_folder.size());
        if (length + 1 > capacity) return length + 1;
        Put(windows_folder, buffer);
        return length;
    }

    bool SetEnvironment(const char *name, const char *value_or_null) override {
        calls.push_back(std::string("SetEnvironment ") + name);
        if (name == unsettable) return false;
        const auto found = Variable(name);
        if (found != environment.end()) environment.erase(found);
        if (value_or_null != nullptr) environment[name] = value_or_null;
        return true;
    }

    // As Windows pairs the '%'s: one opens a name that the next closes; a
    // name that is not set stays as it stands, and its closing '%' opens the
    // next. Names match in any case.
    uint32_t ExpandEnvironment(const char *text, char *buffer, uint32_t capacity) override {
        calls.push_back(std::string("ExpandEnvironment ") + text);
        std::string out;
        for (const char *p = text; *p != '\0';) {
            const char *close = *p == '%' ? std::strchr(p + 1, '%') : nullptr;
            const auto found = close ? Variable(std::string(p + 1, close)) : environment.end();
            const bool set = found != environment.end();
            out += set ? found->second : std::string(p, close ? close : p + 1);
            p = set ? close + 1 : close ? close : p + 1;
        }
        const auto size = static_cast<uint32_t>(out.size() + 1);
        if (size <= capacity) Put(out, buffer);
        return size;
    }

    PathKind PathKindOf(const char *path) override {
        calls.push_back(std::string("PathKindOf ") + path);
        const auto found = paths.find(path);
        return found != paths.end() ? found->second : PathKind::kNothing;
    }

    void CloseKey(Handle key) override {
        calls.push_back("CloseKey");
        if (key == kKey || key == kFoldersKey) --open_keys;
    }

    void RestrictDllSearch() override { calls.push_back("RestrictDllSearch"); }

    bool WindowStationInvisible() override {
        calls.push_back("WindowStationInvisible");
        return !window_station_visible;
    }

    bool KernelExports(const char *function) override {
        return function == std::string("GetTickCount64") && windows_major >= 6;
    }

    bool ProcessSession(uint32_t *id) override {
        *id = session.value_or(0);
        return session.has_value();
    }

    uint32_t DescribeError(uint32_t error, char *buffer, uint32_t capacity) override {
        calls.push_back("DescribeError " + std::to_string(error));
        const auto length = static_cast<uint32_t>(error_words.size());
        if (length + 1 > capacity) return 0;
        Put(error_words, buffer);
        return length;
    }

    void ShowErrorBox(const char *text, const char *caption, bool foreground) override {
        calls.push_back(foreground ? "ShowErrorBox foreground" : "ShowErrorBox");
        boxes.push_back(std::string(caption) + "|" + text);
    }

    const char16_t *WideCommandLine() override {
        calls.push_back("WideCommandLine");
        return wide_command_line.c_str();
    }

    uint32_t WideCurrentDirectory(char16_t *buffer, uint32_t capacity) override {
        calls.push_back("WideCurrentDirectory");
        if (directory_result) return *directory_result;
        return CopyOut(wide_directory ? *wide_directory
                                      : std::u16string(directory.begin(), directory.end()),
                       buffer, capacity);
    }

    uint32_t WideShortPath(const char16_t *path, char16_t *buffer, uint32_t capacity) override {
        calls.push_back("WideShortPath");
        const auto found = short_paths.find(path);
        return CopyOut(found != short_paths.end() ? found->second : path, buffer, capacity);
    }

    uint32_t AnsiCodePage() override {
        calls.push_back("AnsiCodePage");
        return code_page;
    }

    uint32_t WideToAnsi(const char16_t *text, char *buffer, uint32_t capacity,
                        bool *used_default) override {
        calls.push_back(capacity == 0 ? "WideToAnsi size" : "WideToAnsi");
        if ((code_page == 65001) != (used_default == nullptr)) return 0; // ERROR_INVALID_FLAGS
        bool used = false;
        const std::string bytes = AnsiOf(text, code_page, &used);
        if (used_default != nullptr) *used_default = used;
        const auto size = static_cast<uint32_t>(bytes.size() + 1);
        if (capacity == 0) return size;
        if (size > capacity) return 0;
        Put(bytes, buffer);
        return size;
    }

    bool StartProcess(const char *app, char *line, ChildProcess *child) override {
        calls.push_back("StartProcess");
        application = app;
        command_line = line;
        if (!start_succeeds) {
            child->error = start_error;
            return false;
        }
        child_started_at = now_ms;
        windows_closed = windows_close_at_start;
        child->process = kProcess;
        child->thread = kThread;
        return true;
    }

    bool QueryExitStatus(Handle process, uint32_t *status) override {
        calls.push_back("QueryExitStatus");
        if (process != kProcess) return false;
        ++status_queries;
        *status = ChildEnded() ? child_exit_code : 259;
        return true;
    }

    bool HasEnded(Handle process) override {
        calls.push_back("HasEnded");
        return process == kProcess && ChildEnded();
    }

    void CloseHandle(Handle handle) override {
        calls.push_back(handle == kProcess  ? "CloseHandle process"
                        : handle == kThread ? "CloseHandle thread"
                                            : "CloseHandle null");
    }

    Handle FindTopLevelWindow(const char *title) override {
        calls.push_back(std::string("FindTopLevelWindow ") + title);
        for (size_t i = 0; i < open_windows.size(); ++i)
            if (open_windows[i] == title) return WindowHandle(i);
        return nullptr;
    }

    void ShowWindow(Handle window, WindowShow show) override {
        std::string line = "ShowWindow ";
        for (size_t i = 0; i < open_windows.size(); ++i)
            if (WindowHandle(i) == window) line += open_windows[i];
        line += show == WindowShow::kMinimized ? " minimized" : " normal";
        if (windows_closed) line += " (gone)";
        calls.push_back(line);
    }

    uint32_t TickCount() override {
        calls.push_back("TickCount");
        return now_ms;
    }

    void Sleep(uint32_t ms) override {
        calls.push_back("Sleep " + std::to_string(ms));
        now_ms += ms;
    }

    // The calls whose log line starts with `prefix`, in order.
    std::vector<std::string> CallsStartingWith(const std::string &prefix) const {
        std::vector<std::string> found;
        for (const std::string &call : calls)
            if (call.rfind(prefix, 0) == 0) found.push_back(call);
        return found;
    }

    // Copies as the system does: the length when it fits, else the size
    // needed.
    static uint32_t CopyOut(const std::u16string &text, char16_t *buffer, uint32_t capacity) {
        const auto length = static_cast<uint32_t>(text.size());
        if (length + 1 > capacity) return length + 1;
        Put(text, buffer);
        return length;
    }

    // Copies the text with its NUL, as each of the system's calls does.
    template <class Char> static void Put(const std::basic_string<Char> &text, Char *buffer) {
        std::copy_n(text.c_str(), text.size() + 1, buffer);
    }

    std::map<std::string, std::string>::iterator Variable(const std::string &name) {
        return std::find_if(environment.begin(), environment.end(), [&](const auto &variable) {
            return strcasecmp(variable.first.c_str(), name.c_str()) == 0;
        });
    }

    static Handle WindowHandle(size_t index) {
        return reinterpret_cast<Handle>(0x100 * (index + 1));
    }
    bool windows_closed = false;

    bool ChildEnded() const { return now_ms - child_started_at >= child_runs_ms; }

    static inline Handle const kKey = reinterpret_cast<Handle>(0x10);
    static inline Handle const kFoldersKey = reinterpret_cast<Handle>(0x14);
    static inline Handle const kProcess = reinterpret_cast<Handle>(0x20);
    static inline Handle const kThread = reinterpret_cast<Handle>(0x24);
};

} // namespace launcher::testing
