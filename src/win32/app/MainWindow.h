#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/app/Commands.h"
#include "core/app/ExportTarget.h"
#include "core/app/StartupOptions.h"
#include "core/base/ArgumentList.h"
#include "core/config/PersistConfig.h"
#include "core/config/WindowPlacement.h"
#include "core/engine/TestRun.h"
#include "core/lang/FallbackMessageTable.h"
#include "core/list/DownloadListView.h"
#include "core/options/AppSettings.h"
#include "core/report/RunReport.h"
#include "win32/app/GraphPanel.h"
#include "win32/app/ListCommands.h"
#include "win32/app/MainWindowChrome.h"
#include "win32/app/RunOutputs.h"
#include "win32/app/RunWatch.h"
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
// WM_USER + 52 is the notification-area icon's (WM_TRAY_ICON, RunWatch.h).
constexpr UINT WM_NUMBERS_REFUSED = WM_USER + 53;  // says which numbers were not taken
constexpr UINT_PTR kSampleTimerId = 1;
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
    // The speed graph below the list (tests and benchmarks look in).
    GraphPanel& Graph() { return graph_; }

protected:
    void OnCreate() override;
    void OnCommand(UINT code, WPARAM wParam, LPARAM lParam) override;
    void OnNotify(WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;
    void OnEndSession() override;
    void OnSize() override;

private:
    class RunHost;
    class PartsHost;
    class PlacementHost;
    class ColumnsHost;
    class ListHost;
    struct CommandHandlers;  // the command table's handlers (MainWindowCommands.cpp)

    // The configuration and the export's checks before its run (MainWindowFiles.cpp).
    ConfigResult ExchangeConfiguration(bool save);
    void ShowConfigProblem();
    void SayConfigNotSaved();
    bool ExportMayStart();
    void SaveAtExit();
    void TakeRefusedNumbers();
    void ShowRefusedNumbers();
    bool Unattended() const { return options_.hidden && exportRequest_.type != 0; }

    void RefillList();
    void UpdateCommandStates(HMENU popup = nullptr);
    void UpdateStatusText();
    void RefreshList();
    void ApplyListStyles();
    bool OnClose();
    void OnListNotify(NMHDR& header);

    // Commands (MainWindowCommands.cpp): a check mark's option, and those that write the
    // selected rows out.
    void ToggleChecked(const Command& command);
    void SaveSelectedItems();
    void CopySelectedItems();

    // Dialogs and the installer script (MainWindowDialogs.cpp).
    void OpenAdvancedOptions();
    void OpenProperties();
    void OpenAbout();
    void CreateInstaller(int templateId);

    // The window at its screen's DPI (MainWindowDpi.cpp).
    void OnGetMinMaxInfo(MINMAXINFO* info) const;
    void OnDpiChanged(int dpi, const RECT* suggested);

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
    std::unique_ptr<PartsHost> partsHost_;
    RunOutputs outputs_;
    GraphPanel graph_;
    RunWatch watch_;
    std::unique_ptr<TestRun> run_;
    ConfigSession session_;
    WindowPlacement loadedPlacement_;
    ExportRequest exportRequest_;
    ConfigResult loadResult_ = ConfigResult::Done;
    bool savedAtExit_ = false;
    std::string helpFilePath_;
    bool helpFileExists_ = false;
    int dpi_ = 96;  // of the screen the window is on
    bool statusUpdatePending_ = false;
    bool shutDown_ = false;
    int exitCode_ = 0;
    bool sessionEnding_ = false;             // the end of the session is cutting the run short
    std::vector<std::string> refusedTexts_;  // the numbers the configuration refused
};

}  // namespace vm
