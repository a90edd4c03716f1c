// Running programs and waiting for them: every program the harness starts,
// and all that those start, lies in one job that ends with the harness.
#include "programs.h"

#include <tlhelp32.h>

namespace harness {

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

// Starts a program suspended, with CreateProcessA or CreateProcessW as its
// texts are narrow or wide (the narrow ones converted by Windows itself, as
// a caller's would be), puts it into the job, then lets it run.
template <typename Text, typename StartupInfo, typename CreateProcessFunction>
bool Start(CreateProcessFunction create_process, Text line, const Text &directory, StartupInfo si,
           const StartAs &as, PROCESS_INFORMATION *pi) {
    si.cb = sizeof si;
    si.dwFlags = as.hidden ? STARTF_USESHOWWINDOW : 0;
    si.wShowWindow = SW_HIDE;
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE output = as.output == nullptr ? INVALID_HANDLE_VALUE
                                         : CreateFileA(as.output, GENERIC_WRITE, FILE_SHARE_READ,
                                                       &inherited, CREATE_ALWAYS, 0, nullptr);
    if (output != INVALID_HANDLE_VALUE) {
        si.dwFlags |= STARTF_USESTDHANDLES;
        si.hStdOutput = si.hStdError = output;
    }
    const bool started = create_process(nullptr, line.data(), nullptr, nullptr,
                                        output != INVALID_HANDLE_VALUE, CREATE_SUSPENDED, nullptr,
                                        directory.empty() ? nullptr : directory.c_str(), &si, pi);
    if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
    if (!started) return false;
    AssignProcessToJobObject(ChildJob(), pi->hProcess);
    ResumeThread(pi->hThread);
    return true;
}

// Starts a program with `start` and waits for it as RunProgram describes.
Run StartAndWait(const std::function<bool(PROCESS_INFORMATION *)> &start, DWORD timeout_ms,
                 const std::function<void()> &poll) {
    Run run;
    PROCESS_INFORMATION pi = {};
    run.start_tick = GetTickCount();
    if (!start(&pi)) return run;
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

bool StartInJob(const std::string &command_line, const std::string &directory,
                PROCESS_INFORMATION *pi, const StartAs &as) {
    std::string desktop_name = as.desktop != nullptr ? as.desktop : "";
    STARTUPINFOA si = {};
    si.lpDesktop = as.desktop != nullptr ? desktop_name.data() : nullptr;
    return Start(CreateProcessA, command_line, directory, si, as, pi);
}

Run RunProgram(const std::string &command_line, const std::string &directory, DWORD timeout_ms,
               const std::function<void()> &poll, const StartAs &as) {
    return StartAndWait(
        [&](PROCESS_INFORMATION *pi) { return StartInJob(command_line, directory, pi, as); },
        timeout_ms, poll);
}

Run RunProgram(const std::wstring &command_line, const std::wstring &directory, DWORD timeout_ms,
               const std::function<void()> &poll, const StartAs &as) {
    return StartAndWait(
        [&](PROCESS_INFORMATION *pi) {
            return Start(CreateProcessW, command_line, directory, STARTUPINFOW{}, as, pi);
        },
        timeout_ms, poll);
}

EnvironmentChange::Values EnvironmentChange::Set(const Values &values) {
    Values was;
    for (const auto &[name, value] : values) {
        static char old[32768];
        const DWORD n = GetEnvironmentVariableA(name.c_str(), old, sizeof old);
        was.emplace_back(name,
                         n > 0 && n < sizeof old ? std::optional<std::string>(old) : std::nullopt);
        SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
    }
    return was;
}

bool WaitUntil(const std::function<bool()> &condition, DWORD limit_ms) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= limit_ms) return false;
        Sleep(25);
    }
    return true;
}

void PressOk(const char *caption) {
    HWND dialog = FindWindowA("#32770", caption);
    HWND ok = dialog != nullptr ? GetDlgItem(dialog, IDOK) : nullptr;
    if (ok != nullptr && IsWindowEnabled(ok))
        PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(ok));
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

} // namespace harness
