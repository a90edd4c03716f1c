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

void MakePlan(Platform &platform, Plan *plan) {
    // Before anything could make Windows load a DLL on demand, and before
    // anything is expanded or started: Windows' folders as Windows keeps
    // them, for the lookup and for the manager, which inherits them.
    platform.RestrictDllSearch();
    plan->known = SetSystemFolders(platform);

    // Where nobody can see it (a deployment that runs as SYSTEM), the
    // manager, an interactive program, would wait for an answer nobody can
    // give, and so would a box: nothing is started, shown or touched, and
    // the exit code tells the caller so.
    plan->unseen = NobodySees(platform);
    if (plan->unseen) {
        plan->exit_code = kExitNobodySees;
        return;
    }

    // 1. Find the application manager; without it there is nothing to do.
    // The child is started by the module found and never by a search:
    // CreateProcessA, given only an unquoted command line with blanks, would
    // first try "C:\Program.exe" and every other prefix.
    plan->found =
        LookUpApplicationManager(platform, plan->known, &plan->manager_path, &plan->module);
    if (!plan->found) return;

    // 2. Every reason to launch nothing is settled before the suite window
    // is touched: the tail as the caller wrote it, and the install command
    // in the current directory (an empty tail runs the manager bare, on the
    // path as read). A command that would not fit is launched in no form at
    // all.
    const AnsiText ansi(platform);
    plan->tail = ResolveCommandTail(platform, ansi, &plan->converted_tail);
    plan->bare = plan->tail.text[0] == '\0';
    plan->outcome = plan->tail.outcome != Outcome::kGo || plan->bare
                        ? plan->tail.outcome
                        : ComposeInCurrentDirectory(platform, ansi, plan->manager_path.Text(),
                                                    plan->tail.text, &plan->command);
    if (plan->outcome != Outcome::kGo) {
        plan->exit_code =
            plan->outcome == Outcome::kNotPassable ? kExitNamesNotPassable : kExitNoCommand;
        return;
    }

    // 3. The suite window that will make way for the manager.
    plan->suite = FindSuiteWindow(platform);
}

int CarryOut(Platform &platform, Plan *plan) {
    if (plan->unseen) return plan->exit_code;
    if (!plan->found) {
        Report(platform, kManagerMissingText, false);
        return kExitDone;
    }
    // Nothing launched, before any window was touched: the box, brought to
    // the front (the installation waits on it), says why.
    if (plan->outcome != Outcome::kGo) {
        Report(platform, RefusalText(plan->outcome), true);
        return plan->exit_code;
    }

    // 4. The suite window makes way, and the manager runs, bare on its path
    // as read or on the install list (what follows the path and its blank
    // in the command). When Windows refuses to start it, or the user
    // declines to let it run as an administrator, there is nothing to wait
    // for: the window comes back, and the user and the caller are told.
    MinimizeSuiteWindow(platform, plan->suite);
    ChildProcess child;
    PathBuffer &line = plan->bare ? plan->manager_path : plan->command;
    const char *arguments = plan->bare ? "" : line.Text() + plan->manager_path.Length() + 1;
    if (!StartManager(platform, plan->module.Text(), line.Data(), arguments, &child)) {
        RestoreSuiteWindow(platform, plan->suite);
        ReportNotStarted(platform, plan->module.Text(), child.error);
        return kExitNotStarted;
    }
    const uint32_t launch_tick = platform.TickCount();
    WaitForChild(platform, child);
    RestoreSuiteWindow(platform, plan->suite);

    // 5. Held on for a known list; a bare run never pauses.
    if (!plan->bare) TakeSettlingPause(platform, plan->tail.text, launch_tick, plan->suite.primary);
    return plan->exit_code;
}

int RunLaunchSequence(Platform &platform) {
    Plan plan;
    MakePlan(platform, &plan);
    return CarryOut(platform, &plan);
}

} // namespace launcher
