// Closes the program's main window the way a user would (WM_CLOSE), for tests of a normal
// exit. Only a window of a program started from the current folder counts: other tests in
// the same Wine prefix create main windows of their own. Waits up to the given seconds
// (default 20) for the window to appear, and then up to as long for it to go away.
// Usage: close_window.exe [seconds] [--boxes FILE] [--keep] [endsession]
// Exit status 0 when the window closed. With --boxes, every message box of that program
// is answered with OK, its text appended to FILE first (one box a line, line breaks as
// " | "); with --keep the window is not closed, only its boxes answered until the program
// has no window left (an export run that ends by itself). With "endsession" the window is
// told that the desktop session ends (WM_QUERYENDSESSION, then WM_ENDSESSION), as Windows
// does at log-off, instead of being closed; the caller sees the program's end by its exit.
// The test tool asks for a process's image name, which Windows has offered since Vista.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

char gWanted[MAX_PATH * 2];
const char* gClass = "Velocimark";

BOOL CALLBACK FindOurWindow(HWND window, LPARAM found) {
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpA(className, gClass) != 0) return TRUE;
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

HWND FindWindowOfClass(const char* className) {
    gClass = className;
    HWND found = nullptr;
    EnumWindows(FindOurWindow, reinterpret_cast<LPARAM>(&found));
    gClass = "Velocimark";
    return found;
}

// Answers the program's open message boxes with OK, their texts appended to the file.
void AnswerBoxes(const char* logPath) {
    if (logPath == nullptr) return;
    for (int i = 0; i < 10; ++i) {
        HWND box = FindWindowOfClass("#32770");
        if (box == nullptr || !IsWindowVisible(box)) return;
        char text[4096] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        for (char* c = text; *c != '\0'; ++c) {
            if (*c == '\r') *c = ' ';
            if (*c == '\n') *c = '|';
        }
        HANDLE log = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (log != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(log, text, lstrlenA(text), &written, nullptr);
            WriteFile(log, "\n", 1, &written, nullptr);
            CloseHandle(log);
        }
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        for (int wait = 0; wait < 50 && IsWindow(box); ++wait) Sleep(100);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    const char* boxLog = nullptr;
    bool keep = false;
    bool endSession = false;
    for (int i = 2; i < argc; ++i) {
        if (lstrcmpA(argv[i], "--boxes") == 0 && i + 1 < argc) boxLog = argv[++i];
        if (lstrcmpA(argv[i], "--keep") == 0) keep = true;
        if (lstrcmpiA(argv[i], "endsession") == 0) endSession = true;
    }
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, gWanted);
    if (length == 0 || length >= MAX_PATH) return 3;
    lstrcatA(gWanted, gWanted[length - 1] == '\\' ? "velocimark.exe" : "\\velocimark.exe");
    HWND window = nullptr;
    for (int i = 0; i < seconds * 10 && window == nullptr; ++i) {
        window = FindWindowOfClass("Velocimark");
        if (window == nullptr) Sleep(100);
    }
    if (window == nullptr) return 2;
    Sleep(500);  // let it finish its start-up
    if (endSession) {
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 20000,
                            &answer);
        SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 20000,
                            &answer);
        return 0;
    }
    AnswerBoxes(boxLog);
    if (!keep) {
        Sleep(300);
        AnswerBoxes(boxLog);
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    for (int i = 0; i < seconds * 10; ++i) {
        if (!IsWindow(window)) return 0;
        AnswerBoxes(boxLog);
        Sleep(100);
    }
    return 1;
}
