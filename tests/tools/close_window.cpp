// Closes the program's main window the way a user would (WM_CLOSE), for tests of a normal
// exit. Waits up to the given seconds (default 20) for the window to appear, and then up
// to as long for it to go away.
// Usage: close_window.exe [seconds]      Exit status 0 when the window closed.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    HWND window = nullptr;
    for (int i = 0; i < seconds * 10 && window == nullptr; ++i) {
        window = FindWindowA("Velocimark", nullptr);
        if (window == nullptr) Sleep(100);
    }
    if (window == nullptr) return 2;
    Sleep(500);  // let it finish its start-up
    PostMessageA(window, WM_CLOSE, 0, 0);
    for (int i = 0; i < seconds * 10; ++i) {
        if (!IsWindow(window)) return 0;
        Sleep(100);
    }
    return 1;
}
