// The launch sequence: find the application manager, run it bare or on the
// install list named by the command tail, and wait until it has ended.
#pragma once

#include "platform/platform.h"

namespace launcher {

class PathBuffer;

// Exit codes of a run.
constexpr int kExitDone = 0;             // every run that got as far as it should
constexpr int kExitFolderTooLong = 1;    // nothing launched: the install command would not fit
constexpr int kExitNamesNotPassable = 2; // nothing launched: a name the code page cannot hold
constexpr int kExitNotStarted = 3;       // found, but Windows refused to start the manager
constexpr int kExitNobodySees = 4;       // nothing done: no user can see this run's desktop

// The registered application manager: App Paths default value under
// HKEY_LOCAL_MACHINE.
constexpr char kAppPathsKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\CEAPPMGR.EXE";

// Where the application manager is installed, looked at in this order when
// no registration names an existing file: the device center's folder (Vista
// to 11), then ActiveSync's (XP). Expanded in the launcher's own
// environment once its Windows folders are set from the system, so a 32-bit
// launcher on 64-bit Windows looks in the 32-bit Program Files, where a
// 32-bit ActiveSync would be.
constexpr char kDeviceCenterManager[] = "%windir%\\WindowsMobile\\CEAppMgr.exe";
constexpr char kActiveSyncManager[] = "%ProgramFiles%\\Microsoft ActiveSync\\CEAPPMGR.EXE";

// The one report a user ever sees, and the texts of the failures the
// launcher adds to it. A start that Windows refuses is told in three parts,
// around the manager's path and Windows' own words for why.
constexpr char kReportCaption[] = "Installation";
constexpr char kManagerMissingText[] =
    "Can not find ActiveSync. Please reinstall ActiveSync and than run this "
    "installation again.";
constexpr char kFolderTooLongText[] =
    "The path of the installation folder is too long to start the installation "
    "from it; please copy the installation to a folder with a shorter path and "
    "run it again.";
constexpr char kNamesNotPassableText[] =
    "The name of the installation folder or of the install list has characters "
    "that can not be passed on to ActiveSync; please copy the installation to a "
    "folder with a plain name, such as C:\\Install, and run it again.";
constexpr char kNotStartedText[] = "The application manager was found at ";
constexpr char kNotStartedWhy[] = ", but Windows could not start it:\n\n";
constexpr char kNotStartedAdvice[] =
    "\n\nPlease run this installation as an administrator, or reinstall ActiveSync "
    "(Windows Mobile Device Center on newer Windows), and run it again.";

// The child is asked for its status at this interval, the first time after
// one full interval.
constexpr uint32_t kPollIntervalMs = 1500;

// The status GetExitCodeProcess reports while a process runs (STILL_ACTIVE).
constexpr uint32_t kStillActive = 259;

// Composes the child's command line for an install list: the manager path,
// a blank, then the directory, a backslash and the tail inside double quotes.
// False, with *command not to be used, when it would not fit.
bool ComposeInstallCommand(const char *manager_path, const char *directory, const char *tail,
                           PathBuffer *command);

// The module to start: the registered path, with one pair of enclosing
// double quotes removed (CreateProcessA takes the module unquoted).
void ApplicationName(const PathBuffer &manager_path, PathBuffer *name);

// Runs the whole sequence once and returns the process exit code.
int RunLaunchSequence(Platform &platform, const char *tail);

} // namespace launcher
