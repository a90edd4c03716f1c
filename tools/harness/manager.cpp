// The stand-in application manager as the tests place, configure and read
// it (its registration is app_paths').
#include "manager.h"

#include "files.h"

namespace harness {

bool PlaceStandIn(const std::string &path) {
    MakeDirs(path.substr(0, path.find_last_of('\\')));
    return CopyFileA((BinDir() + "\\stand_in_manager.exe").c_str(), path.c_str(), FALSE) != 0;
}

void ConfigureStandIn(const std::string &record, DWORD run_ms, DWORD exit_code) {
    DeleteFileA(record.c_str());
    SetEnvironmentVariableA("STAND_IN_RECORD", record.c_str());
    SetEnvironmentVariableA("STAND_IN_RUN_MS", std::to_string(run_ms).c_str());
    SetEnvironmentVariableA("STAND_IN_EXIT_CODE", std::to_string(exit_code).c_str());
}

std::vector<Record> ReadRecords(const std::string &path) {
    std::vector<Record> records;
    std::string text;
    if (!ReadWholeFile(path, &text)) return records;

    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string::npos) eol = text.size();
        const std::string line = text.substr(pos, eol - pos);
        pos = eol + 1;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string name = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (name == "module") {
            records.push_back({});
            records.back().module = value;
        } else if (records.empty()) {
            continue;
        } else if (name == "command") {
            records.back().command = value;
        } else if (name == "directory") {
            records.back().directory = value;
        } else if (name == "start") {
            records.back().start = std::stoul(value);
        } else if (name == "start_qpc") {
            records.back().start_qpc = std::stoll(value);
        } else if (name == "end_qpc") {
            records.back().end_qpc = std::stoll(value);
        } else if (name == "end") {
            records.back().end = std::stoul(value);
            records.back().ended = true;
        }
    }
    return records;
}

} // namespace harness
