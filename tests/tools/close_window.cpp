// Closes the program's main window the way a user would (WM_CLOSE), for tests of a normal
// exit. Only a window of a program started from the current folder counts: other tests in
// the same Wine prefix create main windows of their own. Waits up to the given seconds
// (default 20) for the window to appear, and then up to as long for it to go away.
// Usage: close_window.exe [seconds [endsession]]      Exit status 0 when the window closed.
// With "endsession" the window is told that the desktop session ends (WM_QUERYENDSESSION,
// then WM_ENDSESSION), as Windows does at log-off, instead of being closed; success then
// means the process has ended its message loop, which the caller sees by its exit.
// The test tool asks for a process's image name, which Windows has offered since Vista.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

char gWanted[MAX_PATH * 2];

BOOL CALLBACK FindOurWindow(HWND window, LPARAM found) {
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, "Velocimark") != 0) return TRUE;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) return TRUE;
    char image[MAX_PATH * 2] = {};
    DWORD size = sizeof image;
    const BOOL named = QueryFullProcessImageNameA(process, 0, image, &size);
    CloseHandle(process);
    if (named && lstrcmpiA(image, gWanted) == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, gWanted);
    if (length == 0 || length >= MAX_PATH) return 3;
    lstrcatA(gWanted, gWanted[length - 1] == '\\' ? "velocimark.exe" : "\\velocimark.exe");
    HWND window = nullptr;
    for (int i = 0; i < seconds * 10 && window == nullptr; ++i) {
        EnumWindows(FindOurWindow, reinterpret_cast<LPARAM>(&window));
        if (window == nullptr) Sleep(100);
    }
    if (window == nullptr) return 2;
    Sleep(500);  // let it finish its start-up
    if (argc > 2 && lstrcmpiA(argv[2], "endsession") == 0) {
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 20000,
                            &answer);
        SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 20000,
                            &answer);
        return 0;
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    for (int i = 0; i < seconds * 10; ++i) {
        if (!IsWindow(window)) return 0;
        Sleep(100);
    }
    return 1;
}
