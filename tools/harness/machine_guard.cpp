// The journal of the App Paths entry and of the planted paths, which keeps
// a real machine as the tests found it.
#include "machine_guard.h"

#include <windows.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "harness.h"

namespace harness {
namespace {

// The journal's file is replaced whole, never left half written.
bool WriteJournal(const std::string &path, const std::string &text) {
    const std::string fresh = path + ".new";
    return WriteWholeFile(fresh, text) &&
           MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

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

// The guarded run under way, for Ctrl-C and for the planting tests.
MachineGuard *running = nullptr;

BOOL WINAPI OnInterrupt(DWORD /*event*/) {
    if (running != nullptr) running->End();
    ExitProcess(130);
}

} // namespace

MachineGuard::MachineGuard(std::string journal)
    : journal_(std::move(journal)), planted_(journal_ + ".planted") {}

bool MachineGuard::Begin(std::string *error) {
    RemovePlanted(); // what a killed run left
    std::string left;
    if (ReadWholeFile(journal_, &left)) {
        if (!RestoreAppPaths(left)) {
            *error = "could not restore the App Paths entry from " + journal_;
            return false;
        }
        std::printf("restored the App Paths entry that an ended run left in %s\n",
                    journal_.c_str());
    }
    const std::string entry = DescribeAppPaths();
    FoundAppPaths(entry);
    if (!WriteJournal(journal_, entry)) {
        *error = "could not write the journal " + journal_;
        return false;
    }
    running = this;
    SetConsoleCtrlHandler(OnInterrupt, TRUE);
    return true;
}

bool MachineGuard::End() {
    RemovePlanted();
    std::string saved;
    if (!ReadWholeFile(journal_, &saved)) return false;
    if (!RestoreAppPaths(saved)) return false;
    return DeleteFileA(journal_.c_str()) != 0;
}

bool MachineGuard::Plant(const std::string &path, bool folder, std::string *why) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        *why = path + " is there already, and the run never writes what it did not make";
        return false;
    }
    std::string planted;
    ReadWholeFile(planted_, &planted);
    // Each missing folder on the way, outermost first, then the path itself.
    std::vector<std::string> made;
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        if (GetFileAttributesA(path.substr(0, at).c_str()) == INVALID_FILE_ATTRIBUTES)
            made.push_back(path.substr(0, at));
    made.push_back(path);
    for (const std::string &part : made) planted += part + "\n";
    if (!WriteJournal(planted_, planted)) {
        *why = "could not write the journal " + planted_;
        return false;
    }
    const bool ok = folder ? MakeDirs(path) : PlaceStandIn(path);
    if (!ok) *why = "could not make " + path;
    return ok;
}

void MachineGuard::RemovePlanted() {
    std::string planted;
    if (!ReadWholeFile(planted_, &planted)) return;
    std::vector<std::string> paths;
    for (size_t from = 0, eol; (eol = planted.find('\n', from)) != std::string::npos;
         from = eol + 1)
        paths.push_back(planted.substr(from, eol - from));
    for (auto path = paths.rbegin(); path != paths.rend(); ++path)
        if (!DeleteFileA(path->c_str())) RemoveDirectoryA(path->c_str());
    DeleteFileA(planted_.c_str());
}

bool Plant(const std::string &path, bool folder, std::string *why) {
    if (running != nullptr) return running->Plant(path, folder, why);
    *why = "no guarded run is under way to journal " + path;
    return false;
}

void RemovePlanted() {
    if (running != nullptr) running->RemovePlanted();
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
    MachineGuard guard(journal);
    std::string error;
    if (!guard.Begin(&error)) {
        std::printf("not started: %s\n", error.c_str());
        return 2;
    }
    const int result = body();
    const bool put_back = guard.End();
    running = nullptr;
    if (!put_back) {
        std::printf("could not put the App Paths entry back; it is kept in %s\n", journal.c_str());
        return 1;
    }
    return result;
}

} // namespace harness
