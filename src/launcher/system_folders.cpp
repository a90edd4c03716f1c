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
constexpr uint32_t kWindowsFolders = 3;
constexpr uint32_t kAllFolders = sizeof kFolders / sizeof kFolders[0];

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

// Whether the `length` bytes that a system call filled into *folder fit,
// and make a rooted path; they are made a string.
bool Usable(PathBuffer *folder, uint32_t length) {
    return length < PathBuffer::kCapacity && folder->Terminate(length) &&
           IsRootedPath(folder->Text());
}

} // namespace

bool ExpandWindowsFolders(Platform &platform, PathBuffer *path, bool program_folders) {
    PathBuffer text;
    text.Copy(path->Text());
    const uint32_t count = program_folders ? kAllFolders : kWindowsFolders;
    // Paired as Windows pairs them while every variable is set; one that is
    // not leaves a '%' behind, which no rooted path holds.
    for (const char *p = text.Text(); *p != '\0'; ++p) {
        if (*p != '%') continue;
        const char *close = p + 1;
        while (*close != '\0' && *close != '%') ++close;
        if (*close == '\0') break;
        uint32_t i = 0;
        while (i < count && !SameName(p + 1, close, kFolders[i].variable)) ++i;
        if (i == count) return false; // a variable of the caller's
        p = close;
    }
    const uint32_t size =
        platform.ExpandEnvironment(text.Text(), path->Data(), PathBuffer::kCapacity);
    return size != 0 && size <= PathBuffer::kCapacity && path->Terminate(size - 1);
}

bool IsRootedPath(const char *path) {
    const char c = path[0];
    const bool drive =
        ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) && path[1] == ':' && path[2] == '\\';
    const bool share = c == '\\' && path[1] == '\\' && path[2] != '\0' && path[2] != '\\';
    if (!drive && !share) return false;
    for (const char *p = path; *p != '\0'; ++p)
        if (*p == '%') return false;
    return true;
}

void SetSystemFolders(Platform &platform) {
    PathBuffer windows;
    const bool read =
        Usable(&windows, platform.SystemWindowsFolder(windows.Data(), PathBuffer::kCapacity));
    platform.SetEnvironment("windir", read ? windows.Text() : nullptr);
    platform.SetEnvironment("SystemRoot", read ? windows.Text() : nullptr);
    const bool on_drive = read && windows.Text()[1] == ':';
    if (on_drive) windows.Terminate(2);
    platform.SetEnvironment("SystemDrive", on_drive ? windows.Text() : nullptr);

    Handle key = nullptr;
    const bool opened = platform.OpenMachineKey(kCurrentVersionKey, &key);
    for (uint32_t i = kWindowsFolders; i < kAllFolders; ++i) {
        const Folder &folder = kFolders[i];
        PathBuffer path;
        uint32_t size = PathBuffer::kCapacity;
        bool expandable = false;
        // A value kept as an expandable string, "%SystemDrive%\Program Files"
        // on a machine set up so, names the Windows folders set above.
        const bool usable =
            opened &&
            platform.QueryStringValue(key, folder.value, path.Data(), &size, &expandable) &&
            size < PathBuffer::kCapacity && path.Terminate(size) &&
            (!expandable || ExpandWindowsFolders(platform, &path, false)) &&
            IsRootedPath(path.Text());
        platform.SetEnvironment(folder.variable, usable ? path.Text() : nullptr);
    }
    if (opened) platform.CloseKey(key);
}

} // namespace launcher
