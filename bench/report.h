// What the runs come to: each subject's figures (medians), and the table that
// sets them side by side.
#pragma once

#include <string>
#include <vector>

#include "runs.h"

namespace bench {

struct Figures {
    double startup_ms = kNone;       // CreateProcessA called -> stand-in's first instruction
    double release_ms = kNone;       // the instant it must notice the end -> its exit
    double pause_release_ms = kNone; // the end of the settling pause -> its exit
    double cpu_ms = kNone;           // CPU while waiting: 60 s run minus 2 s run
    double wait_cpu_ms = kNone;      // CPU within a run, over 56 s of the wait
    double working_set_kb = kNone;
    double resident_kb = kNone;
};

// `child_after_return_ms`: the median time a direct start shows between
// CreateProcessA's return and the stand-in's first instruction.
Figures Summarize(const Subject &subject, const Samples &samples, double child_after_return_ms);

// The table, a row per figure and a column per subject (launcher, peer,
// direct start), and the notes below it. `empty_ms`: a program that does
// nothing with each subject's imports, CreateProcessA to its end.
std::string Table(int runs, const std::vector<Subject> &subjects,
                  const std::vector<Figures> &figures, const double (&empty_ms)[3],
                  double child_after_return_ms);

} // namespace bench
