// Acts on the program's main window from outside, for screenshots: maximise, restore,
// resize or close it. Waits up to 20 s for the window to appear.
// Usage: window_tool.exe maximize | restore | close | size WIDTH HEIGHT
#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    HWND window = nullptr;
    for (int i = 0; i < 200 && window == nullptr; ++i) {
        window = FindWindowA("Velocimark", nullptr);
        if (window == nullptr) Sleep(100);
    }
    if (window == nullptr) return 2;
    if (std::strcmp(argv[1], "maximize") == 0) {
        ShowWindow(window, SW_MAXIMIZE);
    } else if (std::strcmp(argv[1], "restore") == 0) {
        ShowWindow(window, SW_RESTORE);
    } else if (std::strcmp(argv[1], "close") == 0) {
        PostMessageA(window, WM_CLOSE, 0, 0);
    } else if (std::strcmp(argv[1], "size") == 0 && argc > 3) {
        SetWindowPos(window, nullptr, 0, 0, std::atoi(argv[2]), std::atoi(argv[3]),
                     SWP_NOMOVE | SWP_NOZORDER);
    } else {
        return 2;
    }
    return 0;
}
