// Leaving a real machine as the tests found it. The tests register their own
// application manager under the App Paths entry and open windows with the
// suite windows' titles; on a machine with the real software that
// would overwrite its registration and minimize its window. So an entry that
// the run finds there is never written: the run leaves it alone and skips
// what needs it. The entry the run makes is written to a journal before
// anything touches it and put back when the run ends, however it ends (a run
// that was killed is put right by the next); and a run does not start while
// a window with one of the titles is open, or without an administrator's
// rights to write the entry.
#pragma once

#include <functional>
#include <string>

namespace harness {

// The App Paths entry as it stands: "absent", or "present" and one line per
// value (its name, type and data, in hex). The journal holds this text.
std::string DescribeAppPaths();

// Makes the entry what `description` says, writing nothing when it is that
// already. False when it could not.
bool RestoreAppPaths(const std::string &description);

// Whether the entry belongs to the machine: it was there when the guarded
// run began (and not left by a killed run). The harness then never writes it.
bool AppPathsBelongToTheMachine();

// Takes over the entry for one run: first puts back what a killed run's
// journal at `journal` holds, then journals the entry as it is, and puts it
// back on Ctrl-C. False, with the reason in *error, when any of that fails.
bool BeginGuardedRun(const std::string &journal, std::string *error);

// Puts the entry back from the journal and removes the journal.
bool EndGuardedRun(const std::string &journal);

// Makes a folder, or a copy of the stand-in manager, at `path`, a place of
// the machine's own outside the work folder (where an installation would put
// the application manager), for this run only. Never over anything that is
// there: false, and the reason in *why. The journal of planted paths records
// each folder made on the way and the path itself before it is made, so that
// RemovePlanted, the run's end, or the next run after a kill removes them.
bool Plant(const std::string &path, bool folder, std::string *why);

// Removes what was planted, last first; a folder only once it is empty.
void RemovePlanted();

// The title of an open top-level window that has one of the suite
// software's titles, or "" when there is none.
std::string OpenSuiteWindow();

// Runs `body` as a guarded run, with the journal in the build tree: not at
// all while a suite window is open (exit code 2, and the window named), and
// with the App Paths entry put back afterwards. Returns body's exit code.
int RunGuarded(const std::function<int()> &body);

} // namespace harness
