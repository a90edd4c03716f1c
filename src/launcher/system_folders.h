// Windows' own folders, as Windows keeps them. The launcher often runs
// elevated, in an environment its caller shaped (an elevated process takes
// variables from the user's own HKCU\Environment): a windir or ProgramFiles
// handed over could point the lookup, and the manager itself, at a program
// of anyone's choosing. So the variables that name those folders are set
// from the system before anything is expanded.
#pragma once

#include "platform/platform.h"

namespace launcher {

class PathBuffer;

// The key whose values name the program folders, in the launcher's own
// (32-bit) view: on 64-bit Windows ProgramFilesDir is "Program Files (x86)".
constexpr char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// Which of Windows' folders below SetSystemFolders set from the system: a
// bit for each, in the order they are named there.
using KnownFolders = uint32_t;

// Sets windir, SystemRoot and SystemDrive from the system's Windows folder,
// and ProgramFiles, ProgramFiles(x86), CommonProgramFiles,
// CommonProgramFiles(x86), ProgramW6432 and CommonProgramW6432 from their
// values under kCurrentVersionKey, a value kept as an expandable string
// expanded with the first three. A folder that cannot be read, does not
// fit, or is no rooted path removes its variable: nothing of the caller's is
// then expanded in its place. Every other variable stays as it was. Returns
// the folders set; one that Windows would not let be set is not among them,
// whatever the variable still holds.
KnownFolders SetSystemFolders(Platform &platform);

// Expands the text in *path in place, whole or not at all, when every
// variable it names is one of the `known` folders, its name in any case as
// Windows matches names. Any other comes from the caller, who could point it
// anywhere: false, and the text names no path. So is a result that still
// holds a '%', where Windows paired the signs otherwise.
bool ExpandWindowsFolders(Platform &platform, PathBuffer *path, KnownFolders known);

// Whether `path` names its own root, `X:\...` or `\\server\share\...`, and
// holds no '%' of a variable left unexpanded: a path that the current directory
// can never complete.
bool IsRootedPath(const char *path);

} // namespace launcher
