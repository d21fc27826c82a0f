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
    HFONT statusFont = nullptr;

    bool Create(HWND owner);
    void Destroy();

    // Status bar part 0: "%d item(s)" and, with a selection, ", %d Selected".
    void SetStatusText(int rows, int selected);
    // Two parts, right edges at 300 and 1024; part 1 is drawn by the owner (the link).
    void SetStatusParts();
    void DrawStatusLink(const DRAWITEMSTRUCT& draw);
    // The tooltip of a toolbar button: its main-menu text.
    void FillToolTip(NMTTDISPINFOA* info);
    // Heights of the bars, for the layout.
    int ToolbarHeight() const;
    int StatusBarHeight() const;
};

// Text and address of the status bar's link.
extern const char kStatusLinkCaption[];
extern const char kProductWebPage[];

}  // namespace vm
