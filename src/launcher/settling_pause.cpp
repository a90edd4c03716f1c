// The settling pause: which lists hold the launcher on, and the sleep until
// their minimum time has passed since the launch.
#include "launcher/settling_pause.h"

namespace launcher {
namespace {

char FoldAsciiCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// What is left of `minimum_ms` after `elapsed_ms`; 0 once it has passed, for
// every elapsed time, however long.
uint32_t RemainingPause(uint32_t minimum_ms, uint32_t elapsed_ms) {
    // Compared unsigned: a difference taken as a signed 32-bit number would
    // turn an elapsed time past 2^31 ms into weeks of sleep.
    return elapsed_ms >= minimum_ms ? 0 : minimum_ms - elapsed_ms;
}

} // namespace

bool SameNameIgnoringAsciiCase(const char *a, const char *b) {
    for (; *a != '\0' || *b != '\0'; ++a, ++b)
        if (FoldAsciiCase(*a) != FoldAsciiCase(*b)) return false;
    return true;
}

uint32_t MinimumFor(const char *tail) {
    const MinimumDuration *row = kMinimumDurations;
    const MinimumDuration *const end = row + sizeof kMinimumDurations / sizeof *row;
    while (row != end && !SameNameIgnoringAsciiCase(tail, row->list)) ++row;
    return row != end ? row->minimum_ms : 0;
}

void TakeSettlingPause(Platform &platform, const char *tail, uint32_t launch_tick,
                       bool primary_window_found) {
    if (!primary_window_found) return;
    // Unsigned subtraction gives the right elapsed time across a wrap of the
    // tick count. It covers the manager's whole run and the window's restore.
    const uint32_t elapsed = platform.TickCount() - launch_tick;
    const uint32_t minimum = MinimumFor(tail);
    if (minimum != 0) platform.Sleep(RemainingPause(minimum, elapsed));
}

} // namespace launcher
