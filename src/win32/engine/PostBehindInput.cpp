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

// The held messages, each once (a download on several connections holds one per
// connection); only the GUI thread touches this.
std::vector<HeldMessage> gHeld;
// More than every connection of a download could hold: past it, messages go at once.
constexpr size_t kMaxHeldMessages = 64;

// An id no window of the program uses for its own timers.
constexpr UINT_PTR kHeldMessageTimer = 0x564D5245;  // "VMRE"

bool IsHeld(const HeldMessage& m) {
    for (const HeldMessage& held : gHeld) {
        if (held.window == m.window && held.message == m.message && held.wParam == m.wParam &&
            held.lParam == m.lParam)
            return true;
    }
    return false;
}

// A timer procedure gets its WM_TIMER straight from DispatchMessage, so the window
// procedure never sees it; and WM_TIMER comes after all input and paint messages.
void CALLBACK PostHeldMessages(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    std::vector<HeldMessage> due;
    for (auto it = gHeld.begin(); it != gHeld.end();) {
        if (it->window == window) {
            due.push_back(*it);
            it = gHeld.erase(it);
        } else {
            ++it;
        }
    }
    for (const HeldMessage& held : due)
        PostMessageA(held.window, held.message, held.wParam, held.lParam);
}

}  // namespace

bool PostBehindInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Nothing waiting: post at once, which costs no time.
    if (HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT | QS_TIMER)) == 0)
        return PostMessageA(window, message, wParam, lParam) != FALSE;
    const HeldMessage held = {window, message, wParam, lParam};
    if (IsHeld(held)) return true;
    if (gHeld.size() < kMaxHeldMessages &&
        SetTimer(window, kHeldMessageTimer, USER_TIMER_MINIMUM, &PostHeldMessages) != 0) {
        gHeld.push_back(held);
        return true;
    }
    return PostMessageA(window, message, wParam, lParam) != FALSE;
}

}  // namespace vm
