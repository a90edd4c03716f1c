// The launch sequence: find the application manager, run it bare or on the
// install list named by the command tail, and wait until it has ended; the
// exit codes that tell the caller how a run ended.
#pragma once

#include "platform/platform.h"

namespace launcher {

// Exit codes of a run.
constexpr int kExitDone = 0;             // every run that got as far as it should
constexpr int kExitNoCommand = 1;        // nothing launched: no install command could be made
constexpr int kExitNamesNotPassable = 2; // nothing launched: a name the code page cannot hold
constexpr int kExitNotStarted = 3;       // found, but Windows refused to start the manager
constexpr int kExitNobodySees = 4;       // nothing done: no user can see this run's desktop

// Runs the whole sequence once, on the platform's command line, and returns
// the process exit code.
int RunLaunchSequence(Platform &platform);

} // namespace launcher
