// A DLL to plant beside a copy of the launcher under the names of DLLs that
// Windows loads on demand (for a message box's themes or input methods). If
// it is ever loaded, it says so in planted-dll-loaded.txt beside itself, with
// the name it was loaded under.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    char record[MAX_PATH + 32] = {};
    lstrcpyA(record, path);
    char *slash = record;
    for (char *p = record; *p != '\0'; ++p)
        if (*p == '\\') slash = p + 1;
    lstrcpyA(slash, "planted-dll-loaded.txt");
    HANDLE file = CreateFileA(record, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, path, length, &written, nullptr);
        WriteFile(file, "\r\n", 2, &written, nullptr);
        CloseHandle(file);
    }
    return TRUE;
}
