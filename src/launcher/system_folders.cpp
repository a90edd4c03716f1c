// Windows' own folders set in the launcher's environment from the system,
// and the expansion that admits only them.
#include "launcher/system_folders.h"

#include "launcher/path_buffer.h"

namespace launcher {
namespace {

// Each variable set here, and the value of kCurrentVersionKey that Windows
// itself sets it from: none for the first three, which come from the
// Windows folder. The last two exist on 64-bit Windows only: from them
// Windows gives a 64-bit child its %ProgramFiles%.
struct Folder {
    const char *variable;
    const char *value;
};
constexpr Folder kFolders[] = {
    {"windir", nullptr},
    {"SystemRoot", nullptr},
    {"SystemDrive", nullptr},
    {"ProgramFiles", "ProgramFilesDir"},
    {"ProgramFiles(x86)", "ProgramFilesDir (x86)"},
    {"CommonProgramFiles", "CommonFilesDir"},
    {"CommonProgramFiles(x86)", "CommonFilesDir (x86)"},
    {"ProgramW6432", "ProgramW6432Dir"},
    {"CommonProgramW6432", "CommonW6432Dir"},
};
constexpr uint32_t kFolderCount = sizeof kFolders / sizeof kFolders[0];
constexpr KnownFolders kWindowsFolders = 0x7; // the first three

// Whether the characters from `name` to `end` spell `variable`, in any
// case, as Windows compares variable names: a letter may differ from its
// counterpart in the case bit alone.
bool SameName(const char *name, const char *end, const char *variable) {
    for (; name != end && *variable != '\0'; ++name, ++variable) {
        const char v = *variable;
        const bool letter = (v | 0x20) >= 'a' && (v | 0x20) <= 'z';
        if (*name != v && !(letter && (*name ^ v) == 0x20)) return false;
    }
    return name == end && *variable == '\0';
}

bool HoldsPercent(const char *text) {
    for (; *text != '\0'; ++text)
        if (*text == '%') return true;
    return false;
}

// Sets folder `i`'s variable to `value` and counts it known; where there is
// no value, or Windows refuses it, removes the variable instead.
void SetFolder(Platform &platform, uint32_t i, const char *value, KnownFolders *known) {
    if (value != nullptr && platform.SetEnvironment(kFolders[i].variable, value)) {
        *known |= 1u << i;
        return;
    }
    platform.SetEnvironment(kFolders[i].variable, nullptr);
}

} // namespace

bool ExpandWindowsFolders(Platform &platform, PathBuffer *path, KnownFolders known) {
    PathBuffer text;
    text.Copy(path->Text());
    // Paired as Windows pairs them while every variable named is set, as the
    // known folders are; the first that is not ends the expansion.
    for (const char *p = text.Text(); *p != '\0'; ++p) {
        if (*p != '%') continue;
        const char *close = p + 1;
        while (*close != '\0' && *close != '%') ++close;
        if (*close == '\0') break;
        uint32_t i = 0;
        while (i < kFolderCount && !SameName(p + 1, close, kFolders[i].variable)) ++i;
        if (i == kFolderCount || (known & (1u << i)) == 0) return false; // not the system's
        p = close;
    }
    return platform.ExpandEnvironment(text.Text(), path->Data(), PathBuffer::kCapacity) &&
           !HoldsPercent(path->Text());
}

bool IsRootedPath(const char *path) {
    const char c = path[0];
    const bool drive =
        ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && path[1] == ':' && path[2] == '\\';
    const bool share = c == '\\' && path[1] == '\\' && path[2] != '\0' && path[2] != '\\';
    return (drive || share) && !HoldsPercent(path);
}

KnownFolders SetSystemFolders(Platform &platform) {
    KnownFolders known = 0;
    PathBuffer windows;
    const bool read = platform.SystemWindowsFolder(windows.Data(), PathBuffer::kCapacity) &&
                      IsRootedPath(windows.Text());
    SetFolder(platform, 0, read ? windows.Text() : nullptr, &known);
    SetFolder(platform, 1, read ? windows.Text() : nullptr, &known);
    const bool on_drive = read && windows.Text()[1] == ':';
    if (on_drive) windows.Terminate(2);
    SetFolder(platform, 2, on_drive ? windows.Text() : nullptr, &known);

    Handle key = nullptr;
    const bool opened = platform.OpenMachineKey(kCurrentVersionKey, &key);
    for (uint32_t i = 3; i < kFolderCount; ++i) {
        PathBuffer path;
        bool expandable = false;
        // A value kept as an expandable string, "%SystemDrive%\Program Files"
        // on a machine set up so, names the Windows folders set above.
        const bool usable =
            opened &&
            platform.ReadStringValue(key, kFolders[i].value, path.Data(), PathBuffer::kCapacity,
                                     &expandable) &&
            (!expandable || ExpandWindowsFolders(platform, &path, known & kWindowsFolders)) &&
            IsRootedPath(path.Text());
        SetFolder(platform, i, usable ? path.Text() : nullptr, &known);
    }
    if (opened) platform.CloseKey(key);
    return known;
}

} // namespace launcher
