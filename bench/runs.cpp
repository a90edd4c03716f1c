// The three kinds of runs: short runs one subject at a time, long runs all
// at once for the CPU time of waiting, and the settling pause (see runs.h).
#include <cstdio>

#include "runs.h"

namespace bench {
namespace {

// The subjects' progress is followed in the stand-in's record, so that
// their figures are read at the same moments of every run.

// Waits until the stand-in has recorded its start and `after_ms` more have
// passed, or until the time-out, closing message boxes meanwhile. False on
// the time-out.
bool WaitForStandIn(Bench &bench, const Launch &launch, double after_ms) {
    for (int i = 0; i < 1200; ++i) {
        const harness::Record r = StandInRecord(launch);
        if (r.start_qpc != 0 && Ms(r.start_qpc, Now()) >= after_ms) return true;
        bench.boxes.Poll();
        Sleep(20);
    }
    return false;
}

// An install list of its own for each run, so that each subject's process
// can be told from the others by its command line.
std::string RunList(const Bench &bench) {
    return "Sample-" + std::to_string(bench.serial + 1) + ".ini";
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
        if (WaitForSingleObject(process, kLongRunMs + kSlackMs) == WAIT_OBJECT_0)
            waits->cpu_ms.push_back(ThreadCpuMs() - before);
    }
    return 0;
}

} // namespace

// One run with a 2 s stand-in, waited for on its own. The subject's CPU time
// is read 200 ms before the stand-in ends.
Sample ShortRun(Bench &bench, const Subject &subject) {
    Sample sample;
    const size_t boxes = bench.boxes.Seen().size();
    Launch launch = Start(bench, subject, RunList(bench), kShortRunMs);
    const double cpu_before = ThreadCpuMs();
    if (subject.kind != Kind::kDirect) {
        if (WaitForStandIn(bench, launch, 500)) sample.memory = PeakMemory(launch);
        if (WaitForStandIn(bench, launch, kShortRunMs - 200.0)) sample.cpu_ms = CpuMs(launch);
    }
    // The direct start is waited for as a caller would, with one wait.
    const bool ended =
        Wait(bench, launch.pi.hProcess, kShortRunMs + kSlackMs, subject.kind != Kind::kDirect);
    sample.exited = Now();
    if (subject.kind == Kind::kDirect) sample.cpu_ms = ThreadCpuMs() - cpu_before;
    sample.before = launch.before;
    sample.after = launch.after;
    sample.stand_in = StandInRecord(launch);
    Close(launch);
    if (bench.verbose)
        std::printf("  %s: start-up %.1f ms, CPU %.1f ms, end seen %.1f ms after the stand-in's\n",
                    subject.name, Ms(sample.before, sample.stand_in.start_qpc), sample.cpu_ms,
                    Ms(sample.stand_in.end_qpc, sample.exited));
    const char *why = !ended ? "it overran, and was stopped"
                      : bench.boxes.Seen().size() != boxes
                          ? "it showed a message box, closed at once"
                      : !sample.stand_in.ended ? "the stand-in did not run"
                                               : nullptr;
    sample.failed = why != nullptr;
    if (sample.failed) Failed(bench, subject.name, why);
    return sample;
}

// N runs of each subject with a 60 s stand-in, all at once (started 2 s
// apart, so that their start-ups do not overlap), for CPU time only: what
// each used between 2 s and 58 s after the stand-in started, while it did
// nothing but wait, and all it used until 200 ms before the stand-in's end.
void LongRuns(Bench &bench, const std::vector<Subject> &subjects, std::vector<Samples> *samples) {
    struct Pending {
        size_t subject;
        Launch launch;
        double opened = kNone; // CPU when the window opened, once it has
        bool closed = false;
        bool done = false;
        bool late = false; // failed: see below
    };
    std::vector<Pending> pending;
    for (int run = 0; run < bench.runs; ++run)
        for (size_t i = 0; i < subjects.size(); ++i) {
            pending.push_back({i, Start(bench, subjects[i], RunList(bench), kLongRunMs)});
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
    const LONGLONG started = Now();
    for (bool all_done = false; !all_done; Sleep(20)) {
        all_done = true;
        bench.boxes.Poll();
        const bool overran = Ms(started, Now()) > kLongRunMs + kSlackMs;
        for (Pending &p : pending) {
            if (p.done || subjects[p.subject].kind == Kind::kDirect) continue;
            const harness::Record r = StandInRecord(p.launch);
            // A run that ended before its stand-in started (it showed a box,
            // closed here), or that has not come so far by now, has failed.
            if (overran || (r.start_qpc == 0 &&
                            WaitForSingleObject(p.launch.pi.hProcess, 0) == WAIT_OBJECT_0)) {
                p.done = p.late = true;
                continue;
            }
            all_done = false;
            Samples &into = (*samples)[p.subject];
            const double since = r.start_qpc != 0 ? Ms(r.start_qpc, Now()) : -1;
            if (Missing(p.opened) && since >= kOpensMs) p.opened = CpuMs(p.launch);
            if (!Missing(p.opened) && !p.closed && since >= kClosesMs) {
                into.wait_cpu_ms.push_back(CpuMs(p.launch) - p.opened);
                p.closed = true;
            }
            if (p.closed && since >= kLateMs) {
                into.long_cpu_ms.push_back(CpuMs(p.launch));
                p.done = true;
                if (bench.verbose)
                    std::printf("  %s: %.1f ms CPU from 2 s to 58 s, %.1f ms in all\n",
                                subjects[p.subject].name, into.wait_cpu_ms.back(),
                                into.long_cpu_ms.back());
            }
        }
    }
    // The direct waits end within their bound, after the last run's start.
    WaitForSingleObject(waiter, INFINITE);
    CloseHandle(waiter);
    (*samples)[direct_subject].long_cpu_ms = direct.cpu_ms;
    for (Pending &p : pending) {
        if (p.late) {
            Failed(bench, subjects[p.subject].name, "it showed a message box or overran");
            TerminateProcess(p.launch.pi.hProcess, 99); // if it still runs
        } else if (!Wait(bench, p.launch.pi.hProcess, kSlackMs)) {
            Failed(bench, subjects[p.subject].name, "it overran, and was stopped");
        }
        Close(p.launch);
    }
}

// N launcher runs on a list with a 60 s minimum, the primary suite window
// open, started 5 s apart so that each one's end is seen on its own.
std::vector<Sample> PauseRuns(Bench &bench, const Subject &launcher) {
    harness::DesktopWindows windows({"Tarnivo Site Suite"});
    std::vector<Launch> launches;
    for (int run = 0; run < bench.runs; ++run) {
        launches.push_back(Start(bench, launcher, kPauseList, kShortRunMs));
        Sleep(5000);
    }
    std::vector<Sample> samples(launches.size());
    const LONGLONG started = Now();
    for (size_t left = launches.size(); left > 0;) {
        std::vector<HANDLE> waiting;
        std::vector<size_t> which;
        for (size_t i = 0; i < launches.size(); ++i)
            if (samples[i].exited == 0) {
                waiting.push_back(launches[i].pi.hProcess);
                which.push_back(i);
            }
        const DWORD r =
            WaitForMultipleObjects(static_cast<DWORD>(waiting.size()), waiting.data(), FALSE, 50);
        const LONGLONG now = Now();
        if (r < WAIT_OBJECT_0 + waiting.size()) {
            samples[which[r - WAIT_OBJECT_0]].exited = now;
            --left;
        }
        bench.boxes.Poll();
        if (Ms(started, now) > kPauseMs + kSlackMs) break; // the rest have overrun
    }
    // A run that overran, or that never started its stand-in (it showed a
    // box, closed above), has failed.
    std::vector<Sample> kept;
    for (size_t i = 0; i < launches.size(); ++i) {
        samples[i].before = launches[i].before;
        samples[i].after = launches[i].after;
        samples[i].stand_in = StandInRecord(launches[i]);
        if (samples[i].exited == 0) TerminateProcess(launches[i].pi.hProcess, 99);
        Close(launches[i]);
        if (samples[i].exited != 0 && samples[i].stand_in.start_qpc != 0)
            kept.push_back(samples[i]);
        else
            Failed(bench, launcher.name, "it showed a message box or overran");
    }
    return kept;
}

} // namespace bench
