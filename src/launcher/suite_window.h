// The suite window, the field software's: minimized while the application
// manager runs, shown again afterwards. Whether it was the primary suite
// window decides the settling pause.
#pragma once

#include "platform/platform.h"

namespace launcher {

// Searched in this order; the first title found is the one handled.
constexpr const char *kSuiteTitles[] = {
    "Tarnivo Site Suite", // the primary suite
    "Quellis Plotter",
    "Brovane Stakeout",
    "Selkirra Kit",
};

struct SuiteWindow {
    Handle window = nullptr; // null: none of the titles was open
    bool primary = false;    // found by the first title
};

// Finds the first open suite window.
SuiteWindow FindSuiteWindow(Platform &platform);

// Shows the window found minimized, for the run of the manager.
void MinimizeSuiteWindow(Platform &platform, const SuiteWindow &suite);

// Shows the window found before the launch at its normal size again, without
// searching the titles anew.
void RestoreSuiteWindow(Platform &platform, const SuiteWindow &suite);

} // namespace launcher
