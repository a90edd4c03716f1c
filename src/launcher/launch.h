// The launch sequence: find the application manager, run it bare or on the
// install list named by the command tail, and wait until it has ended; the
// exit codes that tell the caller how a run ended.
#pragma once

#include "launcher/command_tail.h"
#include "launcher/path_buffer.h"
#include "launcher/suite_window.h"
#include "launcher/system_folders.h"
#include "platform/platform.h"

namespace launcher {

// Exit codes of a run.
constexpr int kExitDone = 0;             // every run that got as far as it should
constexpr int kExitNoCommand = 1;        // nothing launched: no install command could be made
constexpr int kExitNamesNotPassable = 2; // nothing launched: a name the code page cannot hold
constexpr int kExitNotStarted = 3;       // found, but Windows refused to start the manager
constexpr int kExitNobodySees = 4;       // nothing done: no user can see this run's desktop

// Everything a run settles before it touches a window, in the order it
// settles it; a plan that ends early (nobody sees the run, no manager, a
// reason to launch nothing) leaves the rest as it was.
struct Plan {
    KnownFolders known = 0;  // Windows' folders, as set from the system
    bool unseen = false;     // nobody can see the run: nothing more is settled
    bool found = false;      // the application manager, and where:
    PathBuffer manager_path; //   its path as found, the command line of a bare run
    PathBuffer module;       //   the program that is started
    CommandTail tail = {Outcome::kGo, ""};
    PathBuffer converted_tail;      // the tail, where it was cut from the Unicode line
    bool bare = false;              // an empty tail: the manager runs without a list
    Outcome outcome = Outcome::kGo; // or why nothing is launched
    PathBuffer command;             // the install command
    SuiteWindow suite;              // the suite window that makes way
    int exit_code = kExitDone;      // unless Windows refuses the start (kExitNotStarted)
};

// Settles the plan: Windows' folders set, whether anybody sees the run, the
// manager looked up, the tail cut, the command composed, the suite window
// found, in this order. It starts, shows and touches nothing.
void MakePlan(Platform &platform, Plan *plan);

// Carries the plan out: the box that tells why nothing is launched, or the
// suite window minimized, the manager started and waited for, the window
// shown again and the settling pause. Returns the exit code.
int CarryOut(Platform &platform, Plan *plan);

// Runs the whole sequence once, on the platform's command line, and returns
// the process exit code: the plan, carried out.
int RunLaunchSequence(Platform &platform);

} // namespace launcher
