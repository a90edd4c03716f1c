// The program app_paths.exe: shows or sets the application manager's App
// Paths entry, in the registry view of 32-bit programs, for the test of the
// journal's restore:
//   app_paths show         the entry as the journal would hold it
//   app_paths set PATH     PATH as the default value, its folder as "Path"
//   app_paths remove       no entry at all
#include <cstdio>
#include <cstring>
#include <string>

#include "harness.h"

int main(int argc, char **argv) {
    if (argc == 2 && std::strcmp(argv[1], "show") == 0) {
        std::fputs(harness::DescribeAppPaths().c_str(), stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "remove") == 0)
        return harness::UnregisterManager() ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "set") == 0) {
        const std::string path = argv[2];
        const std::string folder = path.substr(0, path.find_last_of('\\'));
        return harness::RegisterManager(path) &&
                       harness::RegisterManagerRaw(REG_SZ, folder.c_str(),
                                                   static_cast<DWORD>(folder.size() + 1), "Path")
                   ? 0
                   : 1;
    }
    std::fputs("usage: app_paths show | set PATH | remove\n", stderr);
    return 2;
}
