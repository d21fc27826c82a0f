// A watch's runs on a schedule, its dialog, and the window kept in the notification area.
#include "win32/app/RunWatch.h"

#include "core/lang/StringTable.h"
#include "core/report/RunHistory.h"
#include "resource.h"
#include "win32/dialogs/RunEveryDialog.h"

namespace vm {

void RunWatch::StartExport(uint32_t everySeconds, uint32_t runLimit) {
    schedule_.Start(everySeconds, runLimit);
    RunNow();
}

void RunWatch::OpenDialog() {
    RunEveryDialog::Data data;
    data.minutes = settings_.RunEveryMinutes;
    data.keepInTray = keepInTray_;
    RunEveryDialog dialog(data);
    if (dialog.DoModal(host_.Owner())) {
        settings_.RunEveryMinutes = dialog.Result().minutes;
        keepInTray_ = dialog.Result().keepInTray;
        Apply();
    }
    host_.FocusList();
}

void RunWatch::Apply() {
    if (settings_.RunEveryMinutes <= 0) {
        Stop();
        return;
    }
    // The alerts are judged on the history: it is switched on with the watch.
    if (settings_.HistoryFile.empty()) settings_.HistoryFile = kDefaultHistoryFile;
    schedule_.Start(static_cast<uint32_t>(settings_.RunEveryMinutes) * 60u, 0);
    tray_.Add(host_.Owner());
    host_.OptionsChanged();
    // A watch starts with a run; one already going counts as the first.
    if (!host_.IsRunning()) RunNow();
}

void RunWatch::Stop() {
    schedule_.Stop();
    settings_.RunEveryMinutes = 0;
    KillTimer(host_.Owner(), kWatchTimerId);
    tray_.Remove(host_.Owner());
    if (inTray_) OpenFromTray();
    host_.ShowStatus(nullptr);
}

void RunWatch::RunNow() {
    if (!host_.CanStartRun()) return;
    if (schedule_.Active()) schedule_.RunStarted(GetTickCount());
    host_.StartRun();
}

bool RunWatch::ScheduleNextRun() {
    if (host_.Ending() || !schedule_.WantsAnotherRun()) return false;
    const uint32_t delay = schedule_.MsUntilNextRun(GetTickCount());
    // A timer rather than a start from here: the run that ended is still unwinding.
    SetTimer(host_.Owner(), kWatchTimerId, delay > 0 ? delay : 1, nullptr);
    return true;
}

void RunWatch::OnTimer() {
    KillTimer(host_.Owner(), kWatchTimerId);
    if (!host_.IsRunning()) RunNow();
}

void RunWatch::Shutdown() {
    KillTimer(host_.Owner(), kWatchTimerId);
    schedule_.Stop();
    tray_.Remove(host_.Owner());
}

void RunWatch::OnTrayIcon(LPARAM mouse) {
    if (mouse == WM_RBUTTONUP || mouse == WM_CONTEXTMENU)
        tray_.ShowMenu(host_.Owner(), host_.IsRunning());
    if (mouse == WM_LBUTTONDBLCLK) OpenFromTray();
}

void RunWatch::OpenFromTray() {
    HWND owner = host_.Owner();
    inTray_ = false;
    ShowWindow(owner, SW_SHOW);
    if (IsIconic(owner)) ShowWindow(owner, SW_RESTORE);
    SetForegroundWindow(owner);
    if (!schedule_.Active()) tray_.Remove(owner);
}

void RunWatch::ExitFromTray() {
    exiting_ = true;
    inTray_ = false;
    PostMessageA(host_.Owner(), WM_CLOSE, 0, 0);
}

bool RunWatch::CloseToTray() {
    if (exiting_ || !schedule_.Active() || !keepInTray_ || host_.ExportRun()) return false;
    tray_.Add(host_.Owner());
    ShowWindow(host_.Owner(), SW_HIDE);
    inTray_ = true;
    return true;
}

void RunWatch::UpdateNextRunText() {
    if (!schedule_.Active() || host_.IsRunning() || host_.ExportRun()) return;
    const std::string next =
        NextRunText(schedule_.MsUntilNextRun(GetTickCount()), GetFormatString(IDS_WATCH_NEXT_RUN));
    host_.ShowStatus(next.c_str());
}

}  // namespace vm
