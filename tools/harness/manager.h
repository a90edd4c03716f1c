// The stand-in application manager: its App Paths registration, its copies,
// how it behaves, and the records it leaves of each run.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace harness {

// The App Paths entry of the application manager, in this process's
// registry view (the launcher's view, both being 32-bit programs).
constexpr char kAppPathsKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAPPMGR.EXE";
bool RegisterManager(const std::string &path);
bool RegisterManagerRaw(DWORD type, const void *data, DWORD size);
bool RegisterKeyWithoutValue();
bool UnregisterManager();
// The entry, made where it is missing, open for writing; null when it
// cannot be. Only for an entry that is not the machine's own.
HKEY CreateAppPathsKey();

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
