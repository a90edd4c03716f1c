// What the launcher costs, side by side with an NSIS launcher of the same kind
// (peer.exe, from peer.nsi) and with the application manager started directly
// (the physical limit). It measures and prints; it never fails on a slow
// machine. Runs under Wine and on Windows alike.
//
//   bench.exe [--runs N] [--out FILE] [--verbose]
//
// Each run starts its subject in a set-up folder that holds it and an
// install list, with the stand-in application manager registered and running
// a fixed time. Every figure is the median over N runs (5 by default).
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "harness.h"
#include "machine_guard.h"

namespace {

// "No figure": a measurement that could not be taken. Every other value,
// negative ones included, is shown as measured.
const double kNone = std::nan("");

bool Missing(double value) { return std::isnan(value); }

// ---------------------------------------------------------------- clock

double Frequency() {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
}

LONGLONG Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double Ms(LONGLONG from, LONGLONG to) { return (to - from) * 1000.0 / Frequency(); }

double CpuMs(const FILETIME &kernel, const FILETIME &user) {
    const auto ticks = [](const FILETIME &t) {
        return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;
}

double ProcessCpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return kNone;
    return CpuMs(kernel, user);
}

double ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    return CpuMs(kernel, user);
}

double Median(std::vector<double> values) {
    if (values.empty()) return kNone;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// ---------------------------------------------------------------- files

// The DLLs a PE file imports by its import table, in table order.
std::vector<std::string> ImportedDlls(const std::string &image) {
    std::vector<std::string> dlls;
    const auto at = [&](size_t offset, size_t size) {
        return offset <= image.size() && size <= image.size() - offset;
    };
    if (!at(0, sizeof(IMAGE_DOS_HEADER))) return dlls;
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(image.data());
    const size_t nt_offset = static_cast<size_t>(dos->e_lfanew);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || !at(nt_offset, sizeof(IMAGE_NT_HEADERS32)))
        return dlls;
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS32 *>(image.data() + nt_offset);
    if (nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC)
        return dlls;
    const IMAGE_DATA_DIRECTORY &dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    const auto *sections = IMAGE_FIRST_SECTION(nt);
    const size_t section_table = reinterpret_cast<const char *>(sections) - image.data();
    const WORD count = nt->FileHeader.NumberOfSections;
    if (!at(section_table, count * sizeof(IMAGE_SECTION_HEADER))) return dlls;
    // A relative virtual address as an offset into the file, or 0.
    const auto file_offset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < count; ++i) {
            const IMAGE_SECTION_HEADER &s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData)
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return 0;
    };
    size_t entry = file_offset(dir.VirtualAddress);
    if (dir.VirtualAddress == 0 || entry == 0) return dlls;
    for (; at(entry, sizeof(IMAGE_IMPORT_DESCRIPTOR)); entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto *d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(image.data() + entry);
        if (d->Name == 0) break;
        const size_t name = file_offset(d->Name);
        if (name == 0) break;
        const size_t end = image.find('\0', name);
        if (end == std::string::npos) break;
        std::string dll = image.substr(name, end - name);
        for (char &c : dll) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        dlls.push_back(dll);
    }
    return dlls;
}

// ---------------------------------------------------------------- process figures

// Under Wine, GetProcessTimes gives the calling process's own CPU time
// whatever the handle, so a subject's CPU time is read from the Linux process
// that runs it; its peak memory Wine does report, from that same process.
using harness::UnderWine;

// The Linux process that runs a Windows program under Wine shows the
// program's command line in its own; Wine gives no other way to find it.
// The process whose command line holds `key`, or zero.
DWORD UnixPidRunning(const std::string &key) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    DWORD found = 0;
    do {
        const char *name = entry.cFileName;
        if (name[0] < '1' || name[0] > '9') continue;
        std::string cmdline;
        if (!harness::ReadWholeFile(std::string("Z:\\proc\\") + name + "\\cmdline", &cmdline))
            continue;
        for (char &c : cmdline)
            if (c == '\0') c = ' ';
        if (cmdline.find(key) != std::string::npos)
            found = static_cast<DWORD>(std::strtoul(name, nullptr, 10));
    } while (found == 0 && FindNextFileA(find, &entry));
    FindClose(find);
    return found;
}

// User and system time of a Linux process, in ms (counted in clock ticks of
// 10 ms), or kNone.
double LinuxCpuMs(DWORD unix_pid) {
    std::string stat;
    if (unix_pid == 0 ||
        !harness::ReadWholeFile("Z:\\proc\\" + std::to_string(unix_pid) + "\\stat", &stat))
        return kNone;
    // The fields after the parenthesised name: state is field 3, utime 14.
    size_t at = stat.rfind(')');
    if (at == std::string::npos) return kNone;
    const char *p = stat.c_str() + at + 1;
    char *end = nullptr;
    double ticks[2] = {0, 0};
    for (int field = 3; field <= 15; ++field) {
        while (*p == ' ') ++p;
        if (field >= 14) ticks[field - 14] = std::strtod(p, &end);
        while (*p != ' ' && *p != '\0') ++p;
    }
    return (ticks[0] + ticks[1]) * 10.0;
}

// "VmHWM" of a Linux process, in KB, or kNone.
double LinuxPeakResidentKb(DWORD unix_pid) {
    std::string status;
    if (unix_pid == 0 ||
        !harness::ReadWholeFile("Z:\\proc\\" + std::to_string(unix_pid) + "\\status", &status))
        return kNone;
    const size_t at = status.find("VmHWM:");
    if (at == std::string::npos) return kNone;
    return std::strtod(status.c_str() + at + 6, nullptr);
}

// Peak memory of a running program, both ways: the system's own figure, and
// under Wine the peak resident size of the Linux process that runs it.
struct Memory {
    double working_set_kb = kNone;
    double resident_kb = kNone;
};

// ---------------------------------------------------------------- subjects

enum class Kind { kLauncher, kPeer, kDirect };

struct Subject {
    Kind kind;
    const char *name;
    std::string program; // the program started; the stand-in for the direct start
};

struct Bench {
    std::string setup;   // the folder the subjects and the lists lie in
    std::string manager; // the stand-in's registered path
    std::string records; // the folder of the stand-in's records
    int runs = 5;
    bool verbose = false; // prints each run's raw figures
    int serial = 0;       // numbers the records
};

// The command line a caller gives each subject for `list` in the set-up
// folder.
std::string CommandLine(const Bench &b, const Subject &s, const std::string &list) {
    if (s.kind == Kind::kDirect) return b.manager + " \"" + b.setup + "\\" + list + "\"";
    return "\"" + s.program + "\" " + list;
}

struct Launch {
    PROCESS_INFORMATION pi = {};
    LONGLONG before = 0; // just before CreateProcessA
    LONGLONG after = 0;  // just after it returned
    std::string record;
    std::string line;           // its command line
    std::string key;            // a part of it that no other process's has
    mutable DWORD unix_pid = 0; // under Wine, once found
};

// Its CPU time so far, in ms, or kNone; under Wine only while it runs.
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

harness::Record StandInRecord(const Launch &l) {
    const std::vector<harness::Record> records = harness::ReadRecords(l.record);
    return records.empty() ? harness::Record{} : records[0];
}

void Close(Launch &l) {
    CloseHandle(l.pi.hThread);
    CloseHandle(l.pi.hProcess);
}

// ---------------------------------------------------------------- measuring

constexpr DWORD kShortRunMs = 2000;
constexpr DWORD kLongRunMs = 60000;
constexpr DWORD kPollMs = 1500;
constexpr DWORD kPauseMs = 60000; // PlotterCAB.ini's minimum
constexpr char kPauseList[] = "PlotterCAB.ini";

// What one run showed.
struct Sample {
    LONGLONG before = 0; // CreateProcessA called
    LONGLONG after = 0;  // CreateProcessA returned
    LONGLONG exited = 0; // its end seen
    harness::Record stand_in;
    double cpu_ms = kNone;
    Memory memory;
};

struct Samples {
    std::vector<Sample> short_runs;  // the stand-in runs 2 s
    std::vector<double> long_cpu_ms; // CPU of runs with a 60 s stand-in
    std::vector<double> wait_cpu_ms; // CPU within those runs, over 56 s of the wait
    std::vector<Sample> pause_runs;  // the launcher on a list with a minimum
};

// The subjects' progress is followed in the stand-in's record, so that
// their figures are read at the same moments of every run.

// Waits until the stand-in has recorded its start and `after_ms` more have
// passed, or until the time-out. False on the time-out.
bool WaitForStandIn(const Launch &l, double after_ms) {
    for (int i = 0; i < 1200; ++i) {
        const harness::Record r = StandInRecord(l);
        if (r.start_qpc != 0 && Ms(r.start_qpc, Now()) >= after_ms) return true;
        Sleep(20);
    }
    return false;
}

// An install list of its own for each run, so that each subject's process
// can be told from the others by its command line.
std::string RunList(const Bench &b) { return "Sample-" + std::to_string(b.serial + 1) + ".ini"; }

// One run with a 2 s stand-in, waited for on its own. The subject's CPU time
// is read 200 ms before the stand-in ends.
Sample ShortRun(Bench &b, const Subject &s) {
    Sample sample;
    Launch l = Start(b, s, RunList(b), kShortRunMs);
    const double cpu_before = ThreadCpuMs();
    if (s.kind != Kind::kDirect) {
        if (WaitForStandIn(l, 500)) sample.memory = PeakMemory(l);
        if (WaitForStandIn(l, kShortRunMs - 200.0)) sample.cpu_ms = CpuMs(l);
    }
    // The direct start is waited for as a caller would, with one wait.
    WaitForSingleObject(l.pi.hProcess, INFINITE);
    sample.exited = Now();
    if (s.kind == Kind::kDirect) sample.cpu_ms = ThreadCpuMs() - cpu_before;
    sample.before = l.before;
    sample.after = l.after;
    sample.stand_in = StandInRecord(l);
    Close(l);
    if (b.verbose)
        std::printf("  %s: start-up %.1f ms, CPU %.1f ms, end seen %.1f ms after the stand-in's\n",
                    s.name, Ms(sample.before, sample.stand_in.start_qpc), sample.cpu_ms,
                    Ms(sample.stand_in.end_qpc, sample.exited));
    if (!sample.stand_in.ended) {
        std::fprintf(stderr, "%s: the stand-in did not run\n", s.name);
        std::exit(2);
    }
    return sample;
}

// The direct starts of the long runs, waited for one by one on a thread of
// their own, as a caller would: its CPU time across each wait is what
// waiting costs a direct start.
struct DirectWaits {
    std::vector<HANDLE> processes;
    std::vector<double> cpu_ms;
};

DWORD WINAPI WaitForDirectStarts(void *param) {
    auto *waits = static_cast<DirectWaits *>(param);
    for (HANDLE process : waits->processes) {
        const double before = ThreadCpuMs();
        WaitForSingleObject(process, INFINITE);
        waits->cpu_ms.push_back(ThreadCpuMs() - before);
    }
    return 0;
}

// N runs of each subject with a 60 s stand-in, all at once (started 2 s
// apart, so that their start-ups do not overlap), for CPU time only: what
// each used between 2 s and 58 s after the stand-in started, while it did
// nothing but wait, and all it used until 200 ms before the stand-in's end.
void LongRuns(Bench &b, const std::vector<Subject> &subjects, std::vector<Samples> *samples) {
    struct Pending {
        size_t subject;
        Launch launch;
        double opened = kNone; // CPU when the window opened, once it has
        bool closed = false;
        bool done = false;
    };
    std::vector<Pending> pending;
    for (int run = 0; run < b.runs; ++run)
        for (size_t i = 0; i < subjects.size(); ++i) {
            pending.push_back({i, Start(b, subjects[i], RunList(b), kLongRunMs)});
            Sleep(2000);
        }
    DirectWaits direct;
    size_t direct_subject = 0;
    for (const Pending &p : pending)
        if (subjects[p.subject].kind == Kind::kDirect) {
            direct.processes.push_back(p.launch.pi.hProcess);
            direct_subject = p.subject;
        }
    HANDLE waiter = CreateThread(nullptr, 0, WaitForDirectStarts, &direct, 0, nullptr);

    constexpr double kOpensMs = 2000, kClosesMs = kLongRunMs - 2000.0, kLateMs = kLongRunMs - 200.0;
    for (bool all_done = false; !all_done; Sleep(20)) {
        all_done = true;
        for (Pending &p : pending) {
            if (p.done || subjects[p.subject].kind == Kind::kDirect) continue;
            all_done = false;
            Samples &into = (*samples)[p.subject];
            const harness::Record r = StandInRecord(p.launch);
            const double since = r.start_qpc != 0 ? Ms(r.start_qpc, Now()) : -1;
            if (Missing(p.opened) && since >= kOpensMs) p.opened = CpuMs(p.launch);
            if (!Missing(p.opened) && !p.closed && since >= kClosesMs) {
                into.wait_cpu_ms.push_back(CpuMs(p.launch) - p.opened);
                p.closed = true;
            }
            if (p.closed && since >= kLateMs) {
                into.long_cpu_ms.push_back(CpuMs(p.launch));
                p.done = true;
                if (b.verbose)
                    std::printf("  %s: %.1f ms CPU from 2 s to 58 s, %.1f ms in all\n",
                                subjects[p.subject].name, into.wait_cpu_ms.back(),
                                into.long_cpu_ms.back());
            }
        }
    }
    WaitForSingleObject(waiter, INFINITE);
    CloseHandle(waiter);
    (*samples)[direct_subject].long_cpu_ms = direct.cpu_ms;
    for (Pending &p : pending) {
        WaitForSingleObject(p.launch.pi.hProcess, INFINITE);
        Close(p.launch);
    }
}

// N launcher runs on a list with a 60 s minimum, the primary suite window
// open, started 5 s apart so that each one's end is seen on its own.
std::vector<Sample> PauseRuns(Bench &b, const Subject &launcher) {
    harness::DesktopWindows windows({"Tarnivo Site Suite"});
    std::vector<Launch> launches;
    for (int run = 0; run < b.runs; ++run) {
        launches.push_back(Start(b, launcher, kPauseList, kShortRunMs));
        Sleep(5000);
    }
    std::vector<Sample> samples(launches.size());
    for (size_t left = launches.size(); left > 0; --left) {
        std::vector<HANDLE> waiting;
        std::vector<size_t> which;
        for (size_t i = 0; i < launches.size(); ++i)
            if (samples[i].exited == 0) {
                waiting.push_back(launches[i].pi.hProcess);
                which.push_back(i);
            }
        const DWORD r = WaitForMultipleObjects(static_cast<DWORD>(waiting.size()), waiting.data(),
                                               FALSE, INFINITE);
        const LONGLONG now = Now();
        if (r >= WAIT_OBJECT_0 + waiting.size()) break;
        samples[which[r - WAIT_OBJECT_0]].exited = now;
    }
    for (size_t i = 0; i < launches.size(); ++i) {
        samples[i].before = launches[i].before;
        samples[i].after = launches[i].after;
        samples[i].stand_in = StandInRecord(launches[i]);
        Close(launches[i]);
    }
    return samples;
}

// A program that does nothing: CreateProcessA to its end, in ms.
double EmptyRun(const std::string &program) {
    std::string line = "\"" + program + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    const LONGLONG before = Now();
    if (!CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
        return kNone;
    WaitForSingleObject(pi.hProcess, INFINITE);
    const LONGLONG ended = Now();
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return Ms(before, ended);
}

// ---------------------------------------------------------------- figures

struct Figures {
    double startup_ms = kNone;       // CreateProcessA called -> stand-in's first instruction
    double release_ms = kNone;       // the instant it must notice the end -> its exit
    double pause_release_ms = kNone; // the end of the settling pause -> its exit
    double cpu_ms = kNone;           // CPU while waiting: 60 s run minus 2 s run
    double wait_cpu_ms = kNone;      // CPU within a run, over 56 s of the wait
    double working_set_kb = kNone;
    double resident_kb = kNone;
};

// A counter value as ms on the same time line.
double CounterMs(LONGLONG counter) { return counter * 1000.0 / Frequency(); }

// The launcher's CreateProcessA returns at about the instant the stand-in
// starts, less what a direct start shows between the two; its polls and the
// settling pause count from that return.
double LaunchInstantMs(const Sample &s, double child_after_return_ms) {
    return CounterMs(s.stand_in.start_qpc) - child_after_return_ms;
}

Figures Summarize(const Subject &subject, const Samples &samples, double child_after_return_ms) {
    Figures f;
    std::vector<double> startup, release, cpu, working_set, resident, pause;
    for (const Sample &s : samples.short_runs) {
        startup.push_back(Ms(s.before, s.stand_in.start_qpc));
        if (subject.kind == Kind::kLauncher) {
            // Bound to notice the end at the first poll after it.
            const double launch = LaunchInstantMs(s, child_after_return_ms);
            const double since = CounterMs(s.stand_in.end_qpc) - launch;
            const double polls = static_cast<double>(static_cast<long>(since / kPollMs) + 1);
            release.push_back(CounterMs(s.exited) - (launch + polls * kPollMs));
        } else {
            // Both wait on the process itself: bound to notice its end at once.
            release.push_back(Ms(s.stand_in.end_qpc, s.exited));
        }
        cpu.push_back(s.cpu_ms);
        if (!Missing(s.memory.working_set_kb)) working_set.push_back(s.memory.working_set_kb);
        if (!Missing(s.memory.resident_kb)) resident.push_back(s.memory.resident_kb);
    }
    for (const Sample &s : samples.pause_runs)
        if (s.exited != 0 && s.stand_in.start_qpc != 0)
            pause.push_back(CounterMs(s.exited) -
                            (LaunchInstantMs(s, child_after_return_ms) + kPauseMs));
    f.startup_ms = Median(startup);
    f.release_ms = Median(release);
    f.pause_release_ms = Median(pause);
    const double long_cpu = Median(samples.long_cpu_ms), short_cpu = Median(cpu);
    f.cpu_ms = long_cpu - short_cpu;
    f.wait_cpu_ms = Median(samples.wait_cpu_ms);
    f.working_set_kb = Median(working_set);
    f.resident_kb = Median(resident);
    return f;
}

// ---------------------------------------------------------------- table

std::string Fixed(double value, int decimals) {
    if (Missing(value)) return "n/a";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// `value` as a multiple of the peer's, where that means something.
std::string Ratio(double value, double peer) {
    if (Missing(value) || Missing(peer) || value < 0 || peer <= 0) return "";
    char text[64];
    std::snprintf(text, sizeof text, " (%.2f×)", value / peer);
    return text;
}

// Wine counts CPU time in steps of this size here; say when a figure is
// below it.
constexpr double kCpuStepMs = 10;

std::string Cpu(double value, double peer) {
    if (Missing(value)) return "n/a";
    std::string text = Fixed(value, 1) + " ms" + Ratio(value, peer);
    if (std::fabs(value) < kCpuStepMs) text += ", below the step";
    return text;
}

std::string Join(const std::vector<std::string> &items) {
    std::string text;
    for (const std::string &item : items) text += (text.empty() ? "" : ", ") + item;
    return text.empty() ? "none" : text;
}

} // namespace

int RunBench(int argc, char **argv) {
    Bench b;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            b.runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--verbose") {
            b.verbose = true;
        } else if (arg == "--out" && i + 1 < argc) {
            out = argv[++i];
        } else {
            std::fprintf(stderr, "usage: bench.exe [--runs N] [--out FILE] [--verbose]\n");
            return 2;
        }
    }

    // The set-up: the stand-in registered, and a folder with the launcher and
    // the peer, as an installation would ship them. The lists themselves are
    // named on command lines only: neither the subjects nor the stand-in
    // read them.
    const std::string root = harness::WorkRoot() + "\\bench";
    b.setup = root + "\\setup";
    b.records = root + "\\records";
    b.manager = root + "\\manager\\CEAPPMGR.EXE";
    harness::MakeDirs(b.setup);
    harness::MakeDirs(b.records);
    const std::string bin = harness::BinDir();
    const bool placed =
        harness::PlaceStandIn(b.manager) && harness::RegisterManager(b.manager) &&
        CopyFileA((bin + "\\launcher.exe").c_str(), (b.setup + "\\launcher.exe").c_str(), FALSE) &&
        CopyFileA((bin + "\\peer.exe").c_str(), (b.setup + "\\peer.exe").c_str(), FALSE);
    if (!placed) {
        std::fprintf(stderr, "cannot set up in %s\n", root.c_str());
        return 2;
    }

    const std::vector<Subject> subjects = {
        {Kind::kLauncher, "launcher", b.setup + "\\launcher.exe"},
        {Kind::kPeer, "NSIS peer", b.setup + "\\peer.exe"},
        {Kind::kDirect, "direct start", b.manager},
    };
    std::vector<Samples> samples(subjects.size());

    // Programs that do nothing, with each subject's imports, in the same
    // column order.
    const std::string empty[3] = {bin + "\\empty_launcher.exe", bin + "\\empty_peer.exe",
                                  bin + "\\empty_kernel32.exe"};
    std::vector<double> empty_ms[3];

    std::printf("%d runs each; short runs (stand-in %lu ms), the subjects in turn...\n", b.runs,
                kShortRunMs);
    std::fflush(stdout);
    for (int run = 0; run < b.runs; ++run)
        for (size_t i = 0; i < subjects.size(); ++i) {
            samples[i].short_runs.push_back(ShortRun(b, subjects[i]));
            empty_ms[i].push_back(EmptyRun(empty[i]));
        }
    std::printf("long runs (stand-in %lu ms, all at once)...\n", kLongRunMs);
    std::fflush(stdout);
    LongRuns(b, subjects, &samples);
    std::printf("settling pause runs (%s, %lu ms minimum)...\n", kPauseList, kPauseMs);
    std::fflush(stdout);
    samples[0].pause_runs = PauseRuns(b, subjects[0]);
    if (b.verbose)
        for (const Sample &s : samples[0].pause_runs)
            std::printf("  launcher: ended %.1f ms after the stand-in started\n",
                        Ms(s.stand_in.start_qpc, s.exited));

    std::vector<double> gaps;
    for (const Sample &s : samples[2].short_runs) gaps.push_back(Ms(s.after, s.stand_in.start_qpc));
    const double child_after_return = Median(gaps);
    std::vector<Figures> figures;
    for (size_t i = 0; i < subjects.size(); ++i)
        figures.push_back(Summarize(subjects[i], samples[i], child_after_return));

    // The table: a row per figure, a column per subject.
    std::string table;
    const auto row = [&](const std::string &what, const std::string &a, const std::string &p,
                         const std::string &d) {
        table += "| " + what + " | " + a + " | " + p + " | " + d + " |\n";
    };
    row("median of " + std::to_string(b.runs) + " runs", subjects[0].name, subjects[1].name,
        subjects[2].name);
    table += "| --- | --- | --- | --- |\n";

    std::string images[2];
    for (int i = 0; i < 2; ++i) harness::ReadWholeFile(subjects[i].program, &images[i]);
    const double size[2] = {static_cast<double>(images[0].size()),
                            static_cast<double>(images[1].size())};
    row("file size", Fixed(size[0], 0) + " bytes" + Ratio(size[0], size[1]),
        Fixed(size[1], 0) + " bytes", "no program between");
    row("imported DLLs", Join(ImportedDlls(images[0])), Join(ImportedDlls(images[1])), "none");

    const Figures &l = figures[0], &p = figures[1], &d = figures[2];
    const auto ms = [](double value, double peer) {
        return Missing(value) ? std::string("n/a") : Fixed(value, 1) + " ms" + Ratio(value, peer);
    };
    row("start-up latency: CreateProcessA called to the manager's first instruction",
        ms(l.startup_ms, p.startup_ms), ms(p.startup_ms, kNone), ms(d.startup_ms, p.startup_ms));
    const double own[2] = {l.startup_ms - d.startup_ms, p.startup_ms - d.startup_ms};
    row("own share of the start-up latency: beyond the direct start", ms(own[0], own[1]),
        ms(own[1], kNone), "0");
    const double empty_median[3] = {Median(empty_ms[0]), Median(empty_ms[1]), Median(empty_ms[2])};
    row("for reference: a program that does nothing, with the same imports, CreateProcessA to its "
        "end",
        ms(empty_median[0], empty_median[1]), ms(empty_median[1], kNone),
        ms(empty_median[2], empty_median[1]) + ", KERNEL32 alone");
    row("release latency: the instant it is bound to notice the manager's end to its exit",
        ms(l.release_ms, p.release_ms), ms(p.release_ms, kNone), ms(d.release_ms, p.release_ms));
    row("release latency: the end of the settling pause to its exit", ms(l.pause_release_ms, kNone),
        "no pause", "no pause");
    row("CPU while waiting: a 60 s run minus a 2 s run, each read 200 ms before the manager ends",
        Cpu(l.cpu_ms, p.cpu_ms), Cpu(p.cpu_ms, kNone),
        Cpu(d.cpu_ms, p.cpu_ms) + ", the waiting thread, to the end");
    row("CPU while waiting: within a 60 s run, from 2 s to 58 s", Cpu(l.wait_cpu_ms, p.wait_cpu_ms),
        Cpu(p.wait_cpu_ms, kNone), "");
    const auto kb = [](double value, double peer) {
        return Missing(value) ? std::string("n/a") : Fixed(value, 0) + " KB" + Ratio(value, peer);
    };
    row("peak memory: GetProcessMemoryInfo's PeakWorkingSetSize",
        kb(l.working_set_kb, p.working_set_kb), kb(p.working_set_kb, kNone), "no program between");
    row("peak memory: VmHWM of the Linux process that runs it (Wine, and any emulator)",
        kb(l.resident_kb, p.resident_kb), kb(p.resident_kb, kNone), "no program between");

    char notes[2048];
    std::snprintf(
        notes, sizeof notes,
        "\nRatios (×) are to the NSIS peer. The launcher's launch instant, from which its "
        "%lu ms polls and its settling pause count, is taken as the manager's first "
        "instruction less %.1f ms: the median time a direct start shows between "
        "CreateProcessA's return and that instruction. CPU time is %s; figures below %.0f ms "
        "are below the step in which it is counted.\n",
        kPollMs, child_after_return,
        UnderWine() ? "the user and system time of the Linux process that runs the program "
                      "(Wine's GetProcessTimes gives the caller's own for any process)"
                    : "GetProcessTimes's",
        kCpuStepMs);
    table += notes;

    std::printf("\n%s", table.c_str());
    if (!out.empty() && !harness::WriteWholeFile(out, table)) {
        std::fprintf(stderr, "cannot write %s\n", out.c_str());
        return 2;
    }
    return 0;
}

// The registry entry and the desktop are left as they were found.
int main(int argc, char **argv) {
    return harness::RunGuarded([&] { return RunBench(argc, argv); });
}
