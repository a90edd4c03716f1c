// What the benchmark reads from the system: clocks, CPU times, import tables,
// and under Wine the Linux processes behind the programs (see readings.h).
#include "readings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "harness.h"

namespace bench {

double Frequency() {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
}

LONGLONG Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double Ms(LONGLONG from, LONGLONG to) { return (to - from) * 1000.0 / Frequency(); }

double CounterMs(LONGLONG counter) { return counter * 1000.0 / Frequency(); }

namespace {

double CpuMs(const FILETIME &kernel, const FILETIME &user) {
    const auto ticks = [](const FILETIME &t) {
        return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;
}

} // namespace

double ProcessCpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return kNone;
    return CpuMs(kernel, user);
}

double ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    return CpuMs(kernel, user);
}

double Median(std::vector<double> values) {
    if (values.empty()) return kNone;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<std::string> ImportedDlls(const std::string &image) {
    std::vector<std::string> dlls;
    const auto at = [&](size_t offset, size_t size) {
        return offset <= image.size() && size <= image.size() - offset;
    };
    if (!at(0, sizeof(IMAGE_DOS_HEADER))) return dlls;
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(image.data());
    const size_t nt_offset = static_cast<size_t>(dos->e_lfanew);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE || !at(nt_offset, sizeof(IMAGE_NT_HEADERS32)))
        return dlls;
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS32 *>(image.data() + nt_offset);
    if (nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC)
        return dlls;
    const IMAGE_DATA_DIRECTORY &dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    const auto *sections = IMAGE_FIRST_SECTION(nt);
    const size_t section_table = reinterpret_cast<const char *>(sections) - image.data();
    const WORD count = nt->FileHeader.NumberOfSections;
    if (!at(section_table, count * sizeof(IMAGE_SECTION_HEADER))) return dlls;
    // A relative virtual address as an offset into the file, or 0.
    const auto file_offset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < count; ++i) {
            const IMAGE_SECTION_HEADER &s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData)
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return 0;
    };
    size_t entry = file_offset(dir.VirtualAddress);
    if (dir.VirtualAddress == 0 || entry == 0) return dlls;
    for (; at(entry, sizeof(IMAGE_IMPORT_DESCRIPTOR)); entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto *d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(image.data() + entry);
        if (d->Name == 0) break;
        const size_t name = file_offset(d->Name);
        if (name == 0) break;
        const size_t end = image.find('\0', name);
        if (end == std::string::npos) break;
        std::string dll = image.substr(name, end - name);
        for (char &c : dll) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        dlls.push_back(dll);
    }
    return dlls;
}

DWORD UnixPidRunning(const std::string &key) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    DWORD found = 0;
    do {
        const char *name = entry.cFileName;
        if (name[0] < '1' || name[0] > '9') continue;
        std::string cmdline;
        if (!harness::ReadWholeFile(std::string("Z:\\proc\\") + name + "\\cmdline", &cmdline))
            continue;
        for (char &c : cmdline)
            if (c == '\0') c = ' ';
        if (cmdline.find(key) != std::string::npos)
            found = static_cast<DWORD>(std::strtoul(name, nullptr, 10));
    } while (found == 0 && FindNextFileA(find, &entry));
    FindClose(find);
    return found;
}

double LinuxCpuMs(DWORD unix_pid) {
    std::string stat;
    if (unix_pid == 0 ||
        !harness::ReadWholeFile("Z:\\proc\\" + std::to_string(unix_pid) + "\\stat", &stat))
        return kNone;
    // The fields after the parenthesised name: state is field 3, utime 14.
    size_t at = stat.rfind(')');
    if (at == std::string::npos) return kNone;
    const char *p = stat.c_str() + at + 1;
    char *end = nullptr;
    double ticks[2] = {0, 0};
    for (int field = 3; field <= 15; ++field) {
        while (*p == ' ') ++p;
        if (field >= 14) ticks[field - 14] = std::strtod(p, &end);
        while (*p != ' ' && *p != '\0') ++p;
    }
    return (ticks[0] + ticks[1]) * 10.0;
}

double LinuxPeakResidentKb(DWORD unix_pid) {
    std::string status;
    if (unix_pid == 0 ||
        !harness::ReadWholeFile("Z:\\proc\\" + std::to_string(unix_pid) + "\\status", &status))
        return kNone;
    const size_t at = status.find("VmHWM:");
    if (at == std::string::npos) return kNone;
    return std::strtod(status.c_str() + at + 6, nullptr);
}

} // namespace bench
