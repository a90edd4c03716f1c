// What the launcher costs, side by side with an NSIS launcher of the same kind
// (peer.exe, from peer.nsi) and with the application manager started directly
// (the physical limit). It measures and prints; it never fails on a slow
// machine. Runs under Wine and on Windows alike.
//
//   bench.exe [--runs N] [--out FILE] [--machine] [--verbose]
//
// --machine puts the machine it ran on at the head of the table (run-bench.cmd
// of the test kit asks for it; scripts/bench.sh describes the Linux machine
// itself).
//
// Each run starts its subject in a set-up folder that holds it and an
// install list, with the stand-in application manager registered and running
// a fixed time. Every figure is the median over N runs (5 by default).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "harness.h"
#include "machine_description.h"
#include "report.h"
#include "runs.h"

namespace bench {
namespace {

int RunBench(int argc, char **argv) {
    Bench bench;
    std::string out;
    bool machine = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            bench.runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--verbose") {
            bench.verbose = true;
        } else if (arg == "--out" && i + 1 < argc) {
            out = argv[++i];
        } else if (arg == "--machine") {
            machine = true;
        } else {
            std::fprintf(stderr,
                         "usage: bench.exe [--runs N] [--out FILE] [--machine] [--verbose]\n");
            return 2;
        }
    }

    // The set-up: the stand-in registered, and a folder with the launcher and
    // the peer, as an installation would ship them. The lists themselves are
    // named on command lines only: neither the subjects nor the stand-in
    // read them.
    const std::string root = harness::WorkRoot() + "\\bench";
    bench.setup = root + "\\setup";
    bench.records = root + "\\records";
    bench.manager = root + "\\manager\\CEAPPMGR.EXE";
    harness::MakeDirs(bench.setup);
    harness::MakeDirs(bench.records);
    const std::string bin = harness::BinDir();
    const bool placed =
        harness::PlaceStandIn(bench.manager) && harness::RegisterManager(bench.manager) &&
        CopyFileA((bin + "\\launcher.exe").c_str(), (bench.setup + "\\launcher.exe").c_str(),
                  FALSE) &&
        CopyFileA((bin + "\\peer.exe").c_str(), (bench.setup + "\\peer.exe").c_str(), FALSE);
    if (!placed) {
        std::fprintf(stderr, "cannot set up in %s%s\n", root.c_str(),
                     harness::AppPathsBelongToTheMachine()
                         ? ": the application manager's App Paths entry belongs to an "
                           "installation on this machine, and the benchmark never writes it"
                         : "");
        return 2;
    }

    const std::vector<Subject> subjects = {
        {Kind::kLauncher, "launcher", bench.setup + "\\launcher.exe"},
        {Kind::kPeer, "NSIS peer", bench.setup + "\\peer.exe"},
        {Kind::kDirect, "direct start", bench.manager},
    };
    std::vector<Samples> samples(subjects.size());

    // Programs that do nothing, with each subject's imports, in the same
    // column order.
    const std::string empty[3] = {bin + "\\empty_launcher.exe", bin + "\\empty_peer.exe",
                                  bin + "\\empty_kernel32.exe"};
    std::vector<double> empty_ms[3];

    std::printf("%d runs each; short runs (stand-in %lu ms), the subjects in turn...\n", bench.runs,
                kShortRunMs);
    std::fflush(stdout);
    for (int run = 0; run < bench.runs; ++run)
        for (size_t i = 0; i < subjects.size(); ++i) {
            const Sample sample = ShortRun(bench, subjects[i]);
            if (!sample.failed) samples[i].short_runs.push_back(sample);
            empty_ms[i].push_back(EmptyRun(empty[i]));
        }
    std::printf("long runs (stand-in %lu ms, all at once)...\n", kLongRunMs);
    std::fflush(stdout);
    LongRuns(bench, subjects, &samples);
    std::printf("settling pause runs (%s, %lu ms minimum)...\n", kPauseList, kPauseMs);
    std::fflush(stdout);
    samples[0].pause_runs = PauseRuns(bench, subjects[0]);
    if (bench.verbose)
        for (const Sample &s : samples[0].pause_runs)
            std::printf("  launcher: ended %.1f ms after the stand-in started\n",
                        Ms(s.stand_in.start_qpc, s.exited));

    std::vector<double> gaps;
    for (const Sample &s : samples[2].short_runs) gaps.push_back(Ms(s.after, s.stand_in.start_qpc));
    const double child_after_return = Median(gaps);
    std::vector<Figures> figures;
    for (size_t i = 0; i < subjects.size(); ++i)
        figures.push_back(Summarize(subjects[i], samples[i], child_after_return));

    const double empty_median[3] = {Median(empty_ms[0]), Median(empty_ms[1]), Median(empty_ms[2])};
    std::string table = Table(bench.runs, subjects, figures, empty_median, child_after_return);
    if (machine) table = Machine() + "\n" + table;

    if (bench.failed_runs > 0)
        table += "\n" + std::to_string(bench.failed_runs) +
                 " runs failed (a message box appeared and was closed, or a run overran its "
                 "bound) and are left out of the figures.\n";
    std::printf("\n%s", table.c_str());
    if (!out.empty() && !harness::WriteWholeFile(out, table)) {
        std::fprintf(stderr, "cannot write %s\n", out.c_str());
        return 2;
    }
    return bench.failed_runs > 0 ? 1 : 0;
}

} // namespace
} // namespace bench

// The registry entry and the desktop are left as they were found.
int main(int argc, char **argv) {
    return harness::RunGuarded([&] { return bench::RunBench(argc, argv); });
}
