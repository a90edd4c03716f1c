// Finding the application manager, by rooted paths only: a registration, as
// read or expanded with Windows' own folders, then the install folders.
#include "launcher/lookup.h"

#include "launcher/path_buffer.h"
#include "launcher/system_folders.h"

namespace launcher {
namespace {

// Makes *path `text` with the Windows folders that it names expanded, whole
// or not at all; a text that names any other variable is no path.
bool Expand(Platform &platform, KnownFolders known, const char *text, PathBuffer *path) {
    return path->Copy(text) && ExpandWindowsFolders(platform, path, known);
}

// Whether the manager path names an existing file, not a folder, by a
// rooted path: *module, the module that would be started, the path with one
// pair of enclosing quotes taken off. A relative path, or one with a variable
// left unexpanded, would be completed by the current directory, which may be
// a download folder: it is never looked at.
bool NamesAFile(Platform &platform, const PathBuffer &path, PathBuffer *module) {
    ApplicationName(path, module);
    return IsRootedPath(module->Text()) && platform.PathKindOf(module->Text()) == PathKind::kFile;
}

// Reads the registered application-manager path, expanded when it is stored
// as an expandable string (as the shell expands App Paths values; a plain
// string never is). A value of any other type is no registration. The key is
// closed before the query's result is looked at, so it is open only for the
// one read.
bool ReadRegistration(Platform &platform, KnownFolders known, PathBuffer *path) {
    Handle key = nullptr;
    if (!platform.OpenMachineKey(kAppPathsKey, &key)) return false;
    bool expandable = false;
    const bool read = platform.ReadStringValue(key, nullptr /* default value */, path->Data(),
                                               PathBuffer::kCapacity, &expandable);
    platform.CloseKey(key);
    return read && (!expandable || ExpandWindowsFolders(platform, path, known));
}

} // namespace

bool LookUpApplicationManager(Platform &platform, KnownFolders known, PathBuffer *path,
                              PathBuffer *module) {
    if (ReadRegistration(platform, known, path) && NamesAFile(platform, *path, module)) return true;
    if (Expand(platform, known, kDeviceCenterManager, path) && NamesAFile(platform, *path, module))
        return true;
    return Expand(platform, known, kActiveSyncManager, path) && NamesAFile(platform, *path, module);
}

void ApplicationName(const PathBuffer &manager_path, PathBuffer *name) {
    // Both fit: the name is never longer than the path it comes from.
    const char *path = manager_path.Text();
    const uint32_t length = manager_path.Length();
    if (length >= 2 && path[0] == '"' && path[length - 1] == '"') {
        name->Copy(path + 1);
        name->Terminate(length - 2);
    } else {
        name->Copy(path);
    }
}

} // namespace launcher
