// The journal that leaves a real machine as the tests found it. The tests
// register their own application manager under the App Paths entry, plant
// files where an installation would put it, and may change a value of the
// machine's. An entry that the run finds there is the machine's, never
// written (manager.h): what needs it skips. The entry the run makes, each
// path it plants and each value it changes are journaled before anything
// touches them, and put back when the run ends, however it ends (a killed
// run is put right by the next). A run does not start while a suite window
// is open, or without an administrator's rights to write the entry.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace harness {

// Makes a folder, or a copy of the stand-in manager, at `path`, a place of
// the machine's own outside the work folder, for this run only. Never over
// anything that is there: false, and the reason in *why. Each folder made on
// the way, and the path itself, is journaled before it is made.
bool Plant(const std::string &path, bool folder, std::string *why);

// Removes what was planted, last first; a folder only once it is empty.
void RemovePlanted();

// Sets the value `name` under HKEY_LOCAL_MACHINE\`subkey`, journaled as it
// was the first time this run touches it. False without a guarded run.
bool SetMachineValue(const char *subkey, const char *name, DWORD type, const std::string &data);

// Puts every value that the run changed back as it was.
bool RestoreMachineValues();

// Whether the App Paths entry was there when the guarded run began (after
// putting back what a killed run left): it then belongs to the machine, and
// the harness never writes it.
bool AppPathsBelongToTheMachine();

// Runs `body` as a guarded run, with the journal in the build tree: not at
// all while a suite window is open (exit code 2, and the window named), and
// with the App Paths entry put back afterwards. Returns body's exit code.
int RunGuarded(const std::function<int()> &body);

} // namespace harness
