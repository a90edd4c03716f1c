// Questions about the machine the tests run on, asked of the system: Wine or
// Windows, who sees the desktop, 8.3 names, and drives made from folders.
#include "machine.h"

#include "files.h"

namespace harness {

bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string UnseenDesktop() {
    USEROBJECTFLAGS flags = {};
    DWORD session = 1, needed = 0;
    if (GetUserObjectInformationA(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                  &needed) &&
        (flags.dwFlags & WSF_VISIBLE) == 0)
        return "its window station is not visible";
    // As the launcher tells Vista: by what KERNEL32 has, not by GetVersion.
    const bool vista =
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount64") != nullptr;
    return vista && ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0
               ? "it runs in session 0"
               : "";
}

const char *DesktopNobodySees() {
    static const bool made = [] {
        HWINSTA mine = GetProcessWindowStation();
        HWINSTA unseen = CreateWindowStationA("launcher-unseen", 0, WINSTA_ALL_ACCESS, nullptr);
        if (unseen == nullptr || !SetProcessWindowStation(unseen)) return false;
        const bool desktop =
            CreateDesktopA("Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr) != nullptr;
        return SetProcessWindowStation(mine) && desktop;
    }();
    return made ? "launcher-unseen\\Default" : "";
}

bool MakesShortNames(const std::string &folder) {
    const std::string name = "a long name for 8.3";
    const std::string probe = folder + "\\" + name;
    if (!CreateDirectoryA(probe.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    char short_form[MAX_PATH] = {};
    const DWORD size = GetShortPathNameA(probe.c_str(), short_form, sizeof short_form);
    RemoveDirectoryA(probe.c_str());
    if (size == 0 || size >= sizeof short_form) return false;
    const std::string got = short_form;
    return got.substr(got.find_last_of('\\') + 1) != name;
}

DriveRoot::DriveRoot(const std::string &folder) : folder_(folder) {
    MakeDirs(folder);
    if (UnderWine()) {
        drive_ = "T:";
    } else {
        const DWORD used = GetLogicalDrives();
        for (char letter = 'Z'; letter >= 'D' && drive_.empty(); --letter) {
            if ((used & (1u << (letter - 'A'))) != 0) continue;
            const std::string drive = std::string(1, letter) + ":";
            if (!DefineDosDeviceA(0, drive.c_str(), folder.c_str())) break;
            drive_ = drive;
            substituted_ = drive;
        }
    }
    const DWORD root = GetFileAttributesA((drive_ + "\\").c_str());
    if (root == INVALID_FILE_ATTRIBUTES || (root & FILE_ATTRIBUTE_DIRECTORY) == 0) drive_.clear();
}

DriveRoot::~DriveRoot() {
    if (!substituted_.empty())
        DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, substituted_.c_str(),
                         folder_.c_str());
}

} // namespace harness
