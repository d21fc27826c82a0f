#include "win32/dialogs/PropertiesDialog.h"

#include <vector>

#include "core/dialogs/PropertiesLayout.h"
#include "core/lang/StringTable.h"
#include "core/list/DownloadColumns.h"
#include "core/list/ItemCells.h"
#include "resource.h"
#include "win32/window/FrameWindow.h"

namespace vm {
namespace {

// Read-only values: dark blue on white.
constexpr COLORREF kValueTextColor = RGB(0, 0, 192);
constexpr COLORREF kValueBackColor = RGB(255, 255, 255);

PixelRect ChildRect(HWND dialog, HWND child) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// The whole text: an item's URL or name longer than its bound stays whole, so that
// OK without an edit never changes it (the run refuses it instead).
std::string FieldText(HWND field) {
    const int length = GetWindowTextLengthA(field);
    std::vector<char> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    GetWindowTextA(field, buffer.data(), static_cast<int>(buffer.size()));
    return buffer.data();
}

bool IsEditControl(HWND control) {
    char className[16] = {};
    GetClassNameA(control, className, sizeof className);
    return lstrcmpiA(className, "edit") == 0;
}

}  // namespace

PropertiesDialog::PropertiesDialog(const DownloadItem& item, CellContext context)
    : CommandDialog(IDD_PROPERTIES), item_(item), context_(context) {}

void PropertiesDialog::OnCreateRow(size_t) {}

void PropertiesDialog::AddRow(std::string title, std::string value) {
    extraRows_.emplace_back(std::move(title), std::move(value));
}

// Long because each row copies its prototype controls' styles, font and place in turn.
void PropertiesDialog::CreateRows() {
    HWND dialog = Handle();
    HWND captionPrototype = Item(IDC_PROPERTY_CAPTION);
    HWND valuePrototype = Item(IDC_PROPERTY_VALUE);
    const DWORD captionStyle = GetWindowLongA(captionPrototype, GWL_STYLE);
    const DWORD captionExStyle = GetWindowLongA(captionPrototype, GWL_EXSTYLE);
    const DWORD valueStyle = GetWindowLongA(valuePrototype, GWL_STYLE);
    const DWORD valueExStyle = GetWindowLongA(valuePrototype, GWL_EXSTYLE);

    // The list's columns, then the extra rows.
    const size_t rowCount = kDownloadColumnCount + extraRows_.size();
    std::vector<const char*> titles(rowCount);
    std::vector<int> titleWidths(rowCount);
    for (int column = 0; column < kDownloadColumnCount; ++column) {
        titles[column] = GetString(DownloadColumnSpec(column).titleId);
    }
    for (size_t extra = 0; extra < extraRows_.size(); ++extra) {
        titles[kDownloadColumnCount + extra] = extraRows_[extra].first.c_str();
    }
    // Rows made at run time start in the System font; they get the dialog's own, and the
    // captions are measured in it.
    const auto font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    bool measured = false;
    if (HDC dc = GetDC(dialog)) {
        const HGDIOBJ previousFont = font != nullptr ? SelectObject(dc, font) : nullptr;
        for (size_t row = 0; row < rowCount; ++row) {
            SIZE extent = {};
            GetTextExtentPoint32A(dc, titles[row], lstrlenA(titles[row]), &extent);
            titleWidths[row] = extent.cx;
        }
        if (previousFont != nullptr) SelectObject(dc, previousFont);
        ReleaseDC(dialog, dc);
        measured = true;
    }
    const PropertyRowsLayout layout =
        LayoutPropertyRows(ChildRect(dialog, captionPrototype), ChildRect(dialog, valuePrototype),
                           measured ? titleWidths.data() : nullptr, rowCount);

    CellBuffer cell;
    for (size_t row = 0; row < rowCount; ++row) {
        const int column = static_cast<int>(row);
        OnCreateRow(row);
        HWND caption =
            CreateChild(captionExStyle, "STATIC", captionStyle | WS_VISIBLE, layout.captionLeft,
                        layout.CaptionTop(row), layout.captionWidth, layout.captionHeight);
        DWORD style = valueStyle | WS_VISIBLE;
        if (row == kPropertiesUrlRow || row == kPropertiesNameRow) style &= ~ES_READONLY;
        HWND field = CreateChild(valueExStyle, "EDIT", style, layout.valueLeft,
                                 layout.ValueTop(row), layout.valueWidth, layout.valueHeight);
        if (row == kPropertiesNameRow) {
            SetFocus(field);
            nameField_ = field;
        } else if (row == kPropertiesUrlRow) {
            urlField_ = field;
        }
        for (HWND control : {caption, field}) {
            SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
        SetWindowTextA(caption, PropertyCaption(titles[row]).c_str());
        SetWindowTextA(field, row < kDownloadColumnCount
                                  ? ItemCellText(item_, column, cell, context_)
                                  : extraRows_[row - kDownloadColumnCount].second.c_str());
    }

    RECT window = {}, client = {}, ok = {};
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    GetWindowRect(Item(IDOK), &ok);
    const int buttonHeight = ok.bottom - ok.top;
    const PropertiesFrame frame =
        FramePropertiesDialog(window.right - window.left, window.bottom - window.top, client.bottom,
                              layout.rowsHeight, buttonHeight);
    SetWindowPos(dialog, nullptr, 0, 0, frame.windowWidth, frame.windowHeight,
                 SWP_NOMOVE | SWP_NOZORDER);
    for (int id : {IDOK, IDCANCEL}) {
        HWND button = Item(id);
        const PixelRect rect = ChildRect(dialog, button);
        MoveWindow(button, rect.left, frame.buttonTop, rect.Width() + 1, rect.Height() + 1, TRUE);
    }
    CenterOnScreen(dialog);
}

INT_PTR PropertiesDialog::ColorReadOnlyField(HDC dc, HWND control) {
    if (!IsEditControl(control)) return 0;
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, kValueBackColor);
    SetTextColor(dc, kValueTextColor);
    return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
}

INT_PTR PropertiesDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        CreateRows();
    } else if (message == WM_CTLCOLORSTATIC) {
        return ColorReadOnlyField(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    }
    return CommandDialog::DialogProc(message, wParam, lParam);
}

INT_PTR PropertiesDialog::OnCommand(UINT code, WPARAM wParam, LPARAM lParam) {
    if (code == 0 && LOWORD(wParam) == IDOK) {
        name_ = FieldText(nameField_);
        url_ = FieldText(urlField_);
    }
    return CommandDialog::OnCommand(code, wParam, lParam);
}

}  // namespace vm
