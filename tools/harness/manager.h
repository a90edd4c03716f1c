// The stand-in application manager: its App Paths registration (every touch
// of the entry in the harness), its copies, how it behaves, and the records
// it leaves of each run. An entry that is the machine's own is never written.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace harness {

// The entry as it stands: "absent", or "present" and one line per value (its
// name, type and data, in hex). The journal holds this text.
std::string DescribeAppPaths();

// Makes the entry what `description` says, writing nothing when it is that
// already. False when it could not. Only the journal calls it.
bool RestoreAppPaths(const std::string &description);

// The entry as a guarded run found it when it began (after putting back what
// a killed run left), as DescribeAppPaths tells it: one that is present then
// belongs to the machine, and every write below fails, writing nothing.
void FoundAppPaths(const std::string &description);
bool AppPathsBelongToTheMachine();

// The stand-in's registration: its path as the default value; raw bytes of
// any type as the default value, or as the value `name`; the key without a
// default value; no key at all.
bool RegisterManager(const std::string &path);
bool RegisterManagerRaw(DWORD type, const void *data, DWORD size, const char *name = nullptr);
bool RegisterKeyWithoutValue();
bool UnregisterManager();

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
