#pragma once
#include <windows.h>

#include <string>

#include "core/app/StartupOptions.h"
#include "core/base/ArgumentList.h"
#include "win32/app/MainWindow.h"

namespace vm {

// The main window made from a command line as the program makes it, and closed with its
// owner without leaving its quit message behind to end the next modal loop at once.
class TestMainWindow {
public:
    explicit TestMainWindow(const std::string& commandLine = "/nosaveload");
    ~TestMainWindow();
    bool Open();
    // Closes it early, as a user would.
    void Close();
    MainWindow& Window() { return *window_; }
    HWND Handle() const { return window_->Handle(); }

    // A command as the menu, the toolbar or a key sends it, and its state there.
    void Command(UINT id);
    bool MenuEnabled(UINT id) const;
    bool ButtonEnabled(UINT id) const;

private:
    ArgumentList arguments_;
    StartupOptions options_;
    std::unique_ptr<MainWindow> window_;
};

}  // namespace vm
