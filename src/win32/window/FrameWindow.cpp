#include "win32/window/FrameWindow.h"

#include <commctrl.h>

#include "win32/lang/DialogTranslation.h"
#include "win32/window/WindowObject.h"

namespace vm {

FrameWindow::FrameWindow(const char* className, HICON icon) : className_(className), icon_(icon) {}

FrameWindow::~FrameWindow() {
    // A window that outlives its object no longer reaches it.
    if (hwnd_ != nullptr && WindowObject<FrameWindow>(hwnd_, GWLP_USERDATA) == this) {
        SetWindowObject(hwnd_, GWLP_USERDATA, nullptr);
    }
}

bool FrameWindow::Create(const char* title, DWORD style, int x, int y, int width, int height,
                         HWND parent) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = StaticWindowProc;
    wc.hInstance = instance;
    wc.hIcon = icon_;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className_.c_str();
    WNDCLASSA existing;
    if (!GetClassInfoA(instance, className_.c_str(), &existing) && !RegisterClassA(&wc)) {
        return false;
    }
    return CreateWindowExA(0, className_.c_str(), title, style, x, y, width, height, parent,
                           nullptr, instance, this) != nullptr;
}

LRESULT CALLBACK FrameWindow::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* window = static_cast<FrameWindow*>(create->lpCreateParams);
        window->hwnd_ = hwnd;
        SetWindowObject(hwnd, GWLP_USERDATA, window);
    }
    FrameWindow* window = WindowObject<FrameWindow>(hwnd, GWLP_USERDATA);
    if (window == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
    const LRESULT result =
        RunGuardedProc(hwnd, *window, &FrameWindow::WindowProc, message, wParam, lParam);
    if (message == WM_DESTROY) SetWindowObject(hwnd, GWLP_USERDATA, nullptr);
    return result;
}

LRESULT FrameWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return Dispatch(message, wParam, lParam);
}

LRESULT FrameWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    handled_ = false;
    lastMessage_ = message;
    lastWParam_ = wParam;
    lastLParam_ = lParam;
    switch (message) {
        case WM_CREATE:
            ApplyRtlLayout(hwnd_, 0);
            OnCreate();
            created_ = true;
            break;
        case WM_DESTROY:
            OnDestroy();
            break;
        case WM_QUERYENDSESSION:
            OnEndSession();
            break;
        case WM_ENDSESSION:
            if (wParam) OnEndSession();
            break;
        case WM_SIZE:
            OnSize();
            break;
        case WM_NOTIFY:
            OnNotify(wParam, lParam);
            break;
        case WM_COMMAND:
            OnCommand(HIWORD(wParam), wParam, lParam);
            break;
        default:
            break;
    }
    if (handled_) return result_;
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void FrameWindow::SetResult(LRESULT result) {
    handled_ = true;
    result_ = result;
}

void FrameWindow::OnCommand(UINT, WPARAM, LPARAM) {}
void FrameWindow::OnNotify(WPARAM, LPARAM) {}
void FrameWindow::OnDestroy() {}
void FrameWindow::OnEndSession() { OnDestroy(); }
void FrameWindow::OnSize() {}
void FrameWindow::OnCreate() {}

void FrameWindow::EnableCommand(int menuPosition, UINT commandId, bool enabled) {
    HMENU menu = GetMenu(hwnd_);
    HMENU sub = menu != nullptr ? GetSubMenu(menu, menuPosition) : nullptr;
    if (sub != nullptr) {
        EnableMenuItem(sub, commandId, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    }
    if (toolbar_ != nullptr) {
        const LRESULT state = SendMessageA(toolbar_, TB_GETSTATE, commandId, 0);
        if (state != -1) {
            const LPARAM newState =
                enabled ? (state | TBSTATE_ENABLED) : (state & ~TBSTATE_ENABLED);
            if (newState != state) SendMessageA(toolbar_, TB_SETSTATE, commandId, newState);
        }
    }
}

void FrameWindow::CheckCommand(int menuPosition, UINT commandId, bool checked) {
    HMENU menu = GetMenu(hwnd_);
    HMENU sub = menu != nullptr ? GetSubMenu(menu, menuPosition) : nullptr;
    if (sub != nullptr) {
        CheckMenuItem(sub, commandId, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

int AskYesNo(HWND owner, const char* text) {
    return MessageBoxA(owner, text, "Velocimark", MB_ICONQUESTION | MB_YESNO);
}

void CenterOnScreen(HWND window) {
    int screenWidth = GetSystemMetrics(SM_CXFULLSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYFULLSCREEN);
    if (screenWidth == 0 || screenHeight == 0) {
        HDC screen = GetDC(nullptr);
        screenWidth = GetDeviceCaps(screen, HORZRES);
        screenHeight = GetDeviceCaps(screen, VERTRES);
        ReleaseDC(nullptr, screen);
    }
    RECT rect;
    if (!GetWindowRect(window, &rect)) return;
    MoveWindow(window, (rect.left + screenWidth - rect.right - 1) / 2,
               (rect.top + screenHeight - rect.bottom - 1) / 2, rect.right - rect.left + 1,
               rect.bottom - rect.top + 1, TRUE);
}

}  // namespace vm
