#include "ui/FrameWindow.h"

#include <commctrl.h>

#include <utility>
#include <vector>

namespace vm {
namespace {

// Handle -> object for every live frame window; the program has very few.
std::vector<std::pair<FrameWindow*, HWND>>& WindowMap() {
    static std::vector<std::pair<FrameWindow*, HWND>> map;
    return map;
}

FrameWindow* FindWindowObject(HWND hwnd) {
    for (const auto& entry : WindowMap()) {
        if (entry.second == hwnd && entry.first != nullptr) return entry.first;
    }
    return nullptr;
}

void RemoveWindowObject(FrameWindow* window) {
    for (auto& entry : WindowMap()) {
        if (entry.first == window) {
            entry = {nullptr, nullptr};
            return;
        }
    }
}

void AddWindowObject(FrameWindow* window, HWND hwnd) {
    for (auto& entry : WindowMap()) {
        if (entry.first == nullptr) {
            entry = {window, hwnd};
            return;
        }
    }
    WindowMap().emplace_back(window, hwnd);
}

}  // namespace

FrameWindow::FrameWindow(const char* className, HICON icon) : className_(className), icon_(icon) {}

FrameWindow::~FrameWindow() { RemoveWindowObject(this); }

bool FrameWindow::Create(const char* title, DWORD style, int x, int y, int width, int height) {
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
    return CreateWindowExA(0, className_.c_str(), title, style, x, y, width, height, nullptr,
                           nullptr, instance, this) != nullptr;
}

LRESULT CALLBACK FrameWindow::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* window = static_cast<FrameWindow*>(create->lpCreateParams);
        window->hwnd_ = hwnd;
        AddWindowObject(window, hwnd);
    }
    FrameWindow* window = FindWindowObject(hwnd);
    if (window == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
    const LRESULT result = window->WindowProc(message, wParam, lParam);
    if (message == WM_DESTROY) RemoveWindowObject(window);
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
            OnCreate();
            created_ = true;
            break;
        case WM_DESTROY:
        case WM_QUERYENDSESSION:
            OnDestroy();
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
            const LPARAM newState = enabled ? (state | TBSTATE_ENABLED) : (state & ~TBSTATE_ENABLED);
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
    RECT rect;
    if (!GetWindowRect(window, &rect)) return;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vm
