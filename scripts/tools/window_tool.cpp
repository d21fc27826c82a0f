// Acts on the program's windows from outside, for screenshots. Waits up to 20 s for the
// main window (and up to 10 s for a dialog) to appear.
// Usage: window_tool.exe maximize | restore | close | size WIDTH HEIGHT
//                      | command ID            post a menu command to the main window
//                      | first-row             select the list's first row (as Home does)
//                      | dialog-size W H       resize the open dialog (1 1: its minimum)
//                      | dialog-rect FILE      write "x y width height" of the open dialog
//                      | dialog-close          cancel the open dialog
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct DialogSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    if (GetWindow(window, GW_OWNER) == search->owner && IsWindowVisible(window) &&
        IsWindowEnabled(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The dialog a command opened: the visible, enabled window the main window owns.
HWND WaitForDialog(HWND main) {
    for (int i = 0; i < 100; ++i) {
        DialogSearch search = {main, nullptr};
        EnumWindows(FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        Sleep(100);
    }
    return nullptr;
}

}  // namespace

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
    const char* verb = argv[1];
    if (std::strcmp(verb, "maximize") == 0) {
        ShowWindow(window, SW_MAXIMIZE);
    } else if (std::strcmp(verb, "restore") == 0) {
        ShowWindow(window, SW_RESTORE);
    } else if (std::strcmp(verb, "close") == 0) {
        PostMessageA(window, WM_CLOSE, 0, 0);
    } else if (std::strcmp(verb, "size") == 0 && argc > 3) {
        SetWindowPos(window, nullptr, 0, 0, std::atoi(argv[2]), std::atoi(argv[3]),
                     SWP_NOMOVE | SWP_NOZORDER);
    } else if (std::strcmp(verb, "command") == 0 && argc > 2) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(std::atoi(argv[2]), 0), 0);
    } else if (std::strcmp(verb, "first-row") == 0) {
        HWND list = FindWindowExA(window, nullptr, "SysListView32", nullptr);
        if (list == nullptr) return 2;
        PostMessageA(list, WM_KEYDOWN, VK_HOME, 0);
        PostMessageA(list, WM_KEYUP, VK_HOME, 0xC0000001);
    } else if (std::strcmp(verb, "graphmenu") == 0 || std::strcmp(verb, "graphtext") == 0) {
        HWND graph = GetDlgItem(window, 3100);  // IDC_SPEED_GRAPH
        if (graph == nullptr) return 3;
        if (verb[5] == 't') {
            char text[1024] = {};
            GetWindowTextA(graph, text, sizeof text);
            std::printf("%s\n", text);
            return 0;
        }
        RECT rect;
        GetWindowRect(graph, &rect);
        PostMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(graph),
                     MAKELPARAM(rect.left + 120, rect.top + 40));
    } else if (std::strncmp(verb, "dialog-", 7) == 0) {
        HWND dialog = WaitForDialog(window);
        if (dialog == nullptr) return 3;
        if (std::strcmp(verb, "dialog-size") == 0 && argc > 3) {
            // Sizing clamps to the dialog's minimum tracking size, as a drag does.
            SetWindowPos(dialog, nullptr, 0, 0, std::atoi(argv[2]), std::atoi(argv[3]),
                         SWP_NOMOVE | SWP_NOZORDER);
        } else if (std::strcmp(verb, "dialog-rect") == 0 && argc > 2) {
            RECT rect = {};
            GetWindowRect(dialog, &rect);
            FILE* out = std::fopen(argv[2], "w");
            if (out == nullptr) return 2;
            std::fprintf(out, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                         rect.bottom - rect.top);
            std::fclose(out);
        } else if (std::strcmp(verb, "dialog-close") == 0) {
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        } else {
            return 2;
        }
    } else {
        return 2;
    }
    return 0;
}
