// The benchmark's subjects and its three kinds of runs: short runs with a 2 s
// stand-in, one subject at a time; long runs with a 60 s stand-in, all at
// once, for the CPU time of waiting; and the launcher's settling pause.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "launches.h"
#include "readings.h"

namespace bench {

// What one run showed.
struct Sample {
    LONGLONG before = 0; // CreateProcessA called
    LONGLONG after = 0;  // CreateProcessA returned
    LONGLONG exited = 0; // its end seen
    harness::Record stand_in;
    double cpu_ms = kNone;
    Memory memory;
    bool failed = false; // a box appeared, or it overran: left out
};

struct Samples {
    std::vector<Sample> short_runs;  // the stand-in runs 2 s
    std::vector<double> long_cpu_ms; // CPU of runs with a 60 s stand-in
    std::vector<double> wait_cpu_ms; // CPU within those runs, over 56 s of the wait
    std::vector<Sample> pause_runs;  // the launcher on a list with a minimum
};

Sample ShortRun(Bench &bench, const Subject &subject);
void LongRuns(Bench &bench, const std::vector<Subject> &subjects, std::vector<Samples> *samples);
std::vector<Sample> PauseRuns(Bench &bench, const Subject &launcher);

} // namespace bench
