// The stand-in application manager as the tests register, place, configure
// and read it; the App Paths entry described and removed.
#include "manager.h"

#include <vector>

#include "files.h"
#include "launcher/lookup.h"
#include "machine_guard.h"

namespace harness {
namespace {

using launcher::kAppPathsKey;

// The entry, made where it is missing, open for writing; null when it
// cannot be.
HKEY CreateAppPathsKey() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

// The entry is made or changed only when it is not the machine's own.
HKEY CreateManagerKey() { return AppPathsBelongToTheMachine() ? nullptr : CreateAppPathsKey(); }

} // namespace

std::string DescribeAppPaths() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "absent\n";
    std::string text = "present\n";
    DWORD longest_name = 0;
    DWORD longest_data = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     &longest_name, &longest_data, nullptr, nullptr);
    std::vector<char> name(longest_name + 1);
    std::vector<BYTE> data(longest_data + 1);
    for (DWORD index = 0;; ++index) {
        DWORD name_size = static_cast<DWORD>(name.size());
        DWORD data_size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueA(key, index, name.data(), &name_size, nullptr, &type, data.data(),
                          &data_size) != ERROR_SUCCESS)
            break;
        text += "value " + Hex(std::string(name.data(), name_size)) + " " + std::to_string(type) +
                " " + Hex(std::string(reinterpret_cast<char *>(data.data()), data_size)) + "\n";
    }
    RegCloseKey(key);
    return text;
}

bool RemoveAppPathsEntry() {
    const LONG status = RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppPathsKey);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool RegisterManagerRaw(DWORD type, const void *data, DWORD size, const char *name) {
    HKEY key = CreateManagerKey();
    if (key == nullptr) return false;
    const bool ok =
        RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool RegisterManager(const std::string &path) {
    return RegisterManagerRaw(REG_SZ, path.c_str(), static_cast<DWORD>(path.size() + 1));
}

bool RegisterKeyWithoutValue() {
    UnregisterManager();
    HKEY key = CreateManagerKey();
    if (key == nullptr) return false;
    RegCloseKey(key);
    return true;
}

bool UnregisterManager() { return !AppPathsBelongToTheMachine() && RemoveAppPathsEntry(); }

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
    for (const std::string &line : ReadLines(path)) {
        const size_t eq = line.find('=');
        int field = 0;
        while (field < kRecordFields &&
               (eq == std::string::npos || line.compare(0, eq, kRecordKeys[field]) != 0))
            ++field;
        if (field == kModule) records.emplace_back();
        if (records.empty() || field == kRecordFields) continue;
        const std::string value = line.substr(eq + 1);
        Record &record = records.back();
        if (field == kModule) record.module = value;
        if (field == kCommand) record.command = value;
        if (field == kDirectory) record.directory = value;
        if (field == kStart) record.start = std::stoul(value);
        if (field == kStartQpc) record.start_qpc = std::stoll(value);
        if (field == kEnd) record.end = std::stoul(value);
        if (field == kEndQpc) record.end_qpc = std::stoll(value);
        record.ended |= field == kEnd;
    }
    return records;
}

} // namespace harness
