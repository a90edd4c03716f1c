// The runs' samples made figures (medians), and the table with its notes
// that sets the subjects side by side (see report.h).
#include "report.h"

#include <algorithm>
#include <cstdio>

#include "harness.h"

namespace bench {
namespace {

// The launcher's CreateProcessA returns at about the instant the stand-in
// starts, less what a direct start shows between the two; its polls and the
// settling pause count from that return.
double LaunchInstantMs(const Sample &s, double child_after_return_ms) {
    return CounterMs(s.stand_in.start_qpc) - child_after_return_ms;
}

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

// CPU time is counted in steps: of the Linux kernel's 10 ms clock ticks
// under Wine, of Windows' clock interval (15.6 ms unless a program asks for
// less) on Windows. A figure below the step says so.
double CpuStepMs() { return harness::UnderWine() ? 10 : 15.6; }

std::string Cpu(double value, double peer) {
    if (Missing(value)) return "n/a";
    std::string text = Fixed(value, 1) + " ms" + Ratio(value, peer);
    if (std::fabs(value) < CpuStepMs()) text += ", below the step";
    return text;
}

std::string Join(const std::vector<std::string> &items) {
    std::string text;
    for (const std::string &item : items) text += (text.empty() ? "" : ", ") + item;
    return text.empty() ? "none" : text;
}

} // namespace

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

std::string Table(int runs, const std::vector<Subject> &subjects,
                  const std::vector<Figures> &figures, const double (&empty_ms)[3],
                  double child_after_return_ms) {
    // The table: a row per figure, a column per subject.
    std::string table;
    const auto row = [&](const std::string &what, const std::string &a, const std::string &p,
                         const std::string &d) {
        table += "| " + what + " | " + a + " | " + p + " | " + d + " |\n";
    };
    row("median of " + std::to_string(runs) + " runs", subjects[0].name, subjects[1].name,
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
    row("for reference: a program that does nothing, with the same imports, CreateProcessA to its "
        "end",
        ms(empty_ms[0], empty_ms[1]), ms(empty_ms[1], kNone),
        ms(empty_ms[2], empty_ms[1]) + ", KERNEL32 alone");
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
    if (harness::UnderWine()) {
        row("peak memory: VmHWM of the Linux process that runs it (Wine, and any emulator)",
            kb(l.resident_kb, p.resident_kb), kb(p.resident_kb, kNone), "no program between");
    } else {
        row("peak memory: VmHWM of the Linux process that runs it (Wine, and any emulator)",
            "n/a: Windows itself, no Linux process", "n/a: Windows itself, no Linux process",
            "no program between");
    }

    char notes[2048];
    std::snprintf(
        notes, sizeof notes,
        "\nRatios (×) are to the NSIS peer. The launcher's launch instant, from which its "
        "%lu ms polls and its settling pause count, is taken as the manager's first "
        "instruction less %.1f ms: the median time a direct start shows between "
        "CreateProcessA's return and that instruction. CPU time is %s; figures below %g ms "
        "are below the step in which it is counted.\n",
        kPollMs, child_after_return_ms,
        harness::UnderWine()
            ? "the user and system time of the Linux process that runs the program "
              "(Wine's GetProcessTimes gives the caller's own for any process)"
            : "GetProcessTimes's, and peak memory GetProcessMemoryInfo's: Windows' own "
              "counters, as are the times, from QueryPerformanceCounter",
        CpuStepMs());
    table += notes;
    return table;
}

} // namespace bench
