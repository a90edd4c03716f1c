// Finding the suite window by its titles, minimizing it for
// the run and showing it again.
#include "launcher/suite_window.h"

namespace launcher {

SuiteWindow FindSuiteWindow(Platform &platform) {
    SuiteWindow suite;
    for (const char *title : kSuiteTitles) {
        suite.window = platform.FindTopLevelWindow(title);
        if (suite.window != nullptr) {
            suite.primary = title == kSuiteTitles[0];
            break;
        }
    }
    return suite;
}

void MinimizeSuiteWindow(Platform &platform, const SuiteWindow &suite) {
    if (suite.window != nullptr) platform.ShowWindow(suite.window, WindowShow::kMinimized);
}

void RestoreSuiteWindow(Platform &platform, const SuiteWindow &suite) {
    // The window may have been closed meanwhile; showing a window that is
    // gone has no effect, and the run goes on.
    if (suite.window != nullptr) platform.ShowWindow(suite.window, WindowShow::kNormal);
}

} // namespace launcher
