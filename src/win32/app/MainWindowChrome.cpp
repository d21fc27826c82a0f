#include "win32/app/MainWindowChrome.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "core/base/TextUtil.h"
#include "core/lang/StringTable.h"
#include "resource.h"
#include "win32/lang/MenuLoading.h"
#include "win32/platform/WindowDpi.h"
#include "win32/window/MakeFont.h"

namespace vm {

const char kStatusLinkCaption[] = "Velocimark - measure your download speed";

namespace {

constexpr int kToolbarImageCount = 17;
constexpr int kStatusLinkFontHeight = 14;  // at 96 DPI
// The status bar's parts' right edges at 96 DPI.
constexpr int kStatusPartEdges[2] = {300, 1024};

struct ToolbarButton {
    int image;  // -1: separator
    int command;
};

const ToolbarButton kToolbarButtons[] = {
    {-1, 0},
    {5, ID_START_TEST},
    {6, ID_STOP_TEST},
    {13, ID_MOVE_TO_NEXT},
    {-1, 0},
    {7, ID_DISABLE_SELECTED},
    {8, ID_ENABLE_SELECTED},
    {9, ID_DELETE_SELECTED},
    {-1, 0},
    {11, ID_ADD_URLS_LIST},
    {12, ID_ADD_URLS_FROM_FILE},
    {14, ID_ADD_FILE},
    {10, ID_ADVANCED_OPTIONS},
    {-1, 0},
    {15, ID_MOVE_DOWN},
    {16, ID_MOVE_UP},
    {-1, 0},
    {1, ID_SAVE_SELECTED},
    {2, ID_COPY_SELECTED},
    {3, ID_PROPERTIES},
    {0, ID_FIND},
    {4, ID_EXIT},
};

}  // namespace

bool MainWindowChrome::Create(HWND owner, int dpi) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    menuBar = LoadTranslatedMenu(IDR_MAINMENU);
    if (menuBar != nullptr) SetMenu(owner, menuBar);

    statusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", owner, IDC_STATUSBAR);
    int oneEdge = -1;
    SendMessageA(statusBar, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&oneEdge));

    TBBUTTON buttons[sizeof kToolbarButtons / sizeof kToolbarButtons[0]] = {};
    int count = 0;
    for (const ToolbarButton& b : kToolbarButtons) {
        TBBUTTON& button = buttons[count++];
        button.iBitmap = b.image < 0 ? 0 : b.image;
        button.idCommand = b.command;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = b.image < 0 ? TBSTYLE_SEP : TBSTYLE_BUTTON;
    }
    toolbar = CreateWindowExA(
        0, TOOLBARCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS, 0, 0, 0,
        0, owner, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TOOLBAR)), instance, nullptr);
    if (toolbar != nullptr) {
        SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        SendMessageA(toolbar, TB_ADDBUTTONSA, count, reinterpret_cast<LPARAM>(buttons));
    }
    contextMenu = LoadTranslatedMenu(IDR_CONTEXTMENU);
    SetDpi(dpi);
    return statusBar != nullptr && toolbar != nullptr;
}

void MainWindowChrome::SetDpi(int dpi) {
    if (toolbar != nullptr) {
        // The images sit on a mask colour of their own, so the enabled and the greyed
        // buttons look right whatever the system's colours are.
        HIMAGELIST images =
            CreateScaledImageList(IDB_TOOLBAR, kToolbarImageCount, kImageMaskColor, dpi);
        const int size = ImageSizeForDpi(dpi);
        SendMessageA(toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
        SendMessageA(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
        if (toolbarImages != nullptr) ImageList_Destroy(toolbarImages);
        toolbarImages = images;
        SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
    }
    if (statusFont != nullptr) DeleteObject(statusFont);
    statusFont = MakeFont("Arial", ScaleToDpi(kStatusLinkFontHeight, dpi), false);
    if (statusBar != nullptr) {
        HFONT font = CreateMessageFont(dpi);
        if (font != nullptr) {
            SendMessageA(statusBar, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
            if (statusBarFont != nullptr) DeleteObject(statusBarFont);
            statusBarFont = font;
        }
    }
    dpi_ = dpi;
}

void MainWindowChrome::Destroy() {
    if (contextMenu != nullptr) DestroyMenu(contextMenu);
    if (toolbarImages != nullptr) ImageList_Destroy(toolbarImages);
    toolbarImages = nullptr;
    if (statusFont != nullptr) DeleteObject(statusFont);
    if (statusBarFont != nullptr) DeleteObject(statusBarFont);
    contextMenu = nullptr;
    statusFont = nullptr;
    statusBarFont = nullptr;
}

void MainWindowChrome::SetStatusText(int rows, int selected, const char* extra) {
    char text[256];
    int length = std::snprintf(text, sizeof text, GetFormatString(IDS_ITEM_COUNT), rows);
    if (length < 0) length = 0;
    if (selected > 0 && static_cast<size_t>(length) < sizeof text) {
        std::snprintf(text + length, sizeof text - length, GetFormatString(IDS_SELECTED_COUNT),
                      selected);
    }
    const size_t used = std::strlen(text);
    if (extra != nullptr && used < sizeof text) {
        std::snprintf(text + used, sizeof text - used, "   %s", extra);
    }
    SendMessageA(statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

void MainWindowChrome::SetStatusParts() {
    int edges[2] = {ScaleToDpi(kStatusPartEdges[0], dpi_), ScaleToDpi(kStatusPartEdges[1], dpi_)};
    SendMessageA(statusBar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    SendMessageA(statusBar, SB_SETTEXTA, 1 | SBT_OWNERDRAW, 0);
}

void MainWindowChrome::DrawStatusLink(const DRAWITEMSTRUCT& draw) {
    HDC dc = draw.hDC;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = SetTextColor(dc, RGB(0, 0, 255));
    HGDIOBJ oldFont = SelectObject(dc, statusFont);
    RECT rect = draw.rcItem;
    rect.left += 5;
    DrawTextA(dc, kStatusLinkCaption, -1, &rect, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    SelectObject(dc, oldFont);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}

void MainWindowChrome::FillToolTip(NMTTDISPINFOA* info) {
    static char text[80];
    text[0] = '\0';
    // The menu text as it stands: a tooltip without TTS_NOPREFIX drops the "&" and ends
    // the text at the tab before the key, so one string serves the menu and the tip.
    GetMenuStringA(menuBar, static_cast<UINT>(info->hdr.idFrom), text, sizeof text, MF_BYCOMMAND);
    info->lpszText = text;
    info->hinst = nullptr;
}

int MainWindowChrome::ToolbarHeight() const {
    RECT rect;
    return toolbar != nullptr && GetWindowRect(toolbar, &rect) ? rect.bottom - rect.top : 0;
}

int MainWindowChrome::StatusBarHeight() const {
    RECT rect;
    return statusBar != nullptr && GetWindowRect(statusBar, &rect) ? rect.bottom - rect.top : 0;
}

}  // namespace vm
