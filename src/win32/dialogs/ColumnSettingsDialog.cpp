#include "win32/dialogs/ColumnSettingsDialog.h"

#include <commctrl.h>

#include "core/list/DownloadColumns.h"
#include "core/list/DownloadListView.h"
#include "resource.h"

namespace vm {
namespace {

constexpr DWORD kCheckListStyle = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES;
constexpr int kCheckListColumnWidth = 200;
constexpr size_t kMaxColumnTitle = 255;
constexpr UINT kStateImageUnchecked = 1;
constexpr UINT kStateImageChecked = 2;

UINT CheckStateBits(bool checked) {
    return INDEXTOSTATEIMAGEMASK(checked ? kStateImageChecked : kStateImageUnchecked);
}

bool IsCheckedState(UINT state) {
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(kStateImageChecked);
}

}  // namespace

ColumnSettingsDialog::ColumnSettingsDialog(ColumnSettings& settings,
                                           std::vector<std::string> titles)
    : CommandDialog(IDD_COLUMN_SETTINGS), settings_(settings), titles_(std::move(titles)) {}

INT_PTR ColumnSettingsDialog::OnInitDialog() {
    SendDlgItemMessageA(Handle(), IDC_COLUMNS_WIDTH, EM_LIMITTEXT, kMaxTypedWidthDigits, 0);
    settings_.Fill();
    FillList();
    CommandDialog::OnInitDialog();
    SetFocus(Item(IDC_COLUMNS_LIST));
    return FALSE;  // the focus is set
}

void ColumnSettingsDialog::FillList() {
    HWND list = Item(IDC_COLUMNS_LIST);
    writingRows_ = true;
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    while (SendMessageA(list, LVM_DELETECOLUMN, 0, 0)) {}
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, kCheckListStyle);
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH;
    column.cx = kCheckListColumnWidth;
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    for (size_t row = 0; row < settings_.RowCount(); ++row) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(row);
        item.pszText = const_cast<char*>("");
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    writingRows_ = false;
    ShowRows();
}

void ColumnSettingsDialog::ShowRows() {
    HWND list = Item(IDC_COLUMNS_LIST);
    writingRows_ = true;
    for (size_t row = 0; row < settings_.RowCount(); ++row) {
        const ColumnSettingsRow& r = settings_.Row(row);
        const size_t column = static_cast<size_t>(r.column);
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
        item.iItem = static_cast<int>(row);
        item.pszText = const_cast<char*>(column < titles_.size() ? titles_[column].c_str() : "");
        item.lParam = r.column;
        item.stateMask = LVIS_STATEIMAGEMASK | LVIS_SELECTED | LVIS_FOCUSED;
        item.state = CheckStateBits(r.checked) | (r.selected ? LVIS_SELECTED | LVIS_FOCUSED : 0);
        SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    writingRows_ = false;
    size_t selected = 0;
    if (settings_.SingleSelectedRow(&selected)) {
        SendMessageA(list, LVM_ENSUREVISIBLE, selected, FALSE);
        UpdateButtons(selected, true);
    }
}

INT_PTR ColumnSettingsDialog::OnCommand(UINT code, WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (code == EN_CHANGE && id == IDC_COLUMNS_WIDTH) {
        if (!settingWidth_) {
            char text[16] = {};
            GetDlgItemTextA(Handle(), IDC_COLUMNS_WIDTH, text, sizeof text);
            settings_.TypeWidth(text);
        }
        return 0;
    }
    if (code != BN_CLICKED) return CommandDialog::OnCommand(code, wParam, lParam);
    switch (id) {
        case IDC_COLUMNS_MOVE_UP:
            settings_.MoveUp();
            ShowRows();
            return 0;
        case IDC_COLUMNS_MOVE_DOWN:
            settings_.MoveDown();
            ShowRows();
            return 0;
        case IDC_COLUMNS_SHOW:
        case IDC_COLUMNS_HIDE:
            settings_.CheckSelected(id == IDC_COLUMNS_SHOW);
            ShowRows();
            return 0;
        case IDC_COLUMNS_DEFAULT:
            settings_.RestoreDefaults();
            FillList();
            SetFocus(Item(IDC_COLUMNS_LIST));
            return 0;
        default:
            // OK and Cancel: the layout is read by the opener from the model on OK.
            return CommandDialog::OnCommand(code, wParam, lParam);
    }
}

INT_PTR ColumnSettingsDialog::OnNotify(WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header == nullptr || header->idFrom != IDC_COLUMNS_LIST || writingRows_) return 0;
    if (header->code == LVN_ITEMCHANGED) {
        OnItemChanged(*reinterpret_cast<const NMLISTVIEW*>(lParam));
    } else if (header->code == NM_CLICK) {
        OnClick(*reinterpret_cast<const NMITEMACTIVATE*>(lParam));
    }
    return 0;
}

void ColumnSettingsDialog::OnItemChanged(const NMLISTVIEW& change) {
    if (!(change.uChanged & LVIF_STATE) || change.iItem < 0) return;
    const size_t row = static_cast<size_t>(change.iItem);
    if (row >= settings_.RowCount()) return;
    const UINT changed = change.uNewState ^ change.uOldState;
    const bool nowSelected = (change.uNewState & LVIS_SELECTED) != 0;
    if (changed & LVIS_SELECTED) settings_.SetSelected(row, nowSelected);
    const bool checkChanged = (changed & LVIS_STATEIMAGEMASK) != 0;
    // A state image of 0 is the control's own initial state, not an unchecking.
    if (checkChanged && (change.uNewState & LVIS_STATEIMAGEMASK) != 0) {
        settings_.SetChecked(row, IsCheckedState(change.uNewState));
    }
    const bool newlySelected = (changed & LVIS_SELECTED) && nowSelected;
    if (newlySelected || (checkChanged && nowSelected)) UpdateButtons(row, newlySelected);
}

// A click anywhere on a row toggles its check; a click on the check box itself has already
// been toggled by the control, and toggling again would undo it.
void ColumnSettingsDialog::OnClick(const NMITEMACTIVATE& click) {
    HWND list = Item(IDC_COLUMNS_LIST);
    LVHITTESTINFO hit = {};
    hit.pt = click.ptAction;
    const LRESULT row = SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (row < 0 || static_cast<size_t>(row) >= settings_.RowCount()) return;
    if (hit.flags & LVHT_ONITEMSTATEICON) return;
    LVITEMA item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = CheckStateBits(!settings_.Row(static_cast<size_t>(row)).checked);
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void ColumnSettingsDialog::UpdateButtons(size_t row, bool newlySelected) {
    EnableItem(IDC_COLUMNS_SHOW, settings_.CanShow(row));
    EnableItem(IDC_COLUMNS_HIDE, settings_.CanHide(row));
    if (!newlySelected) return;
    EnableItem(IDC_COLUMNS_MOVE_UP, settings_.CanMoveUp(row));
    EnableItem(IDC_COLUMNS_MOVE_DOWN, settings_.CanMoveDown(row));
    ShowWidth(row);
}

void ColumnSettingsDialog::ShowWidth(size_t row) {
    settingWidth_ = true;
    SetDlgItemInt(Handle(), IDC_COLUMNS_WIDTH, static_cast<UINT>(settings_.RowWidth(row)), FALSE);
    settingWidth_ = false;
}

bool ShowColumnSettings(HWND owner, HWND listWindow, DownloadListView& list) {
    const size_t count = list.Layout().ColumnCount();
    std::vector<int> defaults(count);
    std::vector<ColumnLayoutEntry> working(count);
    std::vector<std::string> titles(count);
    for (size_t column = 0; column < count; ++column) {
        defaults[column] = DownloadColumnSpec(static_cast<int>(column)).defaultWidth;
        char title[kMaxColumnTitle + 1] = {};
        LVCOLUMNA lvc = {};
        lvc.mask = LVCF_WIDTH | LVCF_ORDER | LVCF_TEXT;
        lvc.pszText = title;
        lvc.cchTextMax = sizeof title;
        working[column].width = 0;
        working[column].position = 0;
        if (SendMessageA(listWindow, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&lvc))) {
            working[column].width = static_cast<int16_t>(lvc.cx < 0       ? 0
                                                         : lvc.cx > 32767 ? 32767
                                                                          : lvc.cx);
            working[column].position = static_cast<int16_t>(lvc.iOrder);
            titles[column] = title;
        }
    }
    ColumnSettings settings(defaults, working);
    ColumnSettingsDialog dialog(settings, titles);
    const bool committed = dialog.DoModal(owner);
    if (committed) {
        ColumnLayout layout(count);
        const std::vector<ColumnLayoutEntry> entries = settings.Commit();
        for (size_t column = 0; column < count; ++column) layout.SetEntry(column, entries[column]);
        list.ApplyLayoutBytes(layout.Bytes());
        // The list may go on drawing cells at their old places until it is given its order
        // once more after the columns moved.
        std::vector<int> order(count);
        if (SendMessageA(listWindow, LVM_GETCOLUMNORDERARRAY, count,
                         reinterpret_cast<LPARAM>(order.data()))) {
            SendMessageA(listWindow, LVM_SETCOLUMNORDERARRAY, count,
                         reinterpret_cast<LPARAM>(order.data()));
        }
        InvalidateRect(listWindow, nullptr, TRUE);
    }
    SetFocus(listWindow);
    return committed;
}

}  // namespace vm
