// Waiting for the application manager to end, by asking at a fixed interval
// whether it still runs.
#include "launcher/wait_for_child.h"

namespace launcher {

// The wait sleeps and asks rather than blocking on the process handle: every
// run keeps the suite window minimized for at least one interval, and
// the launcher ends within one interval of the child's end, the timing its
// callers have always seen and may rely on. With no window of its own, the
// launcher has no messages to pump meanwhile.
void WaitForChild(Platform &platform, const ChildProcess &child) {
    for (;;) {
        platform.Sleep(kPollIntervalMs);
        uint32_t status = 0;
        // A child whose status cannot be asked for at all cannot be waited
        // for either: the wait ends rather than going on for ever.
        if (!platform.QueryExitStatus(child.process, &status)) break;
        if (status != kStillActive) break;
        // A child may end with 259 as its own exit code; only the process
        // object can tell that from one still running.
        if (platform.HasEnded(child.process)) break;
    }
    platform.CloseHandle(child.process);
}

} // namespace launcher
