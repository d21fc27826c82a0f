#pragma once
#include <windows.h>

#include "win32/window/CrashGuard.h"

namespace vm {

// A window's program object lives in the window's own data slot (GWLP_USERDATA for a frame,
// DWLP_USER for a dialog), set when the window is created and cleared when it goes.
template <typename Object>
Object* WindowObject(HWND hwnd, int slot) {
    return reinterpret_cast<Object*>(GetWindowLongPtrA(hwnd, slot));
}

inline void SetWindowObject(HWND hwnd, int slot, void* object) {
    SetWindowLongPtrA(hwnd, slot, reinterpret_cast<LONG_PTR>(object));
}

// Calls an object's procedure for one message inside the crash guard: one thunk for frames
// and dialogs.
template <typename Object, typename Result>
LRESULT RunGuardedProc(HWND hwnd, Object& object, Result (Object::*proc)(UINT, WPARAM, LPARAM),
                       UINT message, WPARAM wParam, LPARAM lParam) {
    struct Call {
        Object& object;
        Result (Object::*proc)(UINT, WPARAM, LPARAM);
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } call{object, proc, message, wParam, lParam};
    return RunGuarded(
        hwnd,
        [](void* context) -> LRESULT {
            auto* c = static_cast<Call*>(context);
            return static_cast<LRESULT>((c->object.*(c->proc))(c->message, c->wParam, c->lParam));
        },
        &call, nullptr);
}

}  // namespace vm
