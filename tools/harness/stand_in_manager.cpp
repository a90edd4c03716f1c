// A stand-in for the application manager: records how it was started
// (manager.h), runs for a set time and ends with a set exit code. It
// is told what to do through its environment, which it inherits from the
// launcher's caller:
//   STAND_IN_RECORD     file to append the record to (nothing recorded without it)
//   STAND_IN_RUN_MS     how long to run, 0 by default
//   STAND_IN_EXIT_CODE  the exit code, 0 by default
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "manager.h"

namespace {

DWORD EnvNumber(const char *name) {
    char value[32] = {};
    if (GetEnvironmentVariableA(name, value, sizeof value) == 0) return 0;
    return std::strtoul(value, nullptr, 10);
}

void Append(const char *path, const char *line) {
    FILE *f = std::fopen(path, "ab");
    if (f == nullptr) return;
    std::fputs(line, f);
    std::fclose(f);
}

LONGLONG Counter() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

} // namespace

int main() {
    const LONGLONG start_qpc = Counter();
    const DWORD start = GetTickCount();
    char record[MAX_PATH] = {};
    if (GetEnvironmentVariableA("STAND_IN_RECORD", record, sizeof record) == 0) return 0;

    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    static char text[70000];
    using namespace harness; // NOLINT(google-build-using-namespace): the record's keys
    std::snprintf(text, sizeof text, "%s=%s\n%s=%s\n%s=%s\n%s=%lu\n%s=%lld\n", kRecordKeys[kModule],
                  module, kRecordKeys[kCommand], GetCommandLineA(), kRecordKeys[kDirectory],
                  directory, kRecordKeys[kStart], static_cast<unsigned long>(start),
                  kRecordKeys[kStartQpc], start_qpc);
    Append(record, text);

    Sleep(EnvNumber("STAND_IN_RUN_MS"));

    const DWORD end = GetTickCount();
    std::snprintf(text, sizeof text, "%s=%lu\n%s=%lld\n", kRecordKeys[kEnd],
                  static_cast<unsigned long>(end), kRecordKeys[kEndQpc], Counter());
    Append(record, text);
    return static_cast<int>(EnvNumber("STAND_IN_EXIT_CODE"));
}
