#pragma once
#include <windows.h>
#include <commctrl.h>

namespace vm {

// The main window's menu bar, toolbar and status bar: creation and the small rules
// that belong to them.
struct MainWindowChrome {
    HMENU menuBar = nullptr;
    HMENU contextMenu = nullptr;
    HWND toolbar = nullptr;
    HWND statusBar = nullptr;
    HFONT statusFont = nullptr;     // the link's
    HFONT statusBarFont = nullptr;  // the bar's own, at the window's DPI
    HIMAGELIST toolbarImages = nullptr;

    bool Create(HWND owner, int dpi);
    void Destroy();
    // Images and fonts for the window's DPI.
    void SetDpi(int dpi);

    // Status bar part 0: "%d item(s)" and, with a selection, ", %d Selected".
    // extra follows the counts (a watch's "Next run in 4:32").
    void SetStatusText(int rows, int selected, const char* extra = nullptr);
    // Two parts, right edges at 300 and 1024 (at 96 DPI); part 1 is drawn by the owner (the link).
    void SetStatusParts();
    void DrawStatusLink(const DRAWITEMSTRUCT& draw);
    // The tooltip of a toolbar button: its main-menu text (at most 79 characters).
    void FillToolTip(NMTTDISPINFOA* info);
    // Heights of the bars, for the layout.
    int ToolbarHeight() const;
    int StatusBarHeight() const;

    int dpi_ = 96;
};

// The colour that stands for "transparent" in the toolbar and header images.
constexpr COLORREF kImageMaskColor = RGB(255, 0, 255);

// Text of the status bar's link; it opens the product's web page (kProductWebAddress).
extern const char kStatusLinkCaption[];

}  // namespace vm
