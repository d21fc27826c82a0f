#include "win32/engine/PostBehindInput.h"

#include <vector>

namespace vm {
namespace {

struct HeldMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// At most one held message per window (the latest); only the GUI thread touches this.
std::vector<HeldMessage> gHeld;

// An id no window of the program uses for its own timers.
constexpr UINT_PTR kHeldMessageTimer = 0x564D5245;  // "VMRE"

bool TakeHeld(HWND window, HeldMessage* taken) {
    for (auto it = gHeld.begin(); it != gHeld.end(); ++it) {
        if (it->window == window) {
            *taken = *it;
            gHeld.erase(it);
            return true;
        }
    }
    return false;
}

// A timer procedure gets its WM_TIMER straight from DispatchMessage, so the window
// procedure never sees it; and WM_TIMER comes after all input and paint messages.
void CALLBACK PostHeldMessage(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    HeldMessage held = {};
    if (TakeHeld(window, &held)) PostMessageA(held.window, held.message, held.wParam, held.lParam);
}

}  // namespace

bool PostBehindInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Nothing waiting: post at once, which costs no time.
    if (HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT | QS_TIMER)) == 0)
        return PostMessageA(window, message, wParam, lParam) != FALSE;
    HeldMessage previous = {};
    TakeHeld(window, &previous);
    gHeld.push_back({window, message, wParam, lParam});
    if (SetTimer(window, kHeldMessageTimer, USER_TIMER_MINIMUM, &PostHeldMessage) != 0) return true;
    TakeHeld(window, &previous);
    return PostMessageA(window, message, wParam, lParam) != FALSE;
}

}  // namespace vm
