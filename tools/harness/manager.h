// The stand-in application manager: its copies, how it behaves, and the
// records it leaves of each run. Its registration: app_paths.h.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace harness {

// Copies the stand-in application manager to `path`, folders and all.
bool PlaceStandIn(const std::string &path);

// How the stand-in behaves, passed down through the environment.
void ConfigureStandIn(const std::string &record, DWORD run_ms, DWORD exit_code = 0);

struct Record {
    std::string module;
    std::string command;
    std::string directory; // its current directory
    DWORD start = 0;
    DWORD end = 0;
    LONGLONG start_qpc = 0; // QueryPerformanceCounter at its first instruction
    LONGLONG end_qpc = 0;   // and as it ends
    bool ended = false;
};
std::vector<Record> ReadRecords(const std::string &path);

} // namespace harness
