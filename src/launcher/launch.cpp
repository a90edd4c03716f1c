// The launch sequence, read top to bottom as the steps it performs; each
// step lives in the file named after it.
#include "launcher/launch.h"

#include "launcher/ansi_text.h"
#include "launcher/install_command.h"
#include "launcher/lookup.h"
#include "launcher/path_buffer.h"
#include "launcher/reports.h"
#include "launcher/settling_pause.h"
#include "launcher/suite_window.h"
#include "launcher/system_folders.h"
#include "launcher/wait_for_child.h"

namespace launcher {
namespace {

// Ends a run that launches nothing, before any window was touched: the box,
// brought to the front (the installation waits on it), says why, and the
// exit code says which failure it was.
int Refuse(Platform &platform, Outcome outcome) {
    if (outcome == Outcome::kNotPassable) {
        Report(platform, kNamesNotPassableText, true);
        return kExitNamesNotPassable;
    }
    Report(platform, kFolderTooLongText, true);
    return kExitFolderTooLong;
}

} // namespace

int RunLaunchSequence(Platform &platform, const char *tail) {
    // Before anything could make Windows load a DLL on demand, and before
    // anything is expanded or started: Windows' folders as Windows keeps
    // them, for the lookup and for the manager, which inherits them.
    platform.RestrictDllSearch();
    const KnownFolders known = SetSystemFolders(platform);

    // Where nobody can see it (a deployment that runs as SYSTEM), the
    // manager, an interactive program, would wait for an answer nobody can
    // give, and so would a box: nothing is started, shown or touched, and
    // the exit code tells the caller so.
    if (NobodySees(platform)) return kExitNobodySees;

    // 1. Find the application manager; without it there is nothing to do.
    PathBuffer manager_path;
    if (!LookUpApplicationManager(platform, known, &manager_path)) {
        Report(platform, kManagerMissingText, false);
        return kExitDone;
    }

    // The child is started by the registered module itself and never found
    // by a search: CreateProcessA, given only an unquoted command line with
    // blanks, would first try "C:\Program.exe" and every other prefix.
    PathBuffer application;
    ApplicationName(manager_path, &application);

    // 2. Every reason to launch nothing is settled before the suite window
    // is touched: the tail as the caller wrote it, and the install command
    // in the current directory (an empty tail runs the manager bare, on the
    // path as read). A command that would not fit is launched in no form at
    // all.
    const AnsiText ansi(platform);
    PathBuffer converted_tail;
    PathBuffer command;
    Outcome outcome = ResolveTail(platform, ansi, &tail, &converted_tail);
    const bool bare = tail[0] == '\0';
    if (outcome == Outcome::kGo && !bare)
        outcome = ComposeInCurrentDirectory(platform, ansi, manager_path.Text(), tail, &command);
    if (outcome != Outcome::kGo) return Refuse(platform, outcome);

    // 3. The suite window makes way for the manager.
    const SuiteWindow suite = FindAndMinimizeSuiteWindow(platform);

    // 4. The manager, bare on its path as read or on the install list. When
    // Windows refuses to start it there is nothing to wait for: the window
    // comes back, and the user and the caller are told.
    ChildProcess child;
    if (!platform.StartProcess(application.Text(), bare ? manager_path.Data() : command.Data(),
                               &child)) {
        RestoreSuiteWindow(platform, suite);
        ReportNotStarted(platform, application.Text(), child.error);
        return kExitNotStarted;
    }
    const uint32_t launch_tick = platform.TickCount();
    WaitForChild(platform, child);
    RestoreSuiteWindow(platform, suite);

    // 5. Held on for a known list; a bare run never pauses.
    if (!bare) TakeSettlingPause(platform, tail, launch_tick, suite.primary);
    return kExitDone;
}

} // namespace launcher
