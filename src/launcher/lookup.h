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

// The places where the manager is looked for, in this order.
enum class Place { kRegistration, kDeviceCenter, kActiveSync };
constexpr Place kPlaces[] = {Place::kRegistration, Place::kDeviceCenter, Place::kActiveSync};

// What a place held, as the lookup judged it.
enum class Finding {
    kTaken,       // an existing file, named by a rooted path
    kNone,        // no registration: no key, no value, no string, or too long
    kNotExpanded, // a variable other than Windows' folders, or too long expanded
    kNotRooted,   // a path that the current directory would complete
    kNothing,     // no such file
    kFolder,      // a folder, not a file
};

// Looks at one place: *path is what it held (expanded where that could be
// done), *module the program it names (the path less one pair of enclosing
// quotes), to be started when the finding is kTaken.
Finding LookAt(Platform &platform, KnownFolders known, Place place, PathBuffer *path,
               PathBuffer *module);

// Finds the application manager: the first place that holds it, the
// registration first, then the device center's folder and ActiveSync's,
// with the `known` folders expanded. A registration that outlived the
// program, or that no start could use, counts as none.
bool LookUpApplicationManager(Platform &platform, KnownFolders known, PathBuffer *path,
                              PathBuffer *module);

// The module to start: the registered path, with one pair of enclosing
// double quotes removed (CreateProcessA takes the module unquoted).
void ApplicationName(const PathBuffer &manager_path, PathBuffer *name);

} // namespace launcher
