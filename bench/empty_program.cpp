// A program that does nothing but end: what starting any program with a given
// set of imports costs where the benchmark runs, to set the launcher's and
// the peer's start-up figures against. Built with KERNEL32 alone, with the
// launcher's DLLs, and with the NSIS peer's.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

// Referenced, never called: an import is enough to have its DLL loaded.
extern "C" __attribute__((used)) void *const kImports[] = {
#if defined(IMPORT_LIKE_THE_LAUNCHER) || defined(IMPORT_LIKE_THE_PEER)
    reinterpret_cast<void *>(&FindWindowA),        reinterpret_cast<void *>(&RegCloseKey),
#endif
#ifdef IMPORT_LIKE_THE_PEER
    reinterpret_cast<void *>(&InitCommonControls), reinterpret_cast<void *>(&GetStockObject),
    reinterpret_cast<void *>(&CoInitialize),       reinterpret_cast<void *>(&ShellExecuteA),
#endif
    reinterpret_cast<void *>(&ExitProcess),
};

extern "C" void __stdcall start() { ExitProcess(0); }
