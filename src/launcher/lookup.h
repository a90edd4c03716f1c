// Finding the application manager: its registration under App Paths when it
// names an existing file by a rooted path, else the install folder of the
// device center, then ActiveSync's.
#pragma once

#include "launcher/system_folders.h"
#include "platform/platform.h"

namespace launcher {

class PathBuffer;

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

// Finds the application manager: the registration, when it names an
// existing file; else the first of its install folders that holds it, with
// the `known` folders expanded (one that names another is not looked at). A
// registration that outlived the program, or that no start could use,
// counts as none. *path is the manager's path as found, *module the program
// it names, to be started (the path less one pair of enclosing quotes).
bool LookUpApplicationManager(Platform &platform, KnownFolders known, PathBuffer *path,
                              PathBuffer *module);

// The module to start: the registered path, with one pair of enclosing
// double quotes removed (CreateProcessA takes the module unquoted).
void ApplicationName(const PathBuffer &manager_path, PathBuffer *name);

} // namespace launcher
