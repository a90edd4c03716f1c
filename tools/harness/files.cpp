// Files and folders for the Windows-side programs, through the system's own
// calls: paths, whole files, text widened from the ANSI code page.
#include "files.h"

namespace harness {

std::string BinDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir = path;
    return dir.substr(0, dir.find_last_of('\\'));
}

bool Exists(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeDirs(const std::string &path) {
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            const std::string part = path.substr(0, i);
            if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
                return false;
        }
    }
    return true;
}

bool ReadWholeFile(const std::string &path, std::string *bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    bytes->clear();
    char chunk[4096];
    DWORD n = 0;
    while (ReadFile(f, chunk, sizeof chunk, &n, nullptr) && n > 0) bytes->append(chunk, n);
    CloseHandle(f);
    return true;
}

bool WriteWholeFile(const std::string &path, const std::string &bytes) {
    return WriteWholeFile(Widen(path), bytes);
}

bool WriteWholeFile(const std::wstring &path, const std::string &bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    const bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) &&
                    n == bytes.size();
    return CloseHandle(f) && ok;
}

bool ReplaceWholeFile(const std::string &path, const std::string &bytes) {
    const std::string fresh = path + ".new";
    return WriteWholeFile(fresh, bytes) &&
           MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::vector<std::string> ReadLines(const std::string &path) {
    std::vector<std::string> lines;
    std::string text;
    ReadWholeFile(path, &text);
    for (size_t from = 0, eol; (eol = text.find('\n', from)) != std::string::npos; from = eol + 1)
        lines.push_back(text.substr(from, eol - from));
    return lines;
}

std::string Hex(const std::string &bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out.empty() ? "-" : out;
}

bool Unhex(const std::string &hex, std::string *bytes) {
    bytes->clear();
    if (hex == "-") return true;
    const bool digits =
        hex.size() % 2 == 0 && hex.find_first_not_of("0123456789abcdef") == hex.npos;
    for (size_t i = 0; digits && i < hex.size(); i += 2)
        *bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return digits;
}

std::wstring Widen(const std::string &text) {
    std::wstring wide(text.size(), L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      wide.data(), static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n : 0);
    return wide;
}

std::string WorkRoot() {
    char full[MAX_PATH] = {};
    char session[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableA("LAUNCHER_WORK_ROOT", session, sizeof session);
    const std::string root = n > 0 && n < sizeof session ? session : BinDir() + "\\..\\e2e-root";
    GetFullPathNameA(root.c_str(), sizeof full, full, nullptr);
    MakeDirs(full);
    return full;
}

} // namespace harness
