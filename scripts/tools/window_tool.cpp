// Acts on the program's main window from outside, for screenshots: maximise, restore,
// resize or close it. Waits up to 20 s for the window to appear.
// Usage: window_tool.exe maximize | restore | close | size WIDTH HEIGHT | command ID |
//        graphmenu (opens the speed graph's context menu) | graphtext (prints its text) |
//        waitgone (waits up to 20 s for the window to close)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    if (std::strcmp(argv[1], "waitgone") == 0) {  // the window has closed (or never came)
        for (int i = 0; i < 200 && FindWindowA("Velocimark", nullptr) != nullptr; ++i) Sleep(100);
        return FindWindowA("Velocimark", nullptr) == nullptr ? 0 : 1;
    }
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
    } else if (std::strcmp(argv[1], "command") == 0 && argc > 2) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(std::atoi(argv[2]), 0), 0);
    } else if (std::strcmp(argv[1], "graphmenu") == 0 || std::strcmp(argv[1], "graphtext") == 0) {
        HWND graph = GetDlgItem(window, 3100);  // IDC_SPEED_GRAPH
        if (graph == nullptr) return 3;
        if (argv[1][5] == 't') {
            char text[1024] = {};
            GetWindowTextA(graph, text, sizeof text);
            std::printf("%s\n", text);
            return 0;
        }
        RECT rect;
        GetWindowRect(graph, &rect);
        PostMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(graph),
                     MAKELPARAM(rect.left + 120, rect.top + 40));
    } else {
        return 2;
    }
    return 0;
}
