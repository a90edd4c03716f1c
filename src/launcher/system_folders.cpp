// Windows' own folders set in the launcher's environment.
#include "launcher/system_folders.h"

#include "launcher/path_buffer.h"

namespace launcher {
namespace {

// Each variable and the value of kCurrentVersionKey that Windows itself
// sets it from. The last two exist on 64-bit Windows only: from them
// Windows gives a 64-bit child its %ProgramFiles%.
struct ProgramFolder {
    const char *variable;
    const char *value;
};
constexpr ProgramFolder kProgramFolders[] = {
    {"ProgramFiles", "ProgramFilesDir"},      {"ProgramFiles(x86)", "ProgramFilesDir (x86)"},
    {"CommonProgramFiles", "CommonFilesDir"}, {"ProgramW6432", "ProgramW6432Dir"},
    {"CommonProgramW6432", "CommonW6432Dir"},
};

// Whether the `length` bytes that a system call filled into *folder (a
// registry value's NUL counted in or not) fit, and make a rooted path; they
// are made a string.
bool Usable(PathBuffer *folder, uint32_t length) {
    return length < PathBuffer::kCapacity && folder->Terminate(length) &&
           IsRootedPath(folder->Text());
}

} // namespace

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
    for (const ProgramFolder &folder : kProgramFolders) {
        PathBuffer path;
        uint32_t size = PathBuffer::kCapacity;
        bool expandable = false;
        const bool usable =
            opened &&
            platform.QueryStringValue(key, folder.value, path.Data(), &size, &expandable) &&
            Usable(&path, size);
        platform.SetEnvironment(folder.variable, usable ? path.Text() : nullptr);
    }
    if (opened) platform.CloseKey(key);
}

} // namespace launcher
