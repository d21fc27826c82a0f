#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "core/engine/DownloadTransfer.h"
#include "core/engine/TransferEvent.h"
#include "win32/engine/ProcessTransfers.h"

namespace vm::test {

// One event as the receiving window saw it.
struct SeenEvent {
    uint32_t code;
    uint32_t serial;
    uint64_t bytes;  // the transfer's count when the event was handled
};

// A hidden message-only window that receives transfer events, hands the internal steps
// back to the transfer (as the main window does) and records everything.
class TransferTestWindow {
public:
    TransferTestWindow();
    ~TransferTestWindow();

    HWND Handle() const { return window_; }
    uintptr_t Id() const { return reinterpret_cast<uintptr_t>(window_); }

    // The transfer that receives the internal steps; events of other serials are recorded
    // but not handled.
    void Attach(DownloadTransfer* transfer) { transfer_ = transfer; }

    // Pumps messages until the attached transfer posts EV_FINISHED or EV_FAILED, or the
    // time is up. True when it ended in time.
    bool PumpUntilEnd(uint32_t timeoutMs);
    // Pumps messages for a while.
    void PumpFor(uint32_t ms);

    // When set, every event goes here instead (a test run hosted by this window).
    std::function<void(uint32_t code, uint32_t serial)> handler;
    // The window's own timers (SetTimer on Handle() without a timer procedure).
    std::function<void(UINT_PTR id)> onTimer;
    // The longest single message dispatch seen while pumping: how long the window froze.
    DWORD longestDispatchMs = 0;
    // Pumps messages until the condition holds or the time is up; true when it held.
    bool PumpUntil(const std::function<bool()>& done, uint32_t timeoutMs);

    std::vector<SeenEvent> events;
    size_t Count(uint32_t code) const;
    uint32_t LastCode() const { return events.empty() ? 0 : events.back().code; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnEvent(uint32_t code, uint32_t serial);
    void DispatchWaiting(const std::function<bool()>& stop);

    HWND window_ = nullptr;
    DownloadTransfer* transfer_ = nullptr;
    bool ended_ = false;
};

// An environment variable, or "" when it is not set.
inline std::string EnvText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace vm::test
