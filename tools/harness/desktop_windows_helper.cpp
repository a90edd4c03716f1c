// The helper program desktop_windows.exe: top-level windows with the titles
// given on its command line, as the field software would show them; ends
// when all of them have been closed. With
// --hung first, the windows are shown and then never served again, as by an
// application that has stopped responding. One
// process with one thread: Wine under an emulator copes badly with a test
// program whose windows live on a thread of their own. Each window counts the
// times it was minimized in its user data, which another process can read.
#include <windows.h>

#include <cstring>

#include "desktop_windows.h"

namespace {

int open_windows = 0;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY && --open_windows == 0) PostQuitMessage(0);
    if (msg == WM_SIZE && wp == SIZE_MINIMIZED)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, GetWindowLongPtrA(hwnd, GWLP_USERDATA) + 1);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

} // namespace

int main(int argc, char **argv) {
    const bool hung = argc > 1 && std::strcmp(argv[1], "--hung") == 0;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = harness::kDesktopWindowClass;
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    RegisterClassA(&wc);
    for (int i = hung ? 2 : 1; i < argc; ++i) {
        HWND hwnd = CreateWindowA(wc.lpszClassName, argv[i], WS_OVERLAPPEDWINDOW, 40 * i, 40 * i,
                                  320, 200, nullptr, nullptr, wc.hInstance, nullptr);
        ShowWindow(hwnd, SW_SHOWNORMAL);
        ++open_windows;
    }
    MSG msg;
    if (hung) {
        // Let the windows show themselves, then stop answering for good.
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(INFINITE);
    }
    while (open_windows > 0 && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
