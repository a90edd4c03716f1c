// The settling pause: for three known install lists, and only when the
// primary suite's window was open, the launcher stays until a minimum time
// has passed since the launch.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace launcher {

struct MinimumDuration {
    const char *list;    // the command tail, compared ignoring ASCII case
    uint32_t minimum_ms; // from the launch tick
};

constexpr MinimumDuration kMinimumDurations[] = {
    {"BasePackCAB.ini", 80000},
    {"PlotterCAB.ini", 60000},
    {"SiteWorkCAB.ini", 60000},
};

// Whole-string equality with 'A'..'Z' folded to 'a'..'z' and every other byte
// compared as it is, whatever the user's locale.
bool SameNameIgnoringAsciiCase(const char *a, const char *b);

// The minimum time from the launch that a run on the list `tail` holds to,
// with the primary suite window open; 0 for a list of no minimum.
uint32_t MinimumFor(const char *tail);

// Holds the launcher until the list's minimum time since `launch_tick` has
// passed; returns at once when the primary window was not found or the list
// has no minimum.
void TakeSettlingPause(Platform &platform, const char *tail, uint32_t launch_tick,
                       bool primary_window_found);

} // namespace launcher
