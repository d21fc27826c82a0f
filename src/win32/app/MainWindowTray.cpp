// The window's watch: Options > Run the Test Every..., the notification-area icon with its
// menu and alert balloons, and the status bar's time to the next run.
#include "win32/app/MainWindow.h"

#include <shellapi.h>

#include <cstdio>

#include "core/base/TextUtil.h"
#include "core/lang/StringTable.h"
#include "core/report/RunHistory.h"
#include "resource.h"
#include "win32/dialogs/RunEveryDialog.h"

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

void MainWindow::OpenRunEvery() {
    RunEveryDialog::Data data;
    data.minutes = settings_.RunEveryMinutes;
    data.keepInTray = keepInTray_;
    RunEveryDialog dialog(data);
    if (dialog.DoModal(Handle())) {
        settings_.RunEveryMinutes = dialog.Result().minutes;
        keepInTray_ = dialog.Result().keepInTray;
        ApplyRunEvery();
    }
    SetFocus(listControl_.Handle());
}

void MainWindow::ApplyRunEvery() {
    if (settings_.RunEveryMinutes <= 0) {
        StopWatching();
        return;
    }
    // The alerts are judged on the history: it is switched on with the watch.
    if (settings_.HistoryFile.empty()) settings_.HistoryFile = kDefaultHistoryFile;
    watch_.Start(static_cast<uint32_t>(settings_.RunEveryMinutes) * 60u, 0);
    AddTrayIcon();
    UpdateCommandStates();
    // A watch starts with a run; one already going counts as the first.
    if (!IsRunning()) StartWatchedRun();
}

void MainWindow::StopWatching() {
    watch_.Stop();
    settings_.RunEveryMinutes = 0;
    KillTimer(Handle(), kWatchTimerId);
    RemoveTrayIcon();
    if (inTray_) OpenFromTray();
    UpdateStatusText();
}

void MainWindow::OpenFromTray() {
    inTray_ = false;
    ShowWindow(Handle(), SW_SHOW);
    if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
    SetForegroundWindow(Handle());
    if (!watch_.Active()) RemoveTrayIcon();
}

void MainWindow::ExitFromTray() {
    exiting_ = true;
    inTray_ = false;
    PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

bool MainWindow::CloseToTray() {
    if (exiting_ || !watch_.Active() || !keepInTray_ || exportRequest_.type != 0) return false;
    AddTrayIcon();
    ShowWindow(Handle(), SW_HIDE);
    inTray_ = true;
    return true;
}

void MainWindow::AddTrayIcon() {
    if (trayIcon_) return;
    NOTIFYICONDATAA data = TrayData(Handle());
    data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    data.uCallbackMessage = WM_TRAY_ICON;
    data.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VELOCIMARK));
    CopyBounded(data.szTip, sizeof data.szTip, "Velocimark");
    trayIcon_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
}

void MainWindow::RemoveTrayIcon() {
    if (!trayIcon_) return;
    NOTIFYICONDATAA data = TrayData(Handle());
    Shell_NotifyIconA(NIM_DELETE, &data);
    trayIcon_ = false;
}

void MainWindow::ShowTrayMenu() {
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
    EnableMenuItem(popup, ID_TRAY_RUN_NOW, MF_BYCOMMAND | (IsRunning() ? MF_GRAYED : MF_ENABLED));
    POINT point;
    GetCursorPos(&point);
    // The owner comes to the front first, or the menu would not close when clicked away.
    SetForegroundWindow(Handle());
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, point.x, point.y, 0, Handle(), nullptr);
    PostMessageA(Handle(), WM_NULL, 0, 0);
    DestroyMenu(menu);
}

void MainWindow::ShowAlertBalloons() {
    if (!alertsJudged_ || alerts_.empty()) return;
    // A balloon needs the icon: a window that is not watching shows it for the alert.
    AddTrayIcon();
    std::string text;
    for (const Alert& alert : alerts_) {
        if (!text.empty()) text += "\n";
        text += AlertLine(alert);
    }
    NOTIFYICONDATAA data = TrayData(Handle());
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = AnyAlertFiring(alerts_) ? NIIF_WARNING : NIIF_INFO;
    CopyBounded(data.szInfo, sizeof data.szInfo, text.c_str());
    CopyBounded(data.szInfoTitle, sizeof data.szInfoTitle, GetString(IDS_ALERT_TITLE));
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

void MainWindow::UpdateNextRunText() {
    if (!watch_.Active() || IsRunning() || exportRequest_.type != 0) return;
    const std::string next =
        NextRunText(watch_.MsUntilNextRun(GetTickCount()), GetFormatString(IDS_WATCH_NEXT_RUN));
    chrome_.SetStatusText(static_cast<int>(list_.RowCount()),
                          static_cast<int>(list_.SelectedCount()), next.c_str());
}

}  // namespace vm
