#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/app/Commands.h"
#include "core/app/ExportTarget.h"
#include "core/app/ScratchReports.h"
#include "core/app/StartupOptions.h"
#include "core/app/WatchSchedule.h"
#include "core/base/ArgumentList.h"
#include "core/chart/GraphModel.h"
#include "core/config/PersistConfig.h"
#include "core/config/WindowPlacement.h"
#include "core/engine/TestRun.h"
#include "core/lang/FallbackMessageTable.h"
#include "core/list/DownloadListView.h"
#include "core/options/AppSettings.h"
#include "core/report/AlertRules.h"
#include "core/report/ReportFormat.h"
#include "core/report/RunReport.h"
#include "win32/app/JsonResultsFile.h"
#include "win32/app/ListCommands.h"
#include "win32/app/MainWindowChrome.h"
#include "win32/graph/GraphImage.h"
#include "win32/graph/SpeedGraphPane.h"
#include "win32/list/WinListView.h"
#include "win32/platform/WinClock.h"
#include "win32/platform/WinFileSystem.h"
#include "win32/platform/WinMessageTable.h"
#include "win32/platform/WinTimeText.h"
#include "win32/window/FrameWindow.h"

namespace vm {

// Private messages of the main window (WM_USER + n).
constexpr UINT WM_SELECTION_SETTLED = WM_USER + 2;
constexpr UINT WM_CLEAR_LIST = WM_USER + 21;
constexpr UINT WM_RESYNC_LIST = WM_USER + 22;
constexpr UINT WM_FOCUS_LIST = WM_USER + 28;
constexpr UINT WM_CONFIG_PROBLEM = WM_USER + 50;        // says why the configuration was not taken
constexpr UINT WM_SWITCH_WITHOUT_VALUE = WM_USER + 51;  // names a switch that lacks its value
constexpr UINT WM_TRAY_ICON = WM_USER + 52;             // the notification-area icon's mouse
constexpr UINT WM_NUMBERS_REFUSED = WM_USER + 53;       // says which numbers were not taken
constexpr UINT_PTR kSampleTimerId = 1;
constexpr UINT_PTR kWatchTimerId = 2;  // the next run of a watch is due
constexpr UINT kSampleTimerMs = 200;

// The program's only top-level window: menu, toolbar, the download list and the status
// bar; it hosts the test run and turns commands into work on the list and the run.
class MainWindow : public FrameWindow {
public:
    MainWindow(const ArgumentList& arguments, const StartupOptions& options);
    ~MainWindow() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The show command of the loaded placement (3: maximised).
    uint32_t LoadedShowCommand() const { return loadedPlacement_.showCmd; }
    bool IsRunning() const { return run_ != nullptr && run_->IsRunning(); }
    DownloadListView& List() { return list_; }
    AppSettings& Settings() { return settings_; }
    // The speed graph pane and the traces it draws from (tests and benchmarks look in).
    SpeedGraphPane& Graph() { return graph_; }
    RunSpeedTraces& Traces() { return graphModel_.Traces(); }
    // Redraws the pane from the traces and the selection.
    void UpdateGraph();
    // The alerts of the latest run, when a history was judged.
    const std::vector<Alert>& Alerts() const { return alerts_; }
    // Saves the pane's picture; written gets the file actually written (a bitmap beside
    // the name when PNG cannot be written). Returns 0 or the error code.
    uint32_t SaveGraphFile(const std::string& path, GraphImageFormat format,
                           std::string* written = nullptr);
    // Tests keep error boxes of the graph's commands from waiting for a click.
    void SetGraphErrorsQuiet(bool quiet) { graphErrorsQuiet_ = quiet; }

protected:
    void OnCreate() override;
    void OnCommand(UINT code, WPARAM wParam, LPARAM lParam) override;
    void OnNotify(WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;
    void OnEndSession() override;
    void OnSize() override;

private:
    class RunHost;
    class ReportHost;
    class PlacementHost;
    class ColumnsHost;
    class ListHost;
    struct CommandHandlers;  // the command table's handlers (MainWindowCommands.cpp)

    ConfigResult ExchangeConfiguration(bool save);
    void ShowConfigProblem();
    void SayConfigNotSaved();
    bool ExportMayStart();
    ProgramFiles OwnFiles() const;
    bool IsProgramFile(const std::string& path);
    void SaveAtExit();
    bool Unattended() const { return options_.hidden && exportRequest_.type != 0; }
    void RefillList();
    void UpdateCommandStates(HMENU popup = nullptr);
    void UpdateStatusText();
    void RefreshList();
    void ApplyListStyles();
    bool OnClose();
    void OnListNotify(NMHDR& header);
    bool WriteReportFile(int type, const std::string& path, bool selectedOnly);
    bool WriteJsonReportFile(const std::string& path);
    // The run's metrics (MainWindowMetrics.cpp): to a file, or to a Pushgateway.
    std::string RunMetricsText();
    bool WriteMetricsFile(const std::string& path);
    bool PushRunMetrics(const std::string& gatewayUrl);
    bool ReportFailed(uint32_t error);

    // The run history and the results page (MainWindowHistory.cpp).
    std::string HistoryPath() const;
    bool AppendRunHistory();
    bool WriteResultsPageFile(const std::string& path, bool historyAppended);
    void ShowSpeedHistory();
    bool IsProtectedOutput(const std::string& path) const;
    bool HistoryFailed(uint32_t message, const std::string& path, uint32_t error);
    void ReportToScratch(ReportType type, const std::string& path, bool selectedOnly,
                         int showCommand = SW_SHOW);

    // Commands (MainWindowCommands.cpp): their states, a check mark's option, and those
    // that write the selected rows out.
    void ToggleChecked(const Command& command);
    void SaveSelectedItems();
    void CopySelectedItems();

    // Dialogs and the installer script (MainWindowDialogs.cpp).
    void OpenAdvancedOptions();
    void OpenProperties();
    void OpenAbout();
    void CreateInstaller(int templateId);

    // --- The speed graph pane (MainWindowGraph.cpp) ---
    void CreateGraph();
    void DestroyGraph();
    bool GraphShown() const;
    // Pixels the pane and its splitter take of the height under the toolbar.
    int GraphSpace(int available) const;
    // The list's header and three rows: what it keeps when the window or the graph grows.
    int MinListHeight() const;
    // --- The window at its screen's DPI (MainWindowDpi.cpp) ---
    void OnGetMinMaxInfo(MINMAXINFO* info) const;
    void OnDpiChanged(int dpi, const RECT* suggested);
    void PlaceGraph(int top, int width, int height);
    void ToggleSpeedGraph();
    void OnRunStarting();
    // What the graph sees of the run now.
    GraphRunView GraphRun() const;
    // What a sample needs of it: the current item and its transfer's count. Taken at every
    // change of an item, so without the server and latency copies the chart wants.
    GraphRunView SampleRun() const;
    // Gives the graph its sample of the download under test.
    void SampleGraph();
    void OnGraphSelectionChanged();
    bool ShowGraphMenu(WPARAM wParam, LPARAM lParam);
    void CopyGraph();
    void SaveGraph();
    void ChooseGraphUnit(UINT command);
    uint32_t ReportGraphError(uint32_t error);
    bool OnSplitterMouse(UINT message, WPARAM wParam, LPARAM lParam);

    const ArgumentList& arguments_;
    const StartupOptions& options_;
    AppSettings settings_;
    WinFileSystem files_;
    WinTimeText timeText_;
    WinMessageTable messages_;
    FallbackMessageTable errorTexts_{messages_};
    WinClock clock_;
    DownloadListView list_;
    WinListView listControl_;
    MainWindowChrome chrome_;
    std::unique_ptr<ListHost> listHost_;
    ListCommands listCommands_;
    std::unique_ptr<RunHost> runHost_;
    std::unique_ptr<TestRun> run_;
    ConfigSession session_;
    WindowPlacement loadedPlacement_;
    ExportRequest exportRequest_;
    std::string htmlScratchPath_;
    std::string textScratchPath_;
    ScratchReports scratch_{files_};
    ConfigResult loadResult_ = ConfigResult::Done;
    bool savedAtExit_ = false;
    std::string historyScratchPath_;
    std::string lastRunDocument_;  // the run's compact JSON, as added to the history
    std::string helpFilePath_;
    bool helpFileExists_ = false;
    SpeedGraphPane graph_;
    GraphModel graphModel_;
    int dpi_ = 96;  // of the screen the window is on
    HMENU graphMenu_ = nullptr;
    int graphTop_ = 0;           // the splitter's top edge
    UINT graphUnitCommand_ = 0;  // the pane's choice of units; 0: as the list
    bool graphErrorsQuiet_ = false;
    bool splitterDrag_ = false;
    int splitterGrab_ = 0;
    bool statusUpdatePending_ = false;
    bool shutDown_ = false;
    int exitCode_ = 0;
    bool sessionEnding_ = false;  // the end of the session is cutting the run short

    // --- Watching links (MainWindowWatch.cpp): alerts, refused numbers, runs on a schedule ---
    bool HistoryKept() const;
    void JudgeAlerts(const std::string& historyPath);
    JsonResultsExtras RunExtras() const;
    void TakeRefusedNumbers();
    void ShowRefusedNumbers();
    void StartWatchedRun();
    // After a run: the next one scheduled when a watch wants it; false when none is.
    bool ScheduleNextRun();
    // The window's watch (MainWindowTray.cpp): the dialog, the notification-area icon and
    // its menu, the balloons of alerts and the status bar's time to the next run.
    void OpenRunEvery();
    void ApplyRunEvery();
    void OpenFromTray();
    void StopWatching();
    void ExitFromTray();
    bool CloseToTray();
    void AddTrayIcon();
    void RemoveTrayIcon();
    void ShowTrayMenu();
    void ShowAlertBalloons();
    void UpdateNextRunText();
    bool keepInTray_ = true;
    bool inTray_ = false;  // the window is closed to the notification area
    bool trayIcon_ = false;
    bool exiting_ = false;  // Exit from the icon's menu: the close really closes
    std::vector<Alert> alerts_;
    bool alertsJudged_ = false;
    std::vector<RunWarning> warnings_;       // for the JSON document (UTF-8)
    std::vector<std::string> refusedTexts_;  // the same in the system code page
    WatchSchedule watch_;
};

}  // namespace vm
