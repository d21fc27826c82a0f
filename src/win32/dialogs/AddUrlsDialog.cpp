#include "win32/dialogs/AddUrlsDialog.h"

#include "resource.h"

namespace vm {

AddUrlsDialog::AddUrlsDialog() : CommandDialog(IDD_ADD_URLS) {}

INT_PTR AddUrlsDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            Arrange();
            return 0;
        case WM_GETMINMAXINFO: {
            // The instruction texts keep their template width; only the edit gives way.
            const SIZE minimum =
                DialogUnitsWindowSize(Handle(), kAddUrlsMinWidthDlu, kAddUrlsMinHeightDlu);
            SetMinimumTrackSize(lParam, minimum.cx, minimum.cy, layout_, true, false);
            return 0;
        }
        case WM_NCHITTEST:
            if (layout_.AnswerGripHitTest(lParam)) return TRUE;
            break;
        case WM_PAINT:
            if (layout_.Count() == 0) break;
            layout_.PaintGrip();
            return TRUE;
        default:
            break;
    }
    return CommandDialog::DialogProc(message, wParam, lParam);
}

INT_PTR AddUrlsDialog::OnInitDialog() {
    layout_.Capture(Handle());
    // A multi-line edit holds 32K characters unless told otherwise; a pasted list is longer.
    SendDlgItemMessageA(Handle(), IDC_ADD_URLS_EDIT, EM_LIMITTEXT, 0, 0);
    CommandDialog::OnInitDialog();
    SetFocus(Item(IDC_ADD_URLS_EDIT));
    return FALSE;  // the focus is set
}

void AddUrlsDialog::Arrange() {
    if (layout_.Count() == 0) return;
    HDWP batch = layout_.Begin();
    layout_.Move(&batch, IDC_ADD_URLS_EDIT, 0, 0, 1, 1);
    layout_.Move(&batch, IDOK, 1, 1, 0, 0);
    layout_.Move(&batch, IDCANCEL, 1, 1, 0, 0);
    layout_.End(batch);
}

void AddUrlsDialog::DataExchange(bool toControls) {
    if (toControls) return;
    HWND edit = Item(IDC_ADD_URLS_EDIT);
    const int length = GetWindowTextLengthA(edit);
    text_.assign(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    const int got = GetWindowTextA(edit, &text_[0], static_cast<int>(text_.size()));
    text_.resize(got > 0 ? static_cast<size_t>(got) : 0);
}

}  // namespace vm
