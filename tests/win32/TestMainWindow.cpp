#include "TestMainWindow.h"

#include <commctrl.h>

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

}  // namespace vm
