// The three kinds of runs: see runs.h.
#include <cstdio>
#include <cstdlib>

#include "runs.h"

namespace bench {
namespace {

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

} // namespace

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

} // namespace bench
