// The notification-area icon: its menu and the balloons of a run's alerts.
#include "win32/app/TrayIcon.h"

#include <shellapi.h>

#include <cstdio>
#include <string>

#include "core/base/TextUtil.h"
#include "core/lang/StringTable.h"
#include "resource.h"

namespace vm {
namespace {

constexpr UINT kTrayIconId = 1;

NOTIFYICONDATAA TrayData(HWND window) {
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kTrayIconId;
    return data;
}

// One line of a balloon: what the alert says about its item.
std::string AlertLine(const Alert& alert) {
    const std::string& who = alert.name.empty() ? alert.url : alert.name;
    char text[512];
    if (alert.state == AlertState::Recovered) {
        std::snprintf(text, sizeof text, GetFormatString(IDS_ALERT_RECOVERED), who.c_str());
    } else if (alert.rule == AlertRule::Drop) {
        std::snprintf(text, sizeof text, GetFormatString(IDS_ALERT_DROP), who.c_str(),
                      static_cast<int>(DropPercent(alert)));
    } else {
        const uint32_t format =
            alert.rule == AlertRule::Failures ? IDS_ALERT_FAILURES : IDS_ALERT_SLOW;
        std::snprintf(
            text, sizeof text, GetFormatString(format), who.c_str(),
            static_cast<int>(alert.rule == AlertRule::Failures ? alert.value : alert.baseline));
    }
    return text;
}

}  // namespace

void TrayIcon::Add(HWND owner) {
    if (added_) return;
    NOTIFYICONDATAA data = TrayData(owner);
    data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    data.uCallbackMessage = callbackMessage_;
    data.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VELOCIMARK));
    CopyBounded(data.szTip, sizeof data.szTip, "Velocimark");
    added_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
}

void TrayIcon::Remove(HWND owner) {
    if (!added_) return;
    NOTIFYICONDATAA data = TrayData(owner);
    Shell_NotifyIconA(NIM_DELETE, &data);
    added_ = false;
}

void TrayIcon::ShowMenu(HWND owner, bool running) {
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAYMENU));
    if (menu == nullptr) return;
    HMENU popup = GetSubMenu(menu, 0);
    const uint32_t texts[] = {IDS_TRAY_OPEN, IDS_TRAY_RUN_NOW, IDS_TRAY_STOP_WATCHING, 0,
                              IDS_TRAY_EXIT};
    const UINT ids[] = {ID_TRAY_OPEN, ID_TRAY_RUN_NOW, ID_TRAY_STOP_WATCHING, 0, ID_TRAY_EXIT};
    for (size_t i = 0; i < sizeof ids / sizeof ids[0]; ++i) {
        if (ids[i] != 0)
            ModifyMenuA(popup, ids[i], MF_BYCOMMAND | MF_STRING, ids[i], GetString(texts[i]));
    }
    EnableMenuItem(popup, ID_TRAY_RUN_NOW, MF_BYCOMMAND | (running ? MF_GRAYED : MF_ENABLED));
    POINT point;
    GetCursorPos(&point);
    // The owner comes to the front first, or the menu would not close when clicked away.
    SetForegroundWindow(owner);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, point.x, point.y, 0, owner, nullptr);
    PostMessageA(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

void TrayIcon::ShowAlerts(HWND owner, const std::vector<Alert>& alerts) {
    if (alerts.empty()) return;
    // A balloon needs the icon: a window that is not watching shows it for the alert.
    Add(owner);
    std::string text;
    for (const Alert& alert : alerts) {
        if (!text.empty()) text += "\n";
        text += AlertLine(alert);
    }
    NOTIFYICONDATAA data = TrayData(owner);
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = AnyAlertFiring(alerts) ? NIIF_WARNING : NIIF_INFO;
    CopyBounded(data.szInfo, sizeof data.szInfo, text.c_str());
    CopyBounded(data.szInfoTitle, sizeof data.szInfoTitle, GetString(IDS_ALERT_TITLE));
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

}  // namespace vm
