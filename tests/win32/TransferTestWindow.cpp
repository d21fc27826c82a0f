#include "TransferTestWindow.h"

#include <algorithm>

namespace vm::test {
namespace {

const char kClassName[] = "VelocimarkTransferTestWindow";

}  // namespace

LRESULT CALLBACK TransferTestWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    if (message == WM_TRANSFER_EVENT) {
        auto* self =
            reinterpret_cast<TransferTestWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self != nullptr)
            self->OnEvent(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam));
        return 0;
    }
    if (message == WM_TIMER) {
        auto* self =
            reinterpret_cast<TransferTestWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self != nullptr && self->onTimer) self->onTimer(static_cast<UINT_PTR>(wParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TransferTestWindow::TransferTestWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &TransferTestWindow::WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);  // fails harmlessly when already registered
    window_ = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                              nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TransferTestWindow::~TransferTestWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
    // Drop whatever is still queued for it.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_TRANSFER_EVENT, WM_TRANSFER_EVENT, PM_REMOVE)) {}
}

void TransferTestWindow::OnEvent(uint32_t code, uint32_t serial) {
    if (handler) {
        events.push_back({code, serial, 0});
        handler(code, serial);
        return;
    }
    const bool ours = transfer_ != nullptr && transfer_->Serial() == serial &&
                      ProcessTransfers().registry.IsLive(serial);
    if (ours && code >= kFirstInternalEvent) transfer_->HandleInternalEvent(code);
    events.push_back({code, serial, ours ? transfer_->BytesRead() : 0});
    if (ours && (code == EV_FINISHED || code == EV_FAILED)) ended_ = true;
}

void TransferTestWindow::DispatchWaiting(const std::function<bool()>& stop) {
    MSG msg;
    while (!stop() && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        const DWORD before = GetTickCount();
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        longestDispatchMs = std::max<DWORD>(longestDispatchMs, GetTickCount() - before);
    }
}

bool TransferTestWindow::PumpUntil(const std::function<bool()>& done, uint32_t timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        DispatchWaiting(done);
    }
    return true;
}

bool TransferTestWindow::PumpUntilEnd(uint32_t timeoutMs) {
    ended_ = false;
    for (const SeenEvent& e : events) {
        if (transfer_ != nullptr && e.serial == transfer_->Serial() &&
            (e.code == EV_FINISHED || e.code == EV_FAILED)) {
            return true;
        }
    }
    return PumpUntil([this] { return ended_; }, timeoutMs);
}

void TransferTestWindow::PumpFor(uint32_t ms) {
    const DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= ms; }, ms);
}

size_t TransferTestWindow::Count(uint32_t code) const {
    return static_cast<size_t>(std::count_if(events.begin(), events.end(),
                                             [&](const SeenEvent& e) { return e.code == code; }));
}

}  // namespace vm::test
