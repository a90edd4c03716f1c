// Top-level windows with the titles given on its command line, as companion
// software would show them; ends when all of them have been closed. One
// process with one thread: Wine under an emulator copes badly with a test
// program whose windows live on a thread of their own.
#include <windows.h>

#include <cstdlib>

namespace {

int open_windows = 0;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY && --open_windows == 0) PostQuitMessage(0);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

} // namespace

int main(int argc, char **argv) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "HarnessDesktopWindow";
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    RegisterClassA(&wc);
    for (int i = 1; i < argc; ++i) {
        HWND hwnd = CreateWindowA(wc.lpszClassName, argv[i], WS_OVERLAPPEDWINDOW, 40 * i, 40 * i,
                                  320, 200, nullptr, nullptr, wc.hInstance, nullptr);
        ShowWindow(hwnd, SW_SHOWNORMAL);
        ++open_windows;
    }
    MSG msg;
    while (open_windows > 0 && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
