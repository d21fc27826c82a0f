#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/app/WatchSchedule.h"
#include "core/options/AppSettings.h"
#include "core/report/AlertRules.h"
#include "win32/app/TrayIcon.h"

namespace vm {

constexpr UINT WM_TRAY_ICON = WM_USER + 52;  // the notification-area icon's mouse
constexpr UINT_PTR kWatchTimerId = 2;        // the next run of a watch is due

// What a watch needs from the window that hosts the run.
class RunWatchHost {
public:
    virtual ~RunWatchHost() = default;
    virtual HWND Owner() const = 0;
    virtual bool IsRunning() const = 0;
    // There is a run and it is not going: the watch may start it.
    virtual bool CanStartRun() const = 0;
    virtual void StartRun() = 0;
    virtual bool ExportRun() const = 0;
    // The window is closing or the session ending: no further run is scheduled.
    virtual bool Ending() const = 0;
    // Options > Run the Test Every... changed what the menus show.
    virtual void OptionsChanged() = 0;
    // The status bar's counts, with extra after them (nullptr: nothing).
    virtual void ShowStatus(const char* extra) = 0;
    virtual void FocusList() = 0;
};

// Runs of the test on a schedule: Options > Run the Test Every... or the export's /every,
// the timer to the next run, the window closed to its notification-area icon meanwhile,
// and the status bar's time to the next run.
class RunWatch {
public:
    RunWatch(RunWatchHost& host, AppSettings& settings) : host_(host), settings_(settings) {}

    bool Active() const { return schedule_.Active(); }
    // An export's watch: a run every everySeconds, runLimit runs (0: no limit); the first
    // starts at once.
    void StartExport(uint32_t everySeconds, uint32_t runLimit);
    // The minutes of the options: a watch starts (with a run), or stops at 0.
    void Apply();
    void OpenDialog();
    void Stop();
    // A run of the watch, or one the user asked for now.
    void RunNow();
    // After a run: the next one scheduled when the watch wants it; false when none is.
    bool ScheduleNextRun();
    // The watch's timer went off.
    void OnTimer();
    // The window's end: no timer, no icon.
    void Shutdown();

    // The window and its notification-area icon.
    void OnTrayIcon(LPARAM mouse);
    void OpenFromTray();
    void ExitFromTray();
    // A close while watching hides the window instead; false when it really closes.
    bool CloseToTray();
    void ShowAlerts(const std::vector<Alert>& alerts) { tray_.ShowAlerts(host_.Owner(), alerts); }
    void UpdateNextRunText();

private:
    RunWatchHost& host_;
    AppSettings& settings_;
    WatchSchedule schedule_;
    TrayIcon tray_{WM_TRAY_ICON};
    bool keepInTray_ = true;
    bool inTray_ = false;   // the window is closed to the notification area
    bool exiting_ = false;  // Exit from the icon's menu: the close really closes
};

}  // namespace vm
