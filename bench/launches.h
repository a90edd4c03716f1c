// The benchmark's subjects, the state its runs share, and one subject
// started on a list and read while it runs: its CPU time, peak memory, and
// the stand-in's record of it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "harness.h"
#include "launcher/settling_pause.h"
#include "launcher/wait_for_child.h"
#include "readings.h"

namespace bench {

constexpr DWORD kShortRunMs = 2000;
constexpr DWORD kLongRunMs = 60000;
// The launcher's own: its poll interval, and the list it pauses for in the
// benchmark's pause runs, with that list's minimum.
constexpr DWORD kPollMs = launcher::kPollIntervalMs;
constexpr const char *kPauseList = launcher::kMinimumDurations[1].list; // PlotterCAB.ini
constexpr DWORD kPauseMs = launcher::kMinimumDurations[1].minimum_ms;
// How much longer than it is meant to take any run may take; then it has
// failed, and is stopped.
constexpr DWORD kSlackMs = 120000;

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
    // Every message box of the subjects (both say "Installation"), closed as
    // soon as it is seen: a run that shows one has failed.
    harness::MessageBoxWatch boxes{"Installation"};
    int failed_runs = 0; // left out of the figures
};

// One subject started on a list.
struct Launch {
    PROCESS_INFORMATION pi = {};
    LONGLONG before = 0; // just before CreateProcessA
    LONGLONG after = 0;  // just after it returned
    std::string record;
    std::string line;           // its command line
    std::string key;            // a part of it that no other process's has
    mutable DWORD unix_pid = 0; // under Wine, once found
};

// Starts `subject` on `list` in the set-up folder, with the stand-in running
// `run_ms`; ends the benchmark when it cannot.
Launch Start(Bench &bench, const Subject &subject, const std::string &list, DWORD run_ms);
// Waits up to `ms` for `process`, with `watch` closing each message box
// that appears meanwhile (else in one wait, as a caller would). False when
// it did not end in time: it is then stopped.
bool Wait(Bench &bench, HANDLE process, DWORD ms, bool watch = true);
// Counts a run of `subject` as failed, left out of the figures, and says why.
void Failed(Bench &bench, const char *subject, const char *why);
// Its CPU time so far, in ms, or kNone; under Wine only while it runs.
double CpuMs(const Launch &launch);
Memory PeakMemory(const Launch &launch);
harness::Record StandInRecord(const Launch &launch);
void Close(Launch &launch);

// A program that does nothing: CreateProcessA to its end, in ms.
double EmptyRun(const std::string &program);

} // namespace bench
