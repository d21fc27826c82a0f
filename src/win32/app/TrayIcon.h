#pragma once
#include <windows.h>

#include <vector>

#include "core/report/AlertRules.h"

namespace vm {

// The main window's icon in the notification area: its menu (Open, Run Now, Stop
// Watching, Exit) and the balloons that tell a run's alerts. The icon's mouse comes to
// the owner as WM_TRAY_ICON.
class TrayIcon {
public:
    explicit TrayIcon(UINT callbackMessage) : callbackMessage_(callbackMessage) {}

    void Add(HWND owner);
    void Remove(HWND owner);
    // Run Now is greyed while a run goes on.
    void ShowMenu(HWND owner, bool running);
    // One line per alert; a window without its icon shows it for the balloon.
    void ShowAlerts(HWND owner, const std::vector<Alert>& alerts);

private:
    UINT callbackMessage_;
    bool added_ = false;
};

}  // namespace vm
