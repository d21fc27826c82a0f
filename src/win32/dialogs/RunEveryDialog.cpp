#include "win32/dialogs/RunEveryDialog.h"

#include "core/app/WatchSchedule.h"
#include "core/base/NumberText.h"
#include "core/lang/StringTable.h"
#include "resource.h"
#include "win32/window/FrameWindow.h"

namespace vm {
namespace {

constexpr int kMinutesTextCapacity = 32;

}  // namespace

RunEveryDialog::RunEveryDialog(const Data& data) : CommandDialog(IDD_RUN_EVERY), data_(data) {}

INT_PTR RunEveryDialog::OnInitDialog() {
    HWND dialog = Handle();
    SetWindowTextA(dialog, GetString(IDS_WATCH_TITLE));
    SetDlgItemTextA(dialog, IDC_RUN_EVERY_LABEL, GetString(IDS_WATCH_MINUTES));
    SetDlgItemTextA(dialog, IDC_RUN_EVERY_TRAY, GetString(IDS_WATCH_KEEP_IN_TRAY));
    SetDlgItemInt(dialog, IDC_RUN_EVERY_MINUTES, static_cast<UINT>(data_.minutes), FALSE);
    CheckDlgButton(dialog, IDC_RUN_EVERY_TRAY, data_.keepInTray ? BST_CHECKED : BST_UNCHECKED);
    CenterOnScreen(dialog);
    return TRUE;
}

INT_PTR RunEveryDialog::OnCommand(UINT code, WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) != IDOK) return CommandDialog::OnCommand(code, wParam, lParam);
    char text[kMinutesTextCapacity] = {};
    GetDlgItemTextA(Handle(), IDC_RUN_EVERY_MINUTES, text, sizeof text);
    int32_t minutes = 0;
    if (!ParsePlainDecimalInt(text, &minutes) || minutes < 0 || minutes > kMaxWatchMinutes) {
        MessageBoxA(Handle(), GetString(IDS_WATCH_BAD_MINUTES), "Velocimark", MB_ICONWARNING);
        SetFocus(Item(IDC_RUN_EVERY_MINUTES));
        return TRUE;
    }
    data_.minutes = minutes;
    data_.keepInTray = IsDlgButtonChecked(Handle(), IDC_RUN_EVERY_TRAY) == BST_CHECKED;
    EndDialog(Handle(), IDOK);
    return TRUE;
}

}  // namespace vm
