// A stand-in for the application manager: records how it was started, runs
// for a set time and ends with a set exit code. It is told what to do through
// its environment, which it inherits from the launcher's caller:
//   STAND_IN_RECORD     file to append the record to (nothing recorded without it)
//   STAND_IN_RUN_MS     how long to run, 0 by default
//   STAND_IN_EXIT_CODE  the exit code, 0 by default
// Record lines: "module=", "command=", "directory=" (its current directory),
// "start=" (tick), "start_qpc=", then "end=" (tick) and "end_qpc="
// (QueryPerformanceCounter values, for timings finer than a tick).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

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
    std::snprintf(text, sizeof text,
                  "module=%s\ncommand=%s\ndirectory=%s\nstart=%lu\nstart_qpc=%lld\n", module,
                  GetCommandLineA(), directory, static_cast<unsigned long>(start), start_qpc);
    Append(record, text);

    Sleep(EnvNumber("STAND_IN_RUN_MS"));

    const DWORD end = GetTickCount();
    std::snprintf(text, sizeof text, "end=%lu\nend_qpc=%lld\n", static_cast<unsigned long>(end),
                  Counter());
    Append(record, text);
    return static_cast<int>(EnvNumber("STAND_IN_EXIT_CODE"));
}
