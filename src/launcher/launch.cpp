// The launch sequence, read top to bottom as the steps it performs; each
// step lives in the file named after it.
#include "launcher/launch.h"

#include "launcher/ansi_text.h"
#include "launcher/command_tail.h"
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
// exit code says which kind of failure it was.
int Refuse(Platform &platform, Outcome outcome) {
    Report(platform, RefusalText(outcome), true);
    return outcome == Outcome::kNotPassable ? kExitNamesNotPassable : kExitNoCommand;
}

// Starts the manager; one whose manifest asks for administrator rights that
// this run lacks is started again as Explorer would start it, so that
// Windows asks the user for them.
bool StartManager(Platform &platform, const char *module, char *command_line, const char *arguments,
                  ChildProcess *child) {
    if (platform.StartProcess(module, command_line, child)) return true;
    return child->error == kErrorElevationRequired &&
           platform.StartThroughShell(module, arguments, child);
}

} // namespace

int RunLaunchSequence(Platform &platform) {
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
    // The child is started by the module found and never by a search:
    // CreateProcessA, given only an unquoted command line with blanks, would
    // first try "C:\Program.exe" and every other prefix.
    PathBuffer manager_path;
    PathBuffer module;
    if (!LookUpApplicationManager(platform, known, &manager_path, &module)) {
        Report(platform, kManagerMissingText, false);
        return kExitDone;
    }

    // 2. Every reason to launch nothing is settled before the suite window
    // is touched: the tail as the caller wrote it, and the install command
    // in the current directory (an empty tail runs the manager bare, on the
    // path as read). A command that would not fit is launched in no form at
    // all.
    const AnsiText ansi(platform);
    PathBuffer converted_tail;
    const CommandTail tail = ResolveCommandTail(platform, ansi, &converted_tail);
    const bool bare = tail.text[0] == '\0';
    PathBuffer command;
    const Outcome outcome =
        tail.outcome != Outcome::kGo || bare
            ? tail.outcome
            : ComposeInCurrentDirectory(platform, ansi, manager_path.Text(), tail.text, &command);
    if (outcome != Outcome::kGo) return Refuse(platform, outcome);

    // 3. The suite window makes way for the manager.
    const SuiteWindow suite = FindAndMinimizeSuiteWindow(platform);

    // 4. The manager, bare on its path as read or on the install list (what
    // follows the path and its blank in the command). When Windows refuses
    // to start it, or the user declines to let it run as an administrator,
    // there is nothing to wait for: the window comes back, and the user and
    // the caller are told.
    ChildProcess child;
    const char *arguments = bare ? "" : command.Text() + manager_path.Length() + 1;
    if (!StartManager(platform, module.Text(), bare ? manager_path.Data() : command.Data(),
                      arguments, &child)) {
        RestoreSuiteWindow(platform, suite);
        ReportNotStarted(platform, module.Text(), child.error);
        return kExitNotStarted;
    }
    const uint32_t launch_tick = platform.TickCount();
    WaitForChild(platform, child);
    RestoreSuiteWindow(platform, suite);

    // 5. Held on for a known list; a bare run never pauses.
    if (!bare) TakeSettlingPause(platform, tail.text, launch_tick, suite.primary);
    return kExitDone;
}

} // namespace launcher
