// The journal that leaves a real machine as the tests found it. The tests
// register their own application manager under the App Paths entry and plant
// files where an installation would put the manager; on a machine with the
// real software that would overwrite its registration. So an entry that the
// run finds there is never written (manager.h): the run leaves it alone and
// skips what needs it. The entry the run makes, and each path it plants, is
// written to a journal before anything touches it, and put back when the run
// ends, however it ends (a run that was killed is put right by the next). A
// run does not start while a suite window is open, or without an
// administrator's rights to write the entry.
#pragma once

#include <functional>
#include <string>

namespace harness {

// The journal of one guarded run: the App Paths entry as it was, in the file
// `journal`, and the paths planted, in the file beside it.
class MachineGuard {
public:
    explicit MachineGuard(std::string journal);

    // Takes over the entry: first puts back what a killed run's journal
    // holds and removes what it planted, then journals the entry as it is,
    // and puts it back on Ctrl-C. False, with the reason in *error, when any
    // of that fails.
    bool Begin(std::string *error);

    // Removes what was planted, and puts the entry back from the journal,
    // which it then removes.
    bool End();

    // Makes a folder, or a copy of the stand-in manager, at `path`, a place
    // of the machine's own outside the work folder, for this run only. Never
    // over anything that is there: false, and the reason in *why. Each folder
    // made on the way, and the path itself, is journaled before it is made.
    bool Plant(const std::string &path, bool folder, std::string *why);

    // Removes what was planted, last first; a folder only once it is empty.
    void RemovePlanted();

private:
    std::string journal_;
    std::string planted_; // the journal of planted paths
};

// Plant and RemovePlanted of the guarded run under way; without one, Plant
// fails.
bool Plant(const std::string &path, bool folder, std::string *why);
void RemovePlanted();

// Runs `body` as a guarded run, with the journal in the build tree: not at
// all while a suite window is open (exit code 2, and the window named), and
// with the App Paths entry put back afterwards. Returns body's exit code.
int RunGuarded(const std::function<int()> &body);

} // namespace harness
