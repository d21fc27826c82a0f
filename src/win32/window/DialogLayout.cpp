#include "win32/window/DialogLayout.h"

namespace vm {

void DialogLayout::Capture(HWND dialog) {
    dialog_ = dialog;
    GetClientRect(dialog, &client_);
    count_ = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr && count_ < kMaxControls;
         child = GetWindow(child, GW_HWNDNEXT)) {
        Entry& entry = entries_[count_++];
        entry.control = child;
        GetWindowRect(child, &entry.rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&entry.rect), 2);
    }
}

HDWP DialogLayout::Begin() const { return BeginDeferWindowPos(static_cast<int>(count_)); }

void DialogLayout::Move(HDWP* batch, int controlId, int fx, int fy, int fw, int fh) const {
    HWND control = GetDlgItem(dialog_, controlId);
    if (control == nullptr || *batch == nullptr) return;
    const Entry* found = nullptr;
    for (size_t i = 0; i < count_; ++i) {
        if (entries_[i].control == control) {
            found = &entries_[i];
            break;
        }
    }
    if (found == nullptr) return;
    RECT now;
    GetClientRect(dialog_, &now);
    const int dx = now.right - client_.right;
    const int dy = now.bottom - client_.bottom;
    const RECT& r = found->rect;
    *batch = DeferWindowPos(*batch, control, nullptr, r.left + fx * dx, r.top + fy * dy,
                            r.right - r.left + fw * dx, r.bottom - r.top + fh * dy,
                            SWP_NOZORDER);
}

void DialogLayout::End(HDWP batch) {
    if (batch != nullptr) EndDeferWindowPos(batch);
    InvalidateRect(dialog_, &grip_, TRUE);
}

void DialogLayout::PaintGrip() {
    RECT client;
    GetClientRect(dialog_, &client);
    grip_ = {client.right - GetSystemMetrics(SM_CXHSCROLL),
             client.bottom - GetSystemMetrics(SM_CYVSCROLL), client.right, client.bottom};
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog_, &paint);
    DrawFrameControl(dc, &grip_, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    EndPaint(dialog_, &paint);
}

void SetMinimumTrackSize(LPARAM minMaxInfo, int width, int height) {
    auto* info = reinterpret_cast<MINMAXINFO*>(minMaxInfo);
    info->ptMinTrackSize.x = width;
    info->ptMinTrackSize.y = height;
}

}  // namespace vm
