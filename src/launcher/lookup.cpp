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
Finding JudgePath(Platform &platform, const PathBuffer &path, PathBuffer *module) {
    ApplicationName(path, module);
    if (!IsRootedPath(module->Text())) return Finding::kNotRooted;
    switch (platform.PathKindOf(module->Text())) {
    case PathKind::kFile:
        return Finding::kTaken;
    case PathKind::kFolder:
        return Finding::kFolder;
    case PathKind::kNothing:
        break;
    }
    return Finding::kNothing;
}

// Reads the registered application-manager path, expanded when it is stored
// as an expandable string (as the shell expands App Paths values; a plain
// string never is). A value of any other type is no registration. The key is
// closed before the query's result is looked at, so it is open only for the
// one read.
Finding ReadRegistration(Platform &platform, KnownFolders known, PathBuffer *path) {
    Handle key = nullptr;
    if (!platform.OpenMachineKey(kAppPathsKey, &key)) return Finding::kNone;
    bool expandable = false;
    const bool read = platform.ReadStringValue(key, nullptr /* default value */, path->Data(),
                                               PathBuffer::kCapacity, &expandable);
    platform.CloseKey(key);
    if (!read) return Finding::kNone;
    return !expandable || ExpandWindowsFolders(platform, path, known) ? Finding::kTaken
                                                                      : Finding::kNotExpanded;
}

} // namespace

Finding LookAt(Platform &platform, KnownFolders known, Place place, PathBuffer *path,
               PathBuffer *module) {
    path->Copy("");
    module->Copy("");
    Finding read = Finding::kTaken;
    if (place == Place::kRegistration) {
        read = ReadRegistration(platform, known, path);
    } else if (!Expand(platform, known,
                       place == Place::kDeviceCenter ? kDeviceCenterManager : kActiveSyncManager,
                       path)) {
        read = Finding::kNotExpanded;
    }
    return read == Finding::kTaken ? JudgePath(platform, *path, module) : read;
}

bool LookUpApplicationManager(Platform &platform, KnownFolders known, PathBuffer *path,
                              PathBuffer *module) {
    Finding finding = Finding::kNone;
    for (const Place place : kPlaces) {
        finding = LookAt(platform, known, place, path, module);
        if (finding == Finding::kTaken) break;
    }
    return finding == Finding::kTaken;
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
