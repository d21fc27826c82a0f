#include "win32/list/WinListView.h"

#include <cstring>

#include "core/base/TextUtil.h"
#include "core/lang/StringTable.h"
#include "core/list/DownloadColumns.h"
#include "core/list/ItemCells.h"
#include "resource.h"
#include "win32/platform/WindowDpi.h"

namespace vm {
namespace {

// The header arrows are drawn on this colour, which stands for "transparent".
constexpr COLORREF kArrowMaskColor = RGB(255, 0, 255);
// And the status images on this one.
constexpr COLORREF kStatusMaskColor = RGB(0, 128, 128);

}  // namespace

WinListView::~WinListView() {
    if (model_.Control() == this) model_.AttachControl(nullptr);
    if (smallImages_ != nullptr) ImageList_Destroy(smallImages_);
    if (headerImages_ != nullptr) ImageList_Destroy(headerImages_);
}

bool WinListView::Create(HWND parent, int controlId) {
    hwnd_ = CreateWindowExA(
        WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA, 0, 0,
        400, 200, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
        GetModuleHandleA(nullptr), nullptr);
    if (hwnd_ == nullptr) return false;
    dpi_ = WindowDpi(hwnd_);

    for (int column = 0; column < kDownloadColumnCount; ++column) {
        const ColumnSpec& columnSpec = DownloadColumnSpec(column);
        LVCOLUMNA lvc = {};
        lvc.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_FMT;
        lvc.fmt = LVCFMT_LEFT;
        lvc.cx = ScaleToDpi(columnSpec.defaultWidth, dpi_);
        lvc.pszText = const_cast<char*>(GetString(columnSpec.titleId));
        SendMessageA(hwnd_, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&lvc));
    }

    CreateImages();
    model_.AttachControl(this);
    return true;
}

void WinListView::CreateImages() {
    if (smallImages_ != nullptr) ImageList_Destroy(smallImages_);
    if (headerImages_ != nullptr) ImageList_Destroy(headerImages_);
    smallImages_ = CreateScaledImageList(IDB_STATUSIMAGES, 1, kStatusMaskColor, dpi_);
    SendMessageA(hwnd_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages_));
    headerImages_ = CreateScaledImageList(IDB_SORT_UP, 2, kArrowMaskColor, dpi_);
    AddScaledBitmap(headerImages_, IDB_SORT_DOWN, kArrowMaskColor);
    HWND header = reinterpret_cast<HWND>(SendMessageA(hwnd_, LVM_GETHEADER, 0, 0));
    if (header != nullptr) {
        SendMessageA(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(headerImages_));
    }
}

void WinListView::SetDpi(int dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    // The widths the model keeps are in 96-DPI units: read them at the old DPI, set them
    // at the new one.
    int widths[kDownloadColumnCount] = {};
    for (int column = 0; column < kDownloadColumnCount; ++column) {
        int position = 0;
        if (!GetColumn(column, &widths[column], &position)) widths[column] = -1;
    }
    dpi_ = dpi;
    for (int column = 0; column < kDownloadColumnCount; ++column) {
        if (widths[column] < 0) continue;
        SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, column, ScaleToDpi(widths[column], dpi_));
    }
    CreateImages();
}

bool WinListView::OnNotify(const NMHDR& header, LRESULT* result) {
    switch (header.code) {
        case LVN_GETDISPINFOA:
            FillDisplayInfo(*reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(&header)));
            *result = 0;
            return true;
        case NM_CUSTOMDRAW:
            *result = OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
            return true;
        default:
            return false;
    }
}

void WinListView::FillDisplayInfo(NMLVDISPINFOA& info) {
    LVITEMA& item = info.item;
    if (item.iItem < 0) return;
    const size_t row = static_cast<size_t>(item.iItem);
    if ((item.mask & LVIF_TEXT) && item.pszText != nullptr && item.cchTextMax > 0) {
        const char* text = model_.RowCellText(row, item.iSubItem, cellBuffer_);
        CopyBounded(item.pszText, static_cast<size_t>(item.cchTextMax), text);
    }
    if (item.mask & LVIF_IMAGE) item.iImage = model_.RowImage(row);
}

LRESULT WinListView::OnCustomDraw(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            model_.ComputeVisibleOrder();
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            size_t index = 0;
            uint32_t text = 0, background = 0;
            if (model_.ItemOfRow(draw.nmcd.dwItemSpec, &index) &&
                DownloadListView::ItemDrawColors(model_.ItemAt(index), &text, &background)) {
                draw.clrText = text;
                draw.clrTextBk = background;
            } else {
                draw.clrText = CLR_DEFAULT;
                draw.clrTextBk = CLR_DEFAULT;
            }
            return CDRF_NEWFONT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

void WinListView::SetExtendedStyle(DWORD bits, bool on) {
    DWORD style = static_cast<DWORD>(SendMessageA(hwnd_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    style = on ? (style | bits) : (style & ~bits);
    SendMessageA(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style);
}

void WinListView::AutoSizeColumns() {
    for (int column = 0; column < kDownloadColumnCount; ++column) {
        int width = 0, position = 0;
        if (GetColumn(column, &width, &position) && width > 0) {
            SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE);
        }
    }
}

int WinListView::HeightOfRows(int rows) const {
    // The list view's own estimate of its header and rows.
    const LRESULT size =
        SendMessageA(hwnd_, LVM_APPROXIMATEVIEWRECT, static_cast<WPARAM>(rows), MAKELPARAM(-1, -1));
    return HIWORD(size) + GetSystemMetrics(SM_CYHSCROLL) + 2 * GetSystemMetrics(SM_CYEDGE);
}

void WinListView::ReapplyColumnOrder() {
    int order[kDownloadColumnCount] = {};
    if (SendMessageA(hwnd_, LVM_GETCOLUMNORDERARRAY, kDownloadColumnCount,
                     reinterpret_cast<LPARAM>(order))) {
        SendMessageA(hwnd_, LVM_SETCOLUMNORDERARRAY, kDownloadColumnCount,
                     reinterpret_cast<LPARAM>(order));
    }
}

void WinListView::SetRowCount(size_t count) {
    SendMessageA(hwnd_, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void WinListView::RedrawVisibleRows() {
    const LRESULT top = SendMessageA(hwnd_, LVM_GETTOPINDEX, 0, 0);
    const LRESULT perPage = SendMessageA(hwnd_, LVM_GETCOUNTPERPAGE, 0, 0);
    SendMessageA(hwnd_, LVM_REDRAWITEMS, top, top + perPage);
}

bool WinListView::IsShown() const {
    return IsWindowVisible(hwnd_) && !IsIconic(GetAncestor(hwnd_, GA_ROOT));
}

size_t WinListView::SelectedCount() const {
    return static_cast<size_t>(SendMessageA(hwnd_, LVM_GETSELECTEDCOUNT, 0, 0));
}

bool WinListView::IsRowSelected(size_t row) const {
    return (SendMessageA(hwnd_, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

int64_t WinListView::NextSelectedRow(int64_t after) const {
    return SendMessageA(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(after),
                        MAKELPARAM(LVNI_SELECTED, 0));
}

int64_t WinListView::FocusedRow() const {
    return SendMessageA(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                        MAKELPARAM(LVNI_FOCUSED, 0));
}

void WinListView::SetRowState(int64_t row, uint32_t state, uint32_t mask) {
    LVITEMA item = {};
    item.stateMask =
        (mask & kRowSelected ? LVIS_SELECTED : 0) | (mask & kRowFocused ? LVIS_FOCUSED : 0);
    item.state =
        (state & kRowSelected ? LVIS_SELECTED : 0) | (state & kRowFocused ? LVIS_FOCUSED : 0);
    SendMessageA(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

void WinListView::EnsureVisible(size_t row) { SendMessageA(hwnd_, LVM_ENSUREVISIBLE, row, FALSE); }

bool WinListView::GetColumn(int column, int* width, int* position) const {
    LVCOLUMNA lvc = {};
    lvc.mask = LVCF_WIDTH | LVCF_ORDER;
    if (!SendMessageA(hwnd_, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&lvc))) return false;
    *width = ScaleFromDpi(lvc.cx, dpi_);  // the model keeps 96-DPI units
    *position = lvc.iOrder;
    return true;
}

void WinListView::SetColumn(int column, int width, int position, bool setWidth) {
    LVCOLUMNA lvc = {};
    lvc.mask = LVCF_ORDER | (setWidth ? LVCF_WIDTH : 0);
    lvc.cx = ScaleToDpi(width, dpi_);
    lvc.iOrder = position;
    SendMessageA(hwnd_, LVM_SETCOLUMNA, column, reinterpret_cast<LPARAM>(&lvc));
}

void WinListView::ShowSortArrow(int sortedColumn, bool descending) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(hwnd_, LVM_GETHEADER, 0, 0));
    if (header == nullptr || headerImages_ == nullptr) return;
    for (int column = 0; column < kDownloadColumnCount; ++column) {
        HDITEMA item = {};
        item.mask = HDI_FORMAT | HDI_IMAGE;
        item.fmt = HDF_STRING;
        if (column == sortedColumn) {
            item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
            item.iImage = descending ? 1 : 0;
        }
        SendMessageA(header, HDM_SETITEMA, column, reinterpret_cast<LPARAM>(&item));
    }
}

void WinListView::ShowProgressText(const char* text) {
    if (statusBar_ != nullptr) {
        SendMessageA(statusBar_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    }
}

}  // namespace vm
