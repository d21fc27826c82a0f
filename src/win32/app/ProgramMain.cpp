#include "app/ProgramMain.h"

#include <windows.h>
#include <commctrl.h>

#include "app/MainWindowChrome.h"
#include "resource.h"
#include "ui/FrameWindow.h"

namespace vm {
namespace {

// Until the main window lands: a frame with its menu, toolbar and status bar.
class ShellWindow : public FrameWindow {
public:
    ShellWindow() : FrameWindow("Velocimark", LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VELOCIMARK))) {}

protected:
    void OnCreate() override {
        chrome_.Create(Handle());
        chrome_.SetStatusParts();
        chrome_.SetStatusText(0, 0);
    }
    void OnDestroy() override {
        chrome_.Destroy();
        PostQuitMessage(0);
    }

private:
    MainWindowChrome chrome_;
};

}  // namespace

int ProgramMain(const char*) {
    INITCOMMONCONTROLSEX init = {sizeof init, 0xFF};
    InitCommonControlsEx(&init);
    ShellWindow window;
    if (!window.Create("Velocimark", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480)) return 0;
    ShowWindow(window.Handle(), SW_SHOW);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

}  // namespace vm
