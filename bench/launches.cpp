// Starting the subjects and reading them: see runs.h.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>

#include "runs.h"

namespace bench {

using harness::UnderWine;

namespace {

// The command line a caller gives each subject for `list` in the set-up
// folder.
std::string CommandLine(const Bench &b, const Subject &s, const std::string &list) {
    if (s.kind == Kind::kDirect) return b.manager + " \"" + b.setup + "\\" + list + "\"";
    return "\"" + s.program + "\" " + list;
}

} // namespace

double CpuMs(const Launch &l) {
    if (!UnderWine()) return ProcessCpuMs(l.pi.hProcess);
    if (l.unix_pid == 0) l.unix_pid = UnixPidRunning(l.key);
    return LinuxCpuMs(l.unix_pid);
}

Memory PeakMemory(const Launch &l) {
    Memory m;
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(l.pi.hProcess, &counters, sizeof counters))
        m.working_set_kb = counters.PeakWorkingSetSize / 1024.0;
    if (UnderWine()) {
        if (l.unix_pid == 0) l.unix_pid = UnixPidRunning(l.key);
        m.resident_kb = LinuxPeakResidentKb(l.unix_pid);
    }
    return m;
}

Launch Start(Bench &b, const Subject &s, const std::string &list, DWORD run_ms) {
    Launch l;
    l.record = b.records + "\\run-" + std::to_string(++b.serial) + ".txt";
    harness::ConfigureStandIn(l.record, run_ms);
    l.line = CommandLine(b, s, list);
    l.key = s.program.substr(s.program.find_last_of('\\') + 1) + " " + list;
    std::vector<char> buffer(l.line.begin(), l.line.end());
    buffer.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    l.before = Now();
    if (!CreateProcessA(s.program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        b.setup.c_str(), &si, &l.pi)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", s.program.c_str(), GetLastError());
        std::exit(2);
    }
    l.after = Now();
    return l;
}

bool Wait(Bench &b, HANDLE process, DWORD ms, bool watch) {
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process, watch ? 50 : ms) != WAIT_OBJECT_0) {
        b.boxes.Poll();
        if (GetTickCount() - start < ms) continue;
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 5000);
        return false;
    }
    return true;
}

void Failed(Bench &b, const char *subject, const char *why) {
    ++b.failed_runs;
    std::fprintf(stderr, "%s: a run failed: %s\n", subject, why);
}

harness::Record StandInRecord(const Launch &l) {
    const std::vector<harness::Record> records = harness::ReadRecords(l.record);
    return records.empty() ? harness::Record{} : records[0];
}

void Close(Launch &l) {
    CloseHandle(l.pi.hThread);
    CloseHandle(l.pi.hProcess);
}

double EmptyRun(const std::string &program) {
    std::string line = "\"" + program + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    const LONGLONG before = Now();
    if (!CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
        return kNone;
    const bool ended = WaitForSingleObject(pi.hProcess, kSlackMs) == WAIT_OBJECT_0;
    const LONGLONG at = Now();
    if (!ended) TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ended ? Ms(before, at) : kNone;
}

} // namespace bench
