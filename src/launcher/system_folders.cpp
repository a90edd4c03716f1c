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
    {"CommonProgramFiles", "CommonFilesDir"}, {"CommonProgramFiles(x86)", "CommonFilesDir (x86)"},
    {"ProgramW6432", "ProgramW6432Dir"},      {"CommonProgramW6432", "CommonW6432Dir"},
};
constexpr const char *kWindowsVariables[] = {"windir", "SystemRoot", "SystemDrive"};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether the `length` characters at `name` spell `variable`, in any case,
// as Windows compares variable names.
bool SameName(const char *name, uint32_t length, const char *variable) {
    uint32_t i = 0;
    while (i < length && variable[i] != '\0' && Lower(name[i]) == Lower(variable[i])) ++i;
    return i == length && variable[i] == '\0';
}

// Whether the variable is one that SetSystemFolders sets from Windows.
bool IsSetHere(const char *name, uint32_t length, bool program_folders) {
    for (const char *variable : kWindowsVariables)
        if (SameName(name, length, variable)) return true;
    if (program_folders)
        for (const ProgramFolder &folder : kProgramFolders)
            if (SameName(name, length, folder.variable)) return true;
    return false;
}

// Whether the `length` bytes that a system call filled into *folder (a
// registry value's NUL counted in or not) fit, and make a rooted path, or
// one still to be expanded; they are made a string.
bool Usable(PathBuffer *folder, uint32_t length, bool expandable = false) {
    return length < PathBuffer::kCapacity && folder->Terminate(length) &&
           (expandable || IsRootedPath(folder->Text()));
}

} // namespace

bool ExpandWindowsFolders(Platform &platform, const char *text, bool program_folders,
                          PathBuffer *path) {
    // Paired as Windows pairs them while every variable is set; one that is
    // not leaves a '%' behind, which no rooted path holds.
    for (const char *p = text; *p != '\0'; ++p) {
        if (*p != '%') continue;
        const char *close = p + 1;
        while (*close != '\0' && *close != '%') ++close;
        if (*close == '\0') break;
        if (!IsSetHere(p + 1, static_cast<uint32_t>(close - p - 1), program_folders)) return false;
        p = close;
    }
    const uint32_t size = platform.ExpandEnvironment(text, path->Data(), PathBuffer::kCapacity);
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
    for (const ProgramFolder &folder : kProgramFolders) {
        PathBuffer path;
        uint32_t size = PathBuffer::kCapacity;
        bool expandable = false;
        bool usable =
            opened &&
            platform.QueryStringValue(key, folder.value, path.Data(), &size, &expandable) &&
            Usable(&path, size, expandable);
        // A value kept as an expandable string, "%SystemDrive%\Program Files"
        // on a machine set up so, names the Windows folders set above.
        if (usable && expandable) {
            PathBuffer stored;
            stored.Copy(path.Text());
            usable = ExpandWindowsFolders(platform, stored.Text(), false, &path) &&
                     IsRootedPath(path.Text());
        }
        platform.SetEnvironment(folder.variable, usable ? path.Text() : nullptr);
    }
    if (opened) platform.CloseKey(key);
}

} // namespace launcher
