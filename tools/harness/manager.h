// The stand-in application manager: its App Paths registration (every touch
// of the entry in the harness), its copies, how it behaves, and the records
// it leaves of each run. An entry that is the machine's own is never written.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace harness {

// The entry as it stands: "absent", or "present" and one line per value (its
// name, type and data, in hex).
std::string DescribeAppPaths();

// Removes the whole entry, whoever made it: the journal, for an entry that
// a run made, and UnregisterManager, where the entry is not the machine's.
bool RemoveAppPathsEntry();

// The stand-in's registration: its path as the default value; raw bytes of
// any type as the default value, or as the value `name`; the key without a
// default value; no key at all. Each fails, writing nothing, where the entry
// belongs to the machine (machine_guard.h).
bool RegisterManager(const std::string &path);
bool RegisterManagerRaw(DWORD type, const void *data, DWORD size, const char *name = nullptr);
bool RegisterKeyWithoutValue();
bool UnregisterManager();

// Copies the stand-in application manager to `path`, folders and all.
bool PlaceStandIn(const std::string &path);

// How the stand-in behaves, passed down through the environment.
void ConfigureStandIn(const std::string &record, DWORD run_ms, DWORD exit_code = 0);

// The record that the stand-in leaves of each run, in a file it appends to:
// a line "key=value" for each field, the first five as it starts, the last
// two as it ends. It writes them, and ReadRecords reads them, by these keys.
enum RecordField { kModule, kCommand, kDirectory, kStart, kStartQpc, kEnd, kEndQpc, kRecordFields };
constexpr const char *kRecordKeys[kRecordFields] = {"module",    "command", "directory", "start",
                                                    "start_qpc", "end",     "end_qpc"};

// The records of the stand-in's runs, in order: its path, command line and
// current directory, the tick counts and QueryPerformanceCounter values as
// it started and ended.
struct Record {
    std::string module;
    std::string command;
    std::string directory;
    DWORD start = 0;
    DWORD end = 0;
    LONGLONG start_qpc = 0;
    LONGLONG end_qpc = 0;
    bool ended = false;
};
std::vector<Record> ReadRecords(const std::string &path);

} // namespace harness
