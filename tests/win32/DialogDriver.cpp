#include "DialogDriver.h"

#include <utility>

namespace vm {
namespace {

std::function<void(HWND)> gAction;
UINT_PTR gTimer = 0;
int gTicksLeft = 0;

BOOL CALLBACK FindEnabledDialog(HWND window, LPARAM found) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    // A modal dialog shows itself only once its loop first runs idle; until then its
    // controls are not visible to a user, nor to a driver that checks what a user sees.
    if (lstrcmpA(className, "#32770") == 0 && IsWindowEnabled(window) && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK OnDriverTimer(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindEnabledDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr && --gTicksLeft > 0) return;
    KillTimer(nullptr, gTimer);
    gTimer = 0;
    auto action = std::move(gAction);
    gAction = nullptr;
    if (dialog != nullptr && action) action(dialog);
}

}  // namespace

void WhenDialogOpens(std::function<void(HWND dialog)> action) {
    gAction = std::move(action);
    gTicksLeft = 500;  // about five seconds
    if (gTimer != 0) KillTimer(nullptr, gTimer);
    gTimer = SetTimer(nullptr, 0, 10, OnDriverTimer);
}

void ClickButton(HWND dialog, int controlId) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, controlId)));
}

std::string ItemText(HWND dialog, int controlId) {
    char text[4096] = {};
    GetDlgItemTextA(dialog, controlId, text, sizeof text);
    return text;
}

RECT ChildRect(HWND dialog, int controlId) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, controlId), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace vm
