#include "TestMainWindow.h"

#include <commctrl.h>

#include "resource.h"

namespace vm {

TestMainWindow::TestMainWindow(const std::string& commandLine) {
    arguments_.Parse(commandLine.c_str());
    options_ = ReadStartupOptions(arguments_);
    window_ = std::make_unique<MainWindow>(arguments_, options_);
}

TestMainWindow::~TestMainWindow() { Close(); }

bool TestMainWindow::Open() {
    INITCOMMONCONTROLSEX init = {sizeof init, 0xFF};
    InitCommonControlsEx(&init);
    return window_->Create("Velocimark", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480);
}

void TestMainWindow::Close() {
    if (window_->Handle() != nullptr) DestroyWindow(window_->Handle());
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
}

void TestMainWindow::Command(UINT id) { SendMessageA(Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

bool TestMainWindow::MenuEnabled(UINT id) const {
    const UINT state = GetMenuState(GetMenu(Handle()), id, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

bool TestMainWindow::ButtonEnabled(UINT id) const {
    HWND toolbar = GetDlgItem(Handle(), IDC_TOOLBAR);
    return SendMessageA(toolbar, TB_ISBUTTONENABLED, id, 0) != 0;
}

}  // namespace vm
