// Gives the program's main window a menu command again and again, as a user clicking it
// would, for stress runs (bench/stress-run.sh): waits up to 20 s for the window, then posts
// WM_COMMAND ID every MS milliseconds, COUNT times or until the window has gone. Only one
// program may run in the prefix: the window is found by its class.
// Usage: post_command.exe ID MS COUNT
// Exit status 0 when the window was found.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const WPARAM id = static_cast<WPARAM>(std::strtoul(argv[1], nullptr, 10));
    const DWORD ms = std::strtoul(argv[2], nullptr, 10);
    const long count = std::strtol(argv[3], nullptr, 10);
    HWND window = nullptr;
    for (int i = 0; i < 200 && window == nullptr; ++i) {
        window = FindWindowA("Velocimark", nullptr);
        if (window == nullptr) Sleep(100);
    }
    if (window == nullptr) return 1;
    for (long i = 0; i < count && IsWindow(window); ++i) {
        Sleep(ms);
        PostMessageA(window, WM_COMMAND, id, 0);
    }
    return 0;
}
