// The main window: creation, the message switch, the layout, and the hosts through which
// the engine, the configuration and the window's parts reach it.
#include "win32/app/MainWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>

#include "core/app/ExportRunEnd.h"
#include "core/base/CompanionFileName.h"
#include "core/engine/TransferEvent.h"
#include "core/lang/StringTable.h"
#include "core/list/ItemCells.h"
#include "resource.h"
#include "win32/engine/ProcessTransfers.h"
#include "win32/platform/WindowDpi.h"
#include "win32/window/ShellUtil.h"

namespace vm {

// --- What the engine and the configuration need from this window ---

class MainWindow::RunHost : public TestRunHost, public ExportRunHost {
public:
    explicit RunHost(MainWindow& window) : window_(window) {}

    DownloadItem* ItemAt(size_t index) override {
        auto& items = window_.list_.Items();
        return index < items.size() ? &items[index] : nullptr;
    }
    void Refresh() override {
        window_.graph_.Sample();
        // Shown at the next timer step, with the pane (see DownloadListView::MarkChanged).
        window_.list_.MarkChanged();
    }
    void OnRunStateChanged() override {
        if (window_.IsRunning()) window_.graph_.OnRunStarting();
        window_.UpdateCommandStates();
        window_.graph_.Update();
    }
    void OnRunEnded() override {
        // At the end of the session only an export's report is written: no automatic
        // report, and no viewer opened for nobody.
        if (window_.sessionEnding_ && window_.exportRequest_.type == 0) return;
        FinishRun(window_.exportRequest_, window_.settings_, window_.list_.Items(), *this);
        if (window_.exportRequest_.type == 0) {
            if (window_.outputs_.AlertsJudged())
                window_.watch_.ShowAlerts(window_.outputs_.Alerts());
            window_.watch_.ScheduleNextRun();
        }
    }

    bool WriteReport(int32_t type, const std::string& path) override {
        return window_.outputs_.WriteRunReport(type, path);
    }
    bool WriteJsonReport(const std::string& path) override {
        return window_.outputs_.WriteRunJson(path);
    }
    bool WriteMetricsFile(const std::string& path) override {
        return window_.outputs_.WriteMetricsFile(path);
    }
    bool PushMetrics(const std::string& url) override { return window_.outputs_.PushMetrics(url); }
    bool RunInterrupted() override { return window_.sessionEnding_; }
    bool AlertFiring() override {
        return window_.outputs_.AlertsJudged() && AnyAlertFiring(window_.outputs_.Alerts());
    }
    bool AppendHistory() override { return window_.outputs_.AppendRunHistory(); }
    bool WriteResultsPage(const std::string& path, bool historyAppended) override {
        return window_.outputs_.WriteResultsPage(path, historyAppended);
    }
    void OpenWithShell(const std::string& path) override { ShellOpen(window_.Handle(), path); }
    void Quit(int exitCode) override {
        // A watch's exit code is that of its last run.
        window_.exitCode_ = exitCode;
        if (!window_.watch_.ScheduleNextRun()) PostQuitMessage(exitCode);
    }
    std::string ProgramFolder() override { return vm::ProgramFolder(); }

private:
    MainWindow& window_;
};

// The window's parts (the run's outputs, the graph, the watch) reach the window here.
class MainWindow::PartsHost : public RunOutputsHost, public GraphPanelHost, public RunWatchHost {
public:
    explicit PartsHost(MainWindow& window) : window_(window) {}

    HWND Owner() const override { return window_.Handle(); }
    void OptionsChanged() override { window_.UpdateCommandStates(); }
    // RunOutputsHost
    const RunMeasurements* Measurements() const override {
        return window_.run_ != nullptr ? &window_.run_->Measurements() : nullptr;
    }
    bool Unattended() const override { return window_.Unattended(); }
    bool Watching() const override { return window_.watch_.Active(); }
    std::string ConfigPath() const override { return window_.session_.path; }
    void ListChanged() override { window_.RefreshList(); }
    // GraphPanelHost
    const TestRun* Run() const override { return window_.run_.get(); }
    void Relayout() override { window_.OnSize(); }
    // RunWatchHost
    bool IsRunning() const override { return window_.IsRunning(); }
    bool CanStartRun() const override { return window_.run_ != nullptr && !IsRunning(); }
    void StartRun() override { window_.run_->StartTest(); }
    bool ExportRun() const override { return window_.exportRequest_.type != 0; }
    bool Ending() const override { return window_.shutDown_ || window_.sessionEnding_; }
    void ShowStatus(const char* extra) override {
        window_.chrome_.SetStatusText(static_cast<int>(window_.list_.RowCount()),
                                      static_cast<int>(window_.list_.SelectedCount()), extra);
    }
    void FocusList() override { SetFocus(window_.listControl_.Handle()); }

private:
    MainWindow& window_;
};

class MainWindow::PlacementHost : public WindowPlacementExchange {
public:
    explicit PlacementHost(MainWindow& window) : window_(window) {}

    WindowPlacement CurrentPlacement() override {
        WINDOWPLACEMENT wp = {};
        wp.length = sizeof wp;
        if (window_.Handle() == nullptr || !GetWindowPlacement(window_.Handle(), &wp)) {
            return window_.loadedPlacement_;
        }
        WindowPlacement p;
        p.length = sizeof wp;
        p.flags = wp.flags;
        p.showCmd = wp.showCmd;
        p.minX = wp.ptMinPosition.x;
        p.minY = wp.ptMinPosition.y;
        p.maxX = wp.ptMaxPosition.x;
        p.maxY = wp.ptMaxPosition.y;
        p.left = wp.rcNormalPosition.left;
        p.top = wp.rcNormalPosition.top;
        p.right = wp.rcNormalPosition.right;
        p.bottom = wp.rcNormalPosition.bottom;
        return p;
    }
    void PlacementLoaded(const WindowPlacement& p, bool apply) override {
        window_.loadedPlacement_ = p;
        if (!apply || window_.Handle() == nullptr) return;
        WINDOWPLACEMENT wp = {};
        wp.length = sizeof wp;
        wp.flags = p.flags;
        wp.showCmd = kShowDefault;
        wp.ptMinPosition = {p.minX, p.minY};
        wp.ptMaxPosition = {p.maxX, p.maxY};
        wp.rcNormalPosition = {p.left, p.top, p.right, p.bottom};
        SetWindowPlacement(window_.Handle(), &wp);
    }
    void ScreenSize(int32_t* width, int32_t* height) override {
        *width = GetSystemMetrics(SM_CXSCREEN);
        *height = GetSystemMetrics(SM_CYSCREEN);
    }

private:
    MainWindow& window_;
};

class MainWindow::ColumnsHost : public ColumnLayoutExchange {
public:
    explicit ColumnsHost(DownloadListView& list) : list_(list) {}
    std::vector<uint8_t> LayoutBytes() override { return list_.LayoutBytes(); }
    int32_t SortCode() const override { return list_.SortCode(); }
    bool ApplyLayoutBytes(const std::vector<uint8_t>& bytes) override {
        return list_.ApplyLayoutBytes(bytes);
    }
    void SetSortCode(int32_t code) override { list_.SetSortCode(code); }

private:
    DownloadListView& list_;
};

class MainWindow::ListHost : public ListCommandsHost {
public:
    explicit ListHost(MainWindow& window) : window_(window) {}
    HWND Owner() const override { return window_.Handle(); }
    bool IsRunning() const override { return window_.IsRunning(); }
    void RefillList() override { window_.RefillList(); }
    void RowsChanged() override {
        window_.UpdateStatusText();
        window_.UpdateCommandStates();
    }
    void SaveConfiguration() override { window_.ExchangeConfiguration(true); }

private:
    MainWindow& window_;
};

// --- The window ---

MainWindow::MainWindow(const ArgumentList& arguments, const StartupOptions& options)
    : FrameWindow("Velocimark",
                  LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VELOCIMARK))),
      arguments_(arguments),
      options_(options),
      list_(settings_, &timeText_),
      listControl_(list_),
      listHost_(std::make_unique<ListHost>(*this)),
      listCommands_(*listHost_, list_, listControl_, files_, settings_),
      runHost_(std::make_unique<RunHost>(*this)),
      partsHost_(std::make_unique<PartsHost>(*this)),
      outputs_(*partsHost_, list_, settings_, files_, options),
      graph_(*partsHost_, list_, settings_, listControl_, chrome_, clock_),
      watch_(*partsHost_, settings_) {
    exportRequest_.type = options.exportMode;
    exportRequest_.fileName = options.exportFile;
    exportRequest_.metricsFile = options.metricsFile;
    exportRequest_.pushUrl = options.pushUrl;
    exportRequest_.strict = options.strict;
    session_ = MakeConfigSession(files_, ProgramPath(), CurrentDirectory(), options);
}

MainWindow::~MainWindow() {
    run_.reset();
    chrome_.Destroy();
}

void MainWindow::OnCreate() {
    HWND hwnd = Handle();
    dpi_ = WindowDpi(hwnd);
    chrome_.Create(hwnd, dpi_);
    SetToolbar(chrome_.toolbar);
    listControl_.Create(hwnd, IDC_LISTVIEW);
    listControl_.SetStatusBar(chrome_.statusBar);

    loadResult_ = ExchangeConfiguration(false);
    graph_.Create(hwnd, dpi_);
    SetFocus(listControl_.Handle());
    outputs_.PlaceScratchFiles(ReportFolder());

    listControl_.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP, true);
    ApplyListStyles();
    helpFilePath_ = CompanionFileName(ProgramPath(), ".chm");
    helpFileExists_ = files_.Exists(helpFilePath_);
    UpdateCommandStates();
    DragAcceptFiles(hwnd, TRUE);
    chrome_.SetStatusParts();
    RefillList();

    run_ = std::make_unique<TestRun>(*runHost_, settings_, clock_, errorTexts_, ProcessTransfers(),
                                     reinterpret_cast<uintptr_t>(hwnd));
    SetTimer(hwnd, kSampleTimerId, kSampleTimerMs, nullptr);
    TakeRefusedNumbers();
    if (exportRequest_.type != 0) {
        if (ExportMayStart()) {
            watch_.StartExport(options_.everySeconds, options_.runLimit);
        }
    } else {
        // Said once the window is on the screen, so the box has its owner in view.
        if (loadResult_ == ConfigResult::Unreadable || loadResult_ == ConfigResult::Truncated) {
            PostMessageA(hwnd, WM_CONFIG_PROBLEM, 0, 0);
        }
        if (!options_.switchWithoutValue.empty()) PostMessageA(hwnd, WM_SWITCH_WITHOUT_VALUE, 0, 0);
        // A watch kept in the configuration starts with the window.
        if (settings_.RunEveryMinutes > 0) watch_.Apply();
    }
}

// Long because it is the one switch over the window's own messages; each case hands over.
LRESULT MainWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (listCommands_.OnFindMessage(message, lParam)) return 0;
    switch (message) {
        case WM_TRANSFER_EVENT:
            if (run_ != nullptr) {
                run_->OnTransferEvent(static_cast<uint32_t>(wParam), static_cast<uint32_t>(lParam));
            }
            return 0;
        case WM_TIMER:
            if (wParam == kWatchTimerId) {
                watch_.OnTimer();
                return 0;
            }
            if (run_ != nullptr) run_->OnSampleTick();
            graph_.Sample();
            // The run's changes since the last step, once; the rows not while hidden. The
            // pane's chart goes with them: it costs the step little more than they do.
            if (list_.HasChanges() && IsRunning()) graph_.Update();
            (void)list_.RefreshIfChanged();
            watch_.UpdateNextRunText();
            return 0;
        case WM_SELECTION_SETTLED:
            statusUpdatePending_ = false;
            UpdateStatusText();
            UpdateCommandStates();
            graph_.OnSelectionChanged();
            return 0;
        case WM_SETCURSOR:
        case WM_LBUTTONDOWN:
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            if (graph_.OnSplitterMouse(message, wParam, lParam)) return message == WM_SETCURSOR;
            if (message != WM_SETCURSOR) break;
            if (reinterpret_cast<HWND>(wParam) == chrome_.statusBar) {
                SetCursor(
                    LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINK_CURSOR)));
                return TRUE;
            }
            break;
        case WM_CLEAR_LIST:
            if (!IsRunning()) list_.DeleteAllItems();
            UpdateStatusText();
            UpdateCommandStates();
            return 0;
        case WM_RESYNC_LIST:
            list_.RebuildRows(false);
            UpdateStatusText();
            UpdateCommandStates();
            return 0;
        case WM_FOCUS_LIST:
            SetFocus(listControl_.Handle());
            return 0;
        case WM_CONFIG_PROBLEM:
            ShowConfigProblem();
            return 0;
        case WM_SWITCH_WITHOUT_VALUE: {
            char text[1024];
            std::snprintf(text, sizeof text, GetFormatString(IDS_SWITCH_WITHOUT_VALUE),
                          options_.switchWithoutValue.c_str());
            MessageBoxA(Handle(), text, "Velocimark", MB_ICONWARNING);
            return 0;
        }
        case WM_NUMBERS_REFUSED:
            ShowRefusedNumbers();
            return 0;
        case WM_TRAY_ICON:
            watch_.OnTrayIcon(lParam);
            return 0;
        case WM_ACTIVATEAPP:
            if (wParam) PostMessageA(Handle(), WM_FOCUS_LIST, 0, 0);
            break;
        case WM_CLOSE:
            if (watch_.CloseToTray()) return 0;
            if (!OnClose()) return 0;
            // Saved while the window still stands, so a failure can be said in its box.
            SaveAtExit();
            break;
        case WM_DROPFILES:
            listCommands_.OnDropFiles(wParam);
            return 0;
        case WM_DRAWITEM: {
            const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (draw != nullptr && draw->hwndItem == chrome_.statusBar) {
                chrome_.DrawStatusLink(*draw);
                return TRUE;
            }
            break;
        }
        case WM_GETMINMAXINFO:
            OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
            return 0;
        case WM_DPICHANGED_MESSAGE:
            OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_CONTEXTMENU:
            if (graph_.ShowMenu(wParam, lParam)) return 0;
            if (reinterpret_cast<HWND>(wParam) == listControl_.Handle() && chrome_.contextMenu) {
                HMENU popup = GetSubMenu(chrome_.contextMenu, 0);
                UpdateCommandStates(popup);
                POINT point;
                GetCursorPos(&point);
                TrackPopupMenu(popup, TPM_RIGHTBUTTON, point.x, point.y, 0, Handle(), nullptr);
                return 0;
            }
            break;
        default:
            break;
    }
    return Dispatch(message, wParam, lParam);
}

bool MainWindow::OnClose() {
    if (!IsRunning()) return true;
    if (AskYesNo(Handle(), GetString(IDS_ASK_STOP_AND_EXIT)) != IDYES) return false;
    run_->StopTest();
    return true;
}

// Loading also applies the command-line options and turns delete confirmation on. A save
// that fails says so (file and reason) unless nobody watches.
ConfigResult MainWindow::ExchangeConfiguration(bool save) {
    PlacementHost placement(*this);
    ColumnsHost columns(list_);
    ConfigParts parts{&settings_, &list_.Items(), &placement, &columns};
    if (!save) return LoadConfiguration(session_, parts, arguments_);
    const ConfigResult result = PersistConfig(session_, parts, true);
    if (result == ConfigResult::WriteFailed || result == ConfigResult::TooLarge) {
        SayConfigNotSaved();
    }
    return result;
}

void MainWindow::OnEndSession() {
    // The session cannot wait for the run: an export writes its report with the items as
    // they stand and says through its exit code that the run did not complete.
    if (!shutDown_ && IsRunning()) {
        sessionEnding_ = true;
        run_->InterruptTest();
    }
    OnDestroy();
}

void MainWindow::OnDestroy() {
    if (shutDown_) return;
    shutDown_ = true;
    KillTimer(Handle(), kSampleTimerId);
    watch_.Shutdown();
    run_.reset();  // stops and destroys a running transfer without a report
    outputs_.RemoveScratchFiles();
    SaveAtExit();
    // Keeps the code of an export that already asked to quit (a close during the run).
    PostQuitMessage(exitCode_);
}

void MainWindow::OnSize() {
    if (!IsCreated()) return;
    RECT client;
    GetClientRect(Handle(), &client);
    const int toolbarHeight = chrome_.ToolbarHeight();
    const int statusHeight = chrome_.StatusBarHeight();
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    const int graphSpace = graph_.Space(height - toolbarHeight - statusHeight);
    graph_.Place(height - statusHeight - graphSpace, width, graphSpace);
    HDWP defer = BeginDeferWindowPos(3);
    if (defer)
        defer = DeferWindowPos(defer, chrome_.toolbar, nullptr, 0, 0, width, toolbarHeight,
                               SWP_NOZORDER);
    if (defer)
        defer = DeferWindowPos(defer, chrome_.statusBar, nullptr, 0, height - statusHeight, width,
                               statusHeight, SWP_NOZORDER);
    if (defer)
        defer = DeferWindowPos(defer, listControl_.Handle(), nullptr, 0, toolbarHeight, width,
                               height - toolbarHeight - statusHeight - graphSpace, SWP_NOZORDER);
    if (defer) EndDeferWindowPos(defer);
    // Wine leaves a restored column order and the status bar unpainted after a layout.
    listControl_.ReapplyColumnOrder();
    InvalidateRect(chrome_.statusBar, nullptr, TRUE);
}

void MainWindow::RefillList() {
    BeginWaitCursor();
    SendMessageA(listControl_.Handle(), WM_SETREDRAW, FALSE, 0);
    list_.Reload();
    UpdateStatusText();
    EndWaitCursor();
    SetFocus(listControl_.Handle());
    SendMessageA(listControl_.Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listControl_.Handle(), nullptr, TRUE);
    UpdateCommandStates();
}

void MainWindow::RefreshList() { list_.Refresh(); }

void MainWindow::UpdateStatusText() {
    chrome_.SetStatusText(static_cast<int>(list_.RowCount()),
                          static_cast<int>(list_.SelectedCount()));
}

void MainWindow::ApplyListStyles() {
    listControl_.SetExtendedStyle(LVS_EX_GRIDLINES, settings_.ShowGridLines != 0);
    listControl_.SetExtendedStyle(LVS_EX_INFOTIP, settings_.ShowInfoTip != 0);
}

void MainWindow::OnNotify(WPARAM, LPARAM lParam) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header == nullptr) return;
    if (header->hwndFrom == listControl_.Handle()) {
        OnListNotify(*header);
    } else if (header->code == TTN_GETDISPINFOA) {
        chrome_.FillToolTip(reinterpret_cast<NMTTDISPINFOA*>(header));
    } else if (header->hwndFrom == chrome_.statusBar && header->code == NM_CLICK) {
        const auto* mouse = reinterpret_cast<const NMMOUSE*>(header);
        if (mouse->dwItemSpec == 1) ShellOpen(Handle(), kProductWebAddress);
    }
}

void MainWindow::OnListNotify(NMHDR& header) {
    LRESULT result = 0;
    if (listControl_.OnNotify(header, &result)) {
        SetResult(result);
        return;
    }
    switch (header.code) {
        case NM_DBLCLK:
            OpenProperties();
            break;
        case LVN_COLUMNCLICK: {
            const auto& view = reinterpret_cast<const NMLISTVIEW&>(header);
            list_.Sort(view.iSubItem, true);
            UpdateCommandStates();
            graph_.Update();  // its units follow the sorted speed column
            break;
        }
        case LVN_ITEMCHANGED: {
            const auto& view = reinterpret_cast<const NMLISTVIEW&>(header);
            if (!(view.uChanged & LVIF_STATE) ||
                !((view.uNewState ^ view.uOldState) & LVIS_SELECTED)) {
                break;
            }
        }
            [[fallthrough]];
        case LVN_ODSTATECHANGED:
            if (!statusUpdatePending_) {
                statusUpdatePending_ = true;
                PostMessageA(Handle(), WM_SELECTION_SETTLED, 0, 0);
            }
            break;
        default:
            break;
    }
}

}  // namespace vm
