// Readings for the benchmark: the performance counter, CPU times, medians,
// the DLLs a program imports, and, under Wine, the Linux process that runs a
// Windows program (Wine's GetProcessTimes gives the caller's own times for
// any process; its peak memory comes from that Linux process too).
#pragma once

#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

namespace bench {

// "No figure": a measurement that could not be taken. Every other value,
// negative ones included, is shown as measured.
inline const double kNone = std::nan("");
inline bool Missing(double value) { return std::isnan(value); }

double Frequency();
LONGLONG Now();
double Ms(LONGLONG from, LONGLONG to);
// A counter value as ms on the same time line.
double CounterMs(LONGLONG counter);

// User and kernel time, in ms: of a process (kNone when it cannot be read),
// and of the calling thread.
double ProcessCpuMs(HANDLE process);
double ThreadCpuMs();

double Median(std::vector<double> values);

// The DLLs a PE file imports by its import table, in table order.
std::vector<std::string> ImportedDlls(const std::string &image);

// The Linux process whose command line holds `key`, or zero: the one that
// runs a Windows program under Wine shows the program's command line in its
// own, and Wine gives no other way to find it.
DWORD UnixPidRunning(const std::string &key);
// User and system time of a Linux process, in ms (counted in clock ticks of
// 10 ms), or kNone.
double LinuxCpuMs(DWORD unix_pid);
// "VmHWM" of a Linux process, in KB, or kNone.
double LinuxPeakResidentKb(DWORD unix_pid);

// Peak memory of a running program, both ways: the system's own figure, and
// under Wine the peak resident size of the Linux process that runs it.
struct Memory {
    double working_set_kb = kNone;
    double resident_kb = kNone;
};

} // namespace bench
