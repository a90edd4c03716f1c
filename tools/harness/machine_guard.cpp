// The journals of the App Paths entry that a run makes, of the planted paths
// and of the machine's values that a run changes, which keep a real machine
// as the tests found it.
#include "machine_guard.h"

#include <cstdio>
#include <sstream>
#include <utility>

#include "harness.h"

namespace harness {
namespace {

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

// A value of the machine as a journal line keeps it: "absent", or its type
// and its data in hex.
std::string DescribeValue(const std::string &subkey, const std::string &name) {
    char data[4096];
    DWORD size = sizeof data, type = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, subkey.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                     &type, data, &size) != ERROR_SUCCESS)
        return "absent";
    return std::to_string(type) + " " + Hex(std::string(data, size));
}

bool RestoreValue(const std::string &subkey, const std::string &name, const std::string &type,
                  const std::string &hex) {
    std::string data;
    if (type == "absent") {
        const LONG status = RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, subkey.c_str(), name.c_str());
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    return Unhex(hex, &data) &&
           RegSetKeyValueA(HKEY_LOCAL_MACHINE, subkey.c_str(), name.c_str(), std::stoul(type),
                           data.data(), static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

// The one guarded run: its journals, beside `journal`, and whether the App
// Paths entry was the machine's when it began.
class GuardedRun {
public:
    explicit GuardedRun(std::string journal)
        : journal_(std::move(journal)), planted_(journal_ + ".planted"),
          values_(journal_ + ".values") {}

    // Puts back what a killed run's journals hold, then takes the App Paths
    // entry: the machine's where there is one, else the run's own, which the
    // journal then marks for removal. False, with the reason in *error, when
    // any of that fails.
    bool Begin(std::string *error) {
        RemovePlanted();
        if (!RestoreValues()) {
            *error = "could not restore the values journaled in " + values_;
            return false;
        }
        if (Exists(journal_)) {
            if (!RemoveAppPathsEntry()) {
                *error = "could not remove the App Paths entry that " + journal_ + " marks";
                return false;
            }
            std::printf("restored the App Paths entry that an ended run left in %s\n",
                        journal_.c_str());
        }
        machines_entry_ = DescribeAppPaths() != "absent\n";
        if (machines_entry_ || ReplaceWholeFile(journal_, "the tests' own App Paths entry\n"))
            return true;
        *error = "could not write the journal " + journal_;
        return false;
    }

    // Removes what was planted, puts the values back, and the run's own
    // entry and the journals away.
    bool End() {
        RemovePlanted();
        return RestoreValues() &&
               (machines_entry_ || (RemoveAppPathsEntry() && DeleteFileA(journal_.c_str()) != 0));
    }

    bool Plant(const std::string &path, bool folder, std::string *why) {
        if (Exists(path)) {
            *why = path + " is there already, and the run never writes what it did not make";
            return false;
        }
        std::string planted;
        ReadWholeFile(planted_, &planted);
        // Each missing folder on the way, outermost first, then the path.
        for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
            if (!Exists(path.substr(0, at))) planted += path.substr(0, at) + "\n";
        planted += path + "\n";
        if (!ReplaceWholeFile(planted_, planted)) {
            *why = "could not write the journal " + planted_;
            return false;
        }
        const bool ok = folder ? MakeDirs(path) : PlaceStandIn(path);
        if (!ok) *why = "could not make " + path;
        return ok;
    }

    void RemovePlanted() {
        const std::vector<std::string> paths = ReadLines(planted_);
        for (auto path = paths.rbegin(); path != paths.rend(); ++path)
            if (!DeleteFileA(path->c_str())) RemoveDirectoryA(path->c_str());
        DeleteFileA(planted_.c_str());
    }

    bool SetValue(const char *subkey, const char *name, DWORD type, const std::string &data) {
        std::string journal;
        ReadWholeFile(values_, &journal);
        const std::string which = Hex(subkey) + " " + Hex(name) + " ";
        if (journal.find(which) == std::string::npos &&
            !ReplaceWholeFile(values_, journal + which + DescribeValue(subkey, name) + "\n"))
            return false;
        return RegSetKeyValueA(HKEY_LOCAL_MACHINE, subkey, name, type, data.data(),
                               static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
    }

    bool RestoreValues() {
        bool ok = true;
        for (const std::string &line : ReadLines(values_)) {
            std::istringstream fields(line);
            std::string subkey_hex, name_hex, type, hex, subkey, name;
            fields >> subkey_hex >> name_hex >> type >> hex;
            ok = Unhex(subkey_hex, &subkey) && Unhex(name_hex, &name) &&
                 RestoreValue(subkey, name, type, hex) && ok;
        }
        return ok && (DeleteFileA(values_.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND);
    }

    bool MachinesEntry() const { return machines_entry_; }

private:
    std::string journal_;
    std::string planted_;
    std::string values_;
    bool machines_entry_ = false;
};

// The guarded run under way: the one that Ctrl-C must put right, and whose
// journals the tests plant and change values through.
GuardedRun *running = nullptr;

BOOL WINAPI OnInterrupt(DWORD /*event*/) {
    if (running != nullptr) running->End();
    ExitProcess(130);
}

} // namespace

bool Plant(const std::string &path, bool folder, std::string *why) {
    if (running != nullptr) return running->Plant(path, folder, why);
    *why = "no guarded run is under way to journal " + path;
    return false;
}

void RemovePlanted() {
    if (running != nullptr) running->RemovePlanted();
}

bool SetMachineValue(const char *subkey, const char *name, DWORD type, const std::string &data) {
    return running != nullptr && running->SetValue(subkey, name, type, data);
}

bool RestoreMachineValues() { return running == nullptr || running->RestoreValues(); }

bool AppPathsBelongToTheMachine() { return running != nullptr && running->MachinesEntry(); }

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
    GuardedRun run(journal);
    std::string error;
    if (!run.Begin(&error)) {
        std::printf("not started: %s\n", error.c_str());
        return 2;
    }
    running = &run;
    SetConsoleCtrlHandler(OnInterrupt, TRUE);
    const int result = body();
    const bool put_back = run.End();
    running = nullptr;
    if (!put_back) {
        std::printf("could not leave the machine as it was; the next run puts right what the "
                    "journals beside %s hold\n",
                    journal.c_str());
        return 1;
    }
    return result;
}

} // namespace harness
