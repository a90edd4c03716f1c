// The journal of the App Paths entry, the planted paths, and the desktop
// check that keep a real machine as the tests found it.
#include "machine_guard.h"

#include <windows.h>

#include <cstdio>
#include <sstream>
#include <vector>

#include "harness.h"

namespace harness {
namespace {

constexpr char kAbsent[] = "absent";
constexpr char kPresent[] = "present";

std::string Hex(const std::string &bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out.empty() ? "-" : out;
}

bool Unhex(const std::string &hex, std::string *bytes) {
    bytes->clear();
    if (hex == "-") return true;
    if (hex.size() % 2 != 0) return false;
    for (size_t i = 0; i < hex.size(); i += 2) {
        char *end = nullptr;
        const std::string pair = hex.substr(i, 2);
        const long b = std::strtol(pair.c_str(), &end, 16);
        if (*end != '\0') return false;
        *bytes += static_cast<char>(b);
    }
    return true;
}

// The journal's file is replaced whole, never left half written.
bool WriteJournal(const std::string &path, const std::string &text) {
    const std::string fresh = path + ".new";
    return WriteWholeFile(fresh, text) &&
           MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::string journal_on_interrupt;
std::string planted_journal; // beside the App Paths journal
bool entry_of_the_machine = false;

// Whether this process may write under HKEY_LOCAL_MACHINE: opening the key
// above App Paths for making keys in it needs an administrator, and makes
// nothing.
bool MayWriteMachineKeys() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_CREATE_SUB_KEY | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

BOOL WINAPI OnInterrupt(DWORD /*event*/) {
    EndGuardedRun(journal_on_interrupt);
    ExitProcess(130);
}

} // namespace

std::string DescribeAppPaths() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::string(kAbsent) + "\n";
    std::string text = std::string(kPresent) + "\n";
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

bool RestoreAppPaths(const std::string &description) {
    std::istringstream lines(description);
    std::string state;
    if (!(lines >> state) || (state != kAbsent && state != kPresent)) return false;
    if (DescribeAppPaths() == description) return true;
    if (state == kAbsent) {
        const LONG deleted = RegDeleteKeyA(HKEY_LOCAL_MACHINE, kAppPathsKey);
        return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
    }
    // The key stays (with any subkeys); its values become the journal's.
    HKEY key = CreateAppPathsKey();
    if (key == nullptr) return false;
    bool ok = true;
    for (;;) {
        char name[16384];
        DWORD name_size = sizeof name;
        if (RegEnumValueA(key, 0, name, &name_size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        if (RegDeleteValueA(key, name) != ERROR_SUCCESS) {
            ok = false;
            break;
        }
    }
    std::string word, hex_name, hex_data;
    DWORD type = 0;
    while (ok && lines >> word >> hex_name >> type >> hex_data) {
        std::string name, data;
        ok = word == "value" && Unhex(hex_name, &name) && Unhex(hex_data, &data) &&
             RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE *>(data.data()),
                            static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return ok;
}

bool BeginGuardedRun(const std::string &journal, std::string *error) {
    planted_journal = journal + ".planted";
    RemovePlanted(); // what a killed run left
    std::string left;
    if (ReadWholeFile(journal, &left)) {
        if (!RestoreAppPaths(left)) {
            *error = "could not restore the App Paths entry from " + journal;
            return false;
        }
        std::printf("restored the App Paths entry that an ended run left in %s\n", journal.c_str());
    }
    const std::string entry = DescribeAppPaths();
    entry_of_the_machine = entry != std::string(kAbsent) + "\n";
    if (!WriteJournal(journal, entry)) {
        *error = "could not write the journal " + journal;
        return false;
    }
    journal_on_interrupt = journal;
    SetConsoleCtrlHandler(OnInterrupt, TRUE);
    return true;
}

bool EndGuardedRun(const std::string &journal) {
    RemovePlanted();
    std::string saved;
    if (!ReadWholeFile(journal, &saved)) return false;
    if (!RestoreAppPaths(saved)) return false;
    return DeleteFileA(journal.c_str()) != 0;
}

bool AppPathsBelongToTheMachine() { return entry_of_the_machine; }

bool Plant(const std::string &path, bool folder, std::string *why) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        *why = path + " is there already, and the run never writes what it did not make";
        return false;
    }
    std::string planted;
    ReadWholeFile(planted_journal, &planted);
    // Each missing folder on the way, outermost first, then the path itself.
    std::vector<std::string> made;
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        if (GetFileAttributesA(path.substr(0, at).c_str()) == INVALID_FILE_ATTRIBUTES)
            made.push_back(path.substr(0, at));
    made.push_back(path);
    for (const std::string &part : made) planted += part + "\n";
    if (!WriteJournal(planted_journal, planted)) {
        *why = "could not write the journal " + planted_journal;
        return false;
    }
    const bool ok = folder ? MakeDirs(path) : PlaceStandIn(path);
    if (!ok) *why = "could not make " + path;
    return ok;
}

void RemovePlanted() {
    std::string planted;
    if (planted_journal.empty() || !ReadWholeFile(planted_journal, &planted)) return;
    std::vector<std::string> paths;
    for (size_t from = 0, eol; (eol = planted.find('\n', from)) != std::string::npos;
         from = eol + 1)
        paths.push_back(planted.substr(from, eol - from));
    for (auto path = paths.rbegin(); path != paths.rend(); ++path)
        if (!DeleteFileA(path->c_str())) RemoveDirectoryA(path->c_str());
    DeleteFileA(planted_journal.c_str());
}

std::string OpenSuiteWindow() {
    for (const char *title :
         {"Tarnivo Site Suite", "Quellis Plotter", "Brovane Stakeout", "Selkirra Kit"})
        if (FindWindowA(nullptr, title) != nullptr) return title;
    return "";
}

int RunGuarded(const std::function<int()> &body) {
    const std::string window = OpenSuiteWindow();
    if (!window.empty()) {
        std::printf("not started: a window titled \"%s\" is open, and this run would minimize "
                    "it; close it and start again\n",
                    window.c_str());
        return 2;
    }
    if (!MayWriteMachineKeys()) {
        std::printf("not started: the tests write under HKEY_LOCAL_MACHINE; run them as an "
                    "administrator\n");
        return 2;
    }
    const std::string journal = BinDir() + "\\..\\app-paths-journal.txt";
    std::string error;
    if (!BeginGuardedRun(journal, &error)) {
        std::printf("not started: %s\n", error.c_str());
        return 2;
    }
    const int result = body();
    if (!EndGuardedRun(journal)) {
        std::printf("could not put the App Paths entry back; it is kept in %s\n", journal.c_str());
        return 1;
    }
    return result;
}

} // namespace harness
