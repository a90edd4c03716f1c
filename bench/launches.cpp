// Starting the subjects and reading them while they run: their command
// lines, CPU time, peak memory and the stand-in's record (see launches.h).
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>

#include "launches.h"

namespace bench {

using harness::UnderWine;

namespace {

// The command line a caller gives each subject for `list` in the set-up
// folder.
std::string CommandLine(const Bench &bench, const Subject &subject, const std::string &list) {
    if (subject.kind == Kind::kDirect)
        return bench.manager + " \"" + bench.setup + "\\" + list + "\"";
    return "\"" + subject.program + "\" " + list;
}

} // namespace

double CpuMs(const Launch &launch) {
    if (!UnderWine()) return ProcessCpuMs(launch.pi.hProcess);
    if (launch.unix_pid == 0) launch.unix_pid = UnixPidRunning(launch.key);
    return LinuxCpuMs(launch.unix_pid);
}

Memory PeakMemory(const Launch &launch) {
    Memory memory;
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(launch.pi.hProcess, &counters, sizeof counters))
        memory.working_set_kb = counters.PeakWorkingSetSize / 1024.0;
    if (UnderWine()) {
        if (launch.unix_pid == 0) launch.unix_pid = UnixPidRunning(launch.key);
        memory.resident_kb = LinuxPeakResidentKb(launch.unix_pid);
    }
    return memory;
}

Launch Start(Bench &bench, const Subject &subject, const std::string &list, DWORD run_ms) {
    Launch launch;
    launch.record = bench.records + "\\run-" + std::to_string(++bench.serial) + ".txt";
    harness::ConfigureStandIn(launch.record, run_ms);
    launch.line = CommandLine(bench, subject, list);
    launch.key = subject.program.substr(subject.program.find_last_of('\\') + 1) + " " + list;
    std::vector<char> buffer(launch.line.begin(), launch.line.end());
    buffer.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    launch.before = Now();
    if (!CreateProcessA(subject.program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        bench.setup.c_str(), &si, &launch.pi)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", subject.program.c_str(),
                     GetLastError());
        std::exit(2);
    }
    launch.after = Now();
    return launch;
}

bool Wait(Bench &bench, HANDLE process, DWORD ms, bool watch) {
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process, watch ? 50 : ms) != WAIT_OBJECT_0) {
        bench.boxes.Poll();
        if (GetTickCount() - start < ms) continue;
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 5000);
        return false;
    }
    return true;
}

void Failed(Bench &bench, const char *subject, const char *why) {
    ++bench.failed_runs;
    std::fprintf(stderr, "%s: a run failed: %s\n", subject, why);
}

harness::Record StandInRecord(const Launch &launch) {
    const std::vector<harness::Record> records = harness::ReadRecords(launch.record);
    return records.empty() ? harness::Record{} : records[0];
}

void Close(Launch &launch) {
    CloseHandle(launch.pi.hThread);
    CloseHandle(launch.pi.hProcess);
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
