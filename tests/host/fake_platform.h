// A hand-written platform for the launcher's logic: a virtual clock that only
// Sleep advances, a scripted registry, current directory and child, and a log
// of the calls in order.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fake_code_page.h"
#include "launcher/launch.h"
#include "launcher/lookup.h"
#include "launcher/path_buffer.h"
#include "launcher/system_folders.h"
#include "platform/platform.h"

namespace launcher::testing {

// Registry value types, as Windows numbers them.
constexpr uint32_t kRegSz = 1, kRegExpandSz = 2, kRegDword = 4;

class FakePlatform final : public Platform {
public:
    // --- the script ------------------------------------------------------
    // The registry: the keys that exist, and each value by its key and its
    // name ("" for the key's default value): its type, and its bytes (a
    // string's NUL among them only where it was stored).
    using Value = std::pair<uint32_t, std::string>;
    std::set<std::string> keys = {kAppPathsKey, kCurrentVersionKey};
    std::map<std::pair<std::string, std::string>, Value> registry = {
        {{kAppPathsKey, ""}, {kRegSz, "C:\\AppMgr\\CEAPPMGR.EXE"}},
        {{kCurrentVersionKey, "ProgramFilesDir"}, {kRegSz, std::string("C:\\Program Files", 17)}}};
    std::string windows_folder = "C:\\WINDOWS"; // GetSystemWindowsDirectoryA's, "" when it fails
    std::map<std::string, std::string> environment = {{"windir", "C:\\WINDOWS"},
                                                      {"ProgramFiles", "C:\\Program Files"}};
    std::string unsettable; // a variable Windows refuses to change
    std::map<std::string, PathKind> paths = {{"C:\\AppMgr\\CEAPPMGR.EXE", PathKind::kFile}};
    std::string directory = "D:\\Setup"; // the current directory, one unit a byte
    bool directory_readable = true;
    bool start_succeeds = true;
    uint32_t start_error = 193;                             // when it fails: ERROR_BAD_EXE_FORMAT
    std::string error_words = "Bad EXE format for %1.\r\n"; // FormatMessageA's, "" for none
    std::optional<uint32_t> shell_start_error; // ShellExecuteExA's; none: it starts the child
    bool window_station_visible = true;
    uint32_t windows_major = 6;            // what KERNEL32 exports is that version's
    std::optional<uint32_t> session = 1;   // none: Windows cannot tell
    uint32_t child_runs_ms = 0;            // how long the child runs after its start
    uint32_t child_exit_code = 0;          // its own exit code once ended
    uint32_t failing_queries = 0;          // its first status queries that fail
    uint32_t now_ms = 1000;                // the virtual clock, GetTickCount's value
    std::vector<std::string> open_windows; // titles of the desktop's top-level windows
    bool windows_close_at_start = false;   // the user closes them while the child runs
    // The command line in the ANSI code page and as Unicode, the names as
    // Unicode, and the ANSI code page (1252, 932 or 65001, as
    // fake_code_page.h models them).
    std::string ansi_command_line = "launcher.exe";
    std::u16string wide_command_line = u"launcher.exe";
    std::optional<std::u16string> wide_directory;         // when set, it replaces `directory`
    std::map<std::u16string, std::u16string> short_paths; // others have no short form
    uint32_t code_page = 1252;

    // The App Paths entry: no key, a key without its default value, or that
    // value's bytes, of `type`.
    void Register(bool key, std::optional<std::string> bytes = "C:\\AppMgr\\CEAPPMGR.EXE",
                  uint32_t type = kRegSz) {
        if (!key) keys.erase(kAppPathsKey);
        registry.erase({kAppPathsKey, ""});
        if (bytes) registry[{kAppPathsKey, ""}] = {type, *bytes};
    }

    // The values of the CurrentVersion key (none: the key is missing), each
    // stored with its NUL, those holding a '%' as REG_EXPAND_SZ.
    void SetFolderValues(const std::optional<std::map<std::string, std::string>> &values) {
        if (!values) keys.erase(kCurrentVersionKey);
        registry.erase({kCurrentVersionKey, "ProgramFilesDir"});
        for (const auto &[name, text] : values.value_or(std::map<std::string, std::string>{}))
            registry[{kCurrentVersionKey, name}] = {
                text.find('%') != std::string::npos ? kRegExpandSz : kRegSz, text + '\0'};
    }

    // Runs the sequence started as "launcher.exe", a blank and `tail` (if any).
    int RunWithTail(const std::string &tail) {
        ansi_command_line = tail.empty() ? "launcher.exe" : "launcher.exe " + tail;
        return RunLaunchSequence(*this);
    }

    // --- what happened ---------------------------------------------------
    std::vector<std::string> calls; // one line per call, in order
    std::string application;        // module given to the child's start
    std::string command_line;       // command line given to it
    uint32_t child_started_at = 0;
    uint32_t status_queries = 0;
    std::vector<std::string> boxes; // "caption|text"
    int open_keys = 0;

    // A key's handle is its name, which the launcher's constants hold.
    bool OpenMachineKey(const char *subkey, Handle *key) override {
        calls.push_back(std::string("OpenMachineKey ") + subkey);
        if (keys.count(subkey) == 0) return false;
        ++open_keys;
        *key = const_cast<char *>(subkey);
        return true;
    }

    bool ReadStringValue(Handle key, const char *name, char *text, uint32_t capacity,
                         bool *expandable) override {
        calls.push_back(std::string("ReadStringValue ") + (name != nullptr ? name : "(default)"));
        const auto found = registry.find({static_cast<const char *>(key), name ? name : ""});
        if (found == registry.end()) return false;
        const auto &[type, bytes] = found->second;
        *expandable = type == kRegExpandSz;
        if ((type != kRegSz && type != kRegExpandSz) || bytes.size() > capacity) return false;
        std::copy(bytes.begin(), bytes.end(), text);
        // Whole or none, by the rule the Win32 layer applies.
        return bounded::TakeStoredString(text, capacity, static_cast<uint32_t>(bytes.size()));
    }

    const char *CommandLine() override { return Logged("CommandLine", ansi_command_line.c_str()); }

    bool IsLeadByte(unsigned char byte) override {
        return Logged("IsLeadByte", code_page == 932 && IsLeadByte932(byte));
    }

    bool SystemWindowsFolder(char *folder, uint32_t capacity) override {
        return Logged("SystemWindowsFolder",
                      !windows_folder.empty() && Put(windows_folder, folder, capacity));
    }

    bool SetEnvironment(const char *name, const char *value_or_null) override {
        calls.push_back(std::string("SetEnvironment ") + name);
        if (name == unsettable) return false;
        if (const auto found = Variable(name); found != environment.end()) environment.erase(found);
        if (value_or_null != nullptr) environment[name] = value_or_null;
        return true;
    }

    // As Windows pairs the '%'s: one opens a name that the next closes; a
    // name that is not set stays as it stands, and its closing '%' opens the
    // next. Names match in any case.
    bool ExpandEnvironment(const char *text, char *expanded, uint32_t capacity) override {
        calls.push_back(std::string("ExpandEnvironment ") + text);
        std::string out;
        for (const char *p = text; *p != '\0';) {
            const char *close = *p == '%' ? std::strchr(p + 1, '%') : nullptr;
            const auto found = close ? Variable(std::string(p + 1, close)) : environment.end();
            const bool set = found != environment.end();
            out += set ? found->second : std::string(p, close ? close : p + 1);
            p = set ? close + 1 : close ? close : p + 1;
        }
        return Put(out, expanded, capacity);
    }

    PathKind PathKindOf(const char *path) override {
        const auto found = paths.find(path);
        return Logged(std::string("PathKindOf ") + path,
                      found != paths.end() ? found->second : PathKind::kNothing);
    }

    void CloseKey(Handle /*key*/) override {
        calls.push_back("CloseKey");
        --open_keys;
    }

    void RestrictDllSearch() override { calls.push_back("RestrictDllSearch"); }

    bool WindowStationInvisible() override {
        return Logged("WindowStationInvisible", !window_station_visible);
    }

    bool KernelExports(const char *function) override {
        return Logged(std::string("KernelExports ") + function,
                      function == std::string("GetTickCount64") && windows_major >= 6);
    }

    bool ProcessSession(uint32_t *id) override {
        *id = session.value_or(0);
        return Logged("ProcessSession", session.has_value());
    }

    bool DescribeError(uint32_t error, char *words, uint32_t capacity) override {
        return Logged("DescribeError " + std::to_string(error),
                      !error_words.empty() && Put(error_words, words, capacity));
    }

    void ShowErrorBox(const char *text, const char *caption, bool foreground) override {
        calls.push_back(foreground ? "ShowErrorBox foreground" : "ShowErrorBox");
        boxes.push_back(std::string(caption) + "|" + text);
    }

    const char16_t *WideCommandLine() override {
        return Logged("WideCommandLine", wide_command_line.c_str());
    }

    bool WideCurrentDirectory(char16_t *out, uint32_t capacity, bool *too_long) override {
        calls.push_back("WideCurrentDirectory");
        const std::u16string wide =
            wide_directory.value_or(std::u16string(directory.begin(), directory.end()));
        *too_long = directory_readable && wide.size() >= capacity;
        return directory_readable && Put(wide, out, capacity);
    }

    bool WideShortPath(const char16_t *path, char16_t *out, uint32_t capacity) override {
        const auto found = short_paths.find(path);
        return Logged("WideShortPath",
                      Put(found != short_paths.end() ? found->second : path, out, capacity));
    }

    uint32_t AnsiCodePage() override { return Logged("AnsiCodePage", code_page); }

    bool WideToAnsi(const char16_t *text, char *ansi, uint32_t capacity,
                    bool *used_default) override {
        calls.push_back(ansi == nullptr ? "WideToAnsi size" : "WideToAnsi");
        if ((code_page == 65001) != (used_default == nullptr)) return false; // ERROR_INVALID_FLAGS
        bool used = false;
        const std::string bytes = AnsiOf(text, code_page, &used);
        if (used_default != nullptr) *used_default = used;
        return ansi == nullptr || Put(bytes, ansi, capacity);
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
        return true;
    }

    bool StartThroughShell(const char *app, const char *parameters, ChildProcess *child) override {
        calls.push_back(std::string("StartThroughShell ") + app + "|" + parameters);
        if (shell_start_error) {
            child->error = *shell_start_error;
            return false;
        }
        child_started_at = now_ms;
        child->process = kProcess;
        return true;
    }

    bool QueryExitStatus(Handle process, uint32_t *status) override {
        calls.push_back("QueryExitStatus");
        if (process != kProcess) return false;
        if (failing_queries > 0) {
            --failing_queries;
            return false;
        }
        ++status_queries;
        *status = ChildEnded() ? child_exit_code : 259;
        return true;
    }

    bool HasEnded(Handle process) override {
        return Logged("HasEnded", process == kProcess && ChildEnded());
    }

    void CloseHandle(Handle handle) override {
        calls.push_back(handle == kProcess ? "CloseHandle process" : "CloseHandle null");
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

    uint32_t TickCount() override { return Logged("TickCount", now_ms); }

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

private:
    // Logs the call, and answers `result`.
    template <typename T> T Logged(const std::string &call, T result) {
        calls.push_back(call);
        return result;
    }

    // Copies the text with its NUL, as each of the system's calls does, when
    // it fits whole.
    template <class Char>
    static bool Put(const std::basic_string<Char> &text, Char *buffer, uint32_t capacity) {
        if (text.size() >= capacity) return false;
        std::copy_n(text.c_str(), text.size() + 1, buffer);
        return true;
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

    static inline Handle const kProcess = reinterpret_cast<Handle>(0x20);
};

} // namespace launcher::testing
