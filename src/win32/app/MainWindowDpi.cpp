// The main window at its screen's DPI: its minimum size, and what follows a move to a
// screen of another DPI (fonts, images, column widths, the graph).
#include "core/base/DpiScale.h"
#include "win32/app/MainWindow.h"
#include "win32/platform/WindowDpi.h"

namespace vm {
namespace {

// Narrower than this the toolbar's first group and the list's first columns are cut.
constexpr int kMinClientWidth = 360;  // at 96 DPI

}  // namespace

void MainWindow::OnGetMinMaxInfo(MINMAXINFO* info) const {
    if (info == nullptr || !IsCreated()) return;
    // The bars, and the list's header and rows; the graph gives way before the list.
    RECT frame = {0, 0, ScaleToDpi(kMinClientWidth, dpi_),
                  chrome_.ToolbarHeight() + chrome_.StatusBarHeight() +
                      listControl_.HeightOfRows(kMinListRows)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(Handle(), GWL_STYLE)),
                       GetMenu(Handle()) != nullptr,
                       static_cast<DWORD>(GetWindowLongA(Handle(), GWL_EXSTYLE)));
    // A menu bar that wraps onto two lines in a narrow window takes one more line.
    frame.bottom += GetSystemMetrics(SM_CYMENU);
    info->ptMinTrackSize.x = frame.right - frame.left;
    info->ptMinTrackSize.y = frame.bottom - frame.top;
}

void MainWindow::OnDpiChanged(int dpi, const RECT* suggested) {
    if (dpi <= 0) return;
    dpi_ = dpi;
    chrome_.SetDpi(dpi);
    chrome_.SetStatusParts();
    listControl_.SetDpi(dpi);
    graph_.SetDpi(dpi);
    if (suggested != nullptr) {
        SetWindowPos(Handle(), nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    OnSize();
    graph_.Update();
}

}  // namespace vm
