// Running programs as a caller would: with an exact command line and current
// directory, in a job that ends them all with the harness, each waited for up
// to a time-out.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace harness {

struct Run {
    bool started = false;
    bool ended = false; // false: still running at the time-out, then killed
    DWORD exit_code = 0;
    DWORD start_tick = 0;
    DWORD end_tick = 0; // when its end was seen
};
// How a caller starts a program: on a desktop ("station\\desktop") other
// than its own when given (narrow command lines only), with its windows
// hidden (STARTF_USESHOWWINDOW and SW_HIDE, as callers that hide what they
// start ask), and with its output written to the file `output`.
struct StartAs {
    const char *desktop = nullptr;
    bool hidden = false;
    const char *output = nullptr;
};

// Starts `command_line` in `directory` (the caller's own when empty), as
// asked, in the job of everything the harness starts, and leaves it running.
bool StartInJob(const std::string &command_line, const std::string &directory,
                PROCESS_INFORMATION *pi, const StartAs &as = {});

// Starts `command_line` (the module is its first token, as a caller would
// write it) in `directory`, as asked, and waits up to `timeout_ms`, calling
// `poll` about every 50 ms meanwhile.
Run RunProgram(const std::string &command_line, const std::string &directory, DWORD timeout_ms,
               const std::function<void()> &poll = nullptr, const StartAs &as = {});
// The same, started with CreateProcessW: names outside the ANSI code page
// reach the program as Windows would hand them on.
Run RunProgram(const std::wstring &command_line, const std::wstring &directory, DWORD timeout_ms,
               const std::function<void()> &poll = nullptr, const StartAs &as = {});

// Variables of this program's environment, which the programs it starts
// inherit, changed for as long as the object lives (none: removed), and put
// back as they were when it goes, however the case ends.
class EnvironmentChange {
public:
    using Values = std::vector<std::pair<std::string, std::optional<std::string>>>;
    explicit EnvironmentChange(const Values &values) : saved_(Set(values)) {}
    ~EnvironmentChange() { Set(saved_); }
    EnvironmentChange(const EnvironmentChange &) = delete;
    EnvironmentChange &operator=(const EnvironmentChange &) = delete;

private:
    static Values Set(const Values &values); // returns them as they were
    Values saved_;
};

// Whether a process of this program (file name, any case) is running.
bool IsRunning(const std::string &exe_name);

// Waits, asking every 25 ms, until `condition` holds (another program does
// what it is asked a while after, later on a loaded machine), for at most
// `limit_ms`, which only keeps what never happens from holding a case up.
bool WaitUntil(const std::function<bool()> &condition, DWORD limit_ms);

// Presses the OK button of the dialog captioned `caption`, when it is open
// and the button enabled, as a user clicking through an installer's pages.
void PressOk(const char *caption);

} // namespace harness
