// The wait for the application manager: the launcher sleeps a fixed interval
// and asks whether the child still runs, until it no longer does.
#pragma once

#include "platform/platform.h"

namespace launcher {

// The child is asked for its status at this interval, the first time after
// one full interval.
constexpr uint32_t kPollIntervalMs = 1500;

// The status GetExitCodeProcess reports while a process runs (STILL_ACTIVE).
constexpr uint32_t kStillActive = 259;

// Polls the child until it no longer runs, then closes its process handle.
void WaitForChild(Platform &platform, const ChildProcess &child);

} // namespace launcher
