#include "win32/dialogs/FindDialog.h"

namespace vm {
namespace {

static_assert(FR_DOWN == kFindDown && FR_WHOLEWORD == kFindWholeWord &&
                  FR_MATCHCASE == kFindMatchCase && FR_FINDNEXT == kFindNextRequest &&
                  FR_DIALOGTERM == kFindDialogClosing,
              "the request bits are the common dialog's");
static_assert(sizeof(FINDREPLACEA) == 40, "the request block of the 32-bit program");

HWND gFindDialog = nullptr;

}  // namespace

FindDialog::FindDialog() = default;

FindDialog::~FindDialog() {
    if (window_ != nullptr) {
        if (gFindDialog == window_) gFindDialog = nullptr;
        DestroyWindow(window_);  // the block it points at goes away with this object
    }
}

bool FindDialog::Open(HWND owner) {
    if (gFindDialog != nullptr) return false;
    block_ = {};
    block_.lStructSize = sizeof block_;
    block_.hwndOwner = owner;
    block_.hInstance = GetModuleHandleA(nullptr);
    block_.Flags = FR_DOWN;
    block_.lpstrFindWhat = text_;
    block_.wFindWhatLen = static_cast<WORD>(kFindTextAnnouncedBytes);
    HWND dialog = FindTextA(&block_);
    if (dialog == nullptr) return false;
    window_ = dialog;
    gFindDialog = dialog;
    return true;
}

FindAction FindDialog::OnRequest(LPARAM lParam, FindRequest* request) {
    const auto* block = reinterpret_cast<const FINDREPLACEA*>(lParam);
    if (block == nullptr) return FindAction::None;
    const FindAction action = FindActionOf(block->Flags);
    if (action == FindAction::Closed) {
        if (gFindDialog == window_) gFindDialog = nullptr;
        window_ = nullptr;
    } else if (action == FindAction::Search && request != nullptr) {
        *request = FindRequestOf(block->Flags, block->lpstrFindWhat, sizeof text_);
    }
    return action;
}

HWND ActiveFindDialog() { return gFindDialog; }

bool IsFindDialogMessage(const MSG& msg) {
    return gFindDialog != nullptr && (msg.hwnd == gFindDialog || IsChild(gFindDialog, msg.hwnd));
}

}  // namespace vm
