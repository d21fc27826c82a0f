#include "win32/window/DialogLayout.h"

#include <algorithm>

namespace vm {

void DialogLayout::Capture(HWND dialog) {
    dialog_ = dialog;
    GetClientRect(dialog, &client_);
    RECT window = {};
    GetWindowRect(dialog, &window);
    opened_ = {window.right - window.left, window.bottom - window.top};
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
                            r.right - r.left + fw * dx, r.bottom - r.top + fh * dy, SWP_NOZORDER);
}

void DialogLayout::End(HDWP batch) {
    if (batch != nullptr) EndDeferWindowPos(batch);
    if (dialog_ == nullptr) return;  // a null window would mean the whole desktop
    InvalidateRect(dialog_, &grip_, TRUE);
    RedrawWindow(dialog_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

RECT DialogLayout::GripRect() const {
    RECT client = {};
    GetClientRect(dialog_, &client);
    return {client.right - GetSystemMetrics(SM_CXHSCROLL),
            client.bottom - GetSystemMetrics(SM_CYVSCROLL), client.right, client.bottom};
}

LRESULT DialogLayout::GripHitTest(LPARAM screenPoint) const {
    if (dialog_ == nullptr) return HTNOWHERE;
    // Signed: a second monitor left of or above the first has negative coordinates.
    POINT point = {static_cast<short>(LOWORD(screenPoint)),
                   static_cast<short>(HIWORD(screenPoint))};
    // A mirrored client area counts from its right edge, so the grip's rectangle is the
    // same in client terms and only the corner's name changes.
    if (!ScreenToClient(dialog_, &point)) return HTNOWHERE;
    const RECT grip = GripRect();
    if (!PtInRect(&grip, point)) return HTNOWHERE;
    const bool mirrored = (GetWindowLongA(dialog_, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    return mirrored ? HTBOTTOMLEFT : HTBOTTOMRIGHT;
}

bool DialogLayout::AnswerGripHitTest(LPARAM screenPoint) const {
    const LRESULT hit = GripHitTest(screenPoint);
    if (hit == HTNOWHERE) return false;
    SetWindowLongPtrA(dialog_, DWLP_MSGRESULT, hit);
    return true;
}

void DialogLayout::PaintGrip() {
    grip_ = GripRect();
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog_, &paint);
    DrawFrameControl(dc, &grip_, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    EndPaint(dialog_, &paint);
}

SIZE DialogUnitsWindowSize(HWND dialog, int widthDlu, int heightDlu) {
    RECT rect = {0, 0, widthDlu, heightDlu};
    MapDialogRect(dialog, &rect);
    AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE)));
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void SetMinimumTrackSize(LPARAM minMaxInfo, int width, int height) {
    auto* info = reinterpret_cast<MINMAXINFO*>(minMaxInfo);
    info->ptMinTrackSize.x = width;
    info->ptMinTrackSize.y = height;
}

void SetMinimumTrackSize(LPARAM minMaxInfo, int width, int height, const DialogLayout& layout,
                         bool keepOpenedWidth, bool keepOpenedHeight) {
    const SIZE opened = layout.OpenedSize();
    SetMinimumTrackSize(minMaxInfo, keepOpenedWidth ? std::max<int>(width, opened.cx) : width,
                        keepOpenedHeight ? std::max<int>(height, opened.cy) : height);
}

}  // namespace vm
