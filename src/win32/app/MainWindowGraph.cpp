// The main window's speed graph: the pane below the list, the splitter above it, what it
// shows and its commands.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "core/base/DpiScale.h"
#include "core/base/FilterList.h"
#include "core/chart/GraphSplit.h"
#include "core/chart/SeriesPalette.h"
#include "core/chart/SpeedChart.h"
#include "core/lang/StringTable.h"
#include "resource.h"
#include "win32/app/MainWindow.h"
#include "win32/graph/GraphImage.h"
#include "win32/lang/MenuLoading.h"
#include "win32/window/FileChooser.h"
#include "win32/window/ShellUtil.h"

namespace vm {
namespace {

// At 96 DPI; the graph's stored height is in these units too.
constexpr int kSplitterHeight = 5;
constexpr int kMinGraphHeight = 80;
constexpr int kMaxGraphHeight = 4000;
// The rows the list keeps when the window is small or the pane is dragged up.
constexpr int kMinListRows = 3;
// The splitter's top while there is none on the screen: above any point of the window.
constexpr int kNoSplitter = -0x10000;
constexpr char kPngExtension[] = "png";
constexpr char kBmpExtension[] = "bmp";

}  // namespace

void MainWindow::CreateGraph() {
    graph_.Create(Handle(), IDC_SPEED_GRAPH);
    graphMenu_ = LoadTranslatedMenu(IDR_GRAPHMENU);
    // A hand-edited height out of range falls back to the nearest one that works.
    settings_.SpeedGraphHeight =
        std::max(kMinGraphHeight, std::min(kMaxGraphHeight, settings_.SpeedGraphHeight));
    if (graph_.Handle() != nullptr) {
        ShowWindow(graph_.Handle(), settings_.ShowSpeedGraph ? SW_SHOWNA : SW_HIDE);
    }
    UpdateGraph();
}

void MainWindow::DestroyGraph() {
    if (graphMenu_ != nullptr) DestroyMenu(graphMenu_);
    graphMenu_ = nullptr;
}

bool MainWindow::GraphShown() const {
    return graph_.Handle() != nullptr && settings_.ShowSpeedGraph != 0;
}

int MainWindow::MinListHeight() const {
    // The list view's own estimate of its header and rows, plus a scroll bar and its edges.
    const LRESULT size = SendMessageA(listControl_.Handle(), LVM_APPROXIMATEVIEWRECT, kMinListRows,
                                      MAKELPARAM(-1, -1));
    return HIWORD(size) + GetSystemMetrics(SM_CYHSCROLL) + 2 * GetSystemMetrics(SM_CYEDGE);
}

int MainWindow::GraphSpace(int available) const {
    if (!GraphShown()) return 0;
    // The graph gives way before the list does.
    return SplitForGraph(available, ScaleToDpi(settings_.SpeedGraphHeight, dpi_), MinListHeight(),
                         ScaleToDpi(kMinGraphHeight, dpi_), ScaleToDpi(kSplitterHeight, dpi_))
        .graphSpace;
}

void MainWindow::PlaceGraph(int top, int width, int height) {
    if (graph_.Handle() == nullptr) return;
    const int splitter = ScaleToDpi(kSplitterHeight, dpi_);
    if (height <= splitter) {
        ShowWindow(graph_.Handle(), SW_HIDE);
        graphTop_ = kNoSplitter;  // nothing to drag while the graph gives way
        return;
    }
    SetWindowPos(graph_.Handle(), nullptr, 0, top + splitter, width, height - splitter,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (GraphShown() && !IsWindowVisible(graph_.Handle())) ShowWindow(graph_.Handle(), SW_SHOWNA);
    graphTop_ = top;
}

void MainWindow::ToggleSpeedGraph() {
    settings_.ShowSpeedGraph = settings_.ShowSpeedGraph ? 0 : 1;
    if (graph_.Handle() != nullptr) {
        ShowWindow(graph_.Handle(), settings_.ShowSpeedGraph ? SW_SHOWNA : SW_HIDE);
    }
    OnSize();
    UpdateGraph();
    UpdateCommandStates();
}

void MainWindow::OnRunStarting() { graphModel_.OnRunStarting(); }

GraphRunView MainWindow::SampleRun() const {
    GraphRunView view;
    if (run_ == nullptr) return view;
    view.running = run_->IsRunning();
    view.currentIndex = run_->CurrentIndex();
    view.measurements = &run_->Measurements();
    if (const DownloadTransfer* transfer = run_->CurrentTransfer()) {
        view.hasTransfer = true;
        view.transferBytes = transfer->BytesRead();
    }
    return view;
}

GraphRunView MainWindow::GraphRun() const {
    GraphRunView view = SampleRun();
    const DownloadTransfer* transfer = run_ != nullptr ? run_->CurrentTransfer() : nullptr;
    if (transfer != nullptr) {
        for (int phase = 0; phase < kLibraryPhaseCount; ++phase) {
            view.hasPhaseTick[phase] = transfer->Phases().Get(phase, &view.phaseTick[phase]);
        }
        if (transfer->AcceptedTime() != 0) {
            view.hasPhaseTick[kAttemptFirstByte] = true;
            view.phaseTick[kAttemptFirstByte] = transfer->AcceptedTick();
        }
        view.transferServer = transfer->Identity();
        view.transferLatency = run_->CurrentLatency();
    }
    return view;
}

void MainWindow::SampleGraph() {
    graphModel_.Sample(SampleRun(), list_.Items(), settings_, clock_.TickCount());
}

void MainWindow::UpdateGraph() {
    if (!GraphShown()) return;
    ChartFrame frame;
    frame.unit = graphUnitCommand_ == ID_GRAPH_UNIT_KB     ? ChartUnit::KBps
                 : graphUnitCommand_ == ID_GRAPH_UNIT_MBPS ? ChartUnit::Mbps
                                                           : UnitForSortCode(list_.SortCode());
    frame.plotWidth = graph_.PlotWidth();
    frame.hasTimeLimit = settings_.UseAutoStopTime != 0;
    frame.timeLimitSeconds = settings_.AutoStopTime;
    const std::vector<size_t> selected = GraphModel::SelectedIndexes(list_, kMaxComparedSeries);
    graph_.SetChart(graphModel_.Chart(GraphRun(), list_.Items(), selected, settings_, frame));
}

void MainWindow::OnGraphSelectionChanged() {
    // A row the user picks during a run takes the pane from the download under test.
    graphModel_.OnSelectionChanged(GraphRun(), GraphModel::SelectedIndexes(list_, 2));
    UpdateGraph();
}

bool MainWindow::ShowGraphMenu(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(wParam) != graph_.Handle() || graphMenu_ == nullptr) return false;
    HMENU popup = GetSubMenu(graphMenu_, 0);
    CheckMenuItem(popup, ID_SPEED_GRAPH,
                  MF_BYCOMMAND | (settings_.ShowSpeedGraph ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuRadioItem(popup, ID_GRAPH_UNIT_LIST, ID_GRAPH_UNIT_MBPS,
                       graphUnitCommand_ != 0 ? graphUnitCommand_ : ID_GRAPH_UNIT_LIST,
                       MF_BYCOMMAND);
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == -1) {  // from the keyboard: the pane's corner
        point = {4, 4};
        ClientToScreen(graph_.Handle(), &point);
    }
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, point.x, point.y, 0, Handle(), nullptr);
    return true;
}

void MainWindow::ChooseGraphUnit(UINT command) {
    graphUnitCommand_ = command;
    UpdateGraph();
}

void MainWindow::CopyGraph() {
    HBITMAP bitmap = graph_.RenderBitmap();
    const uint32_t error =
        bitmap != nullptr ? CopyBitmapToClipboard(Handle(), bitmap) : ERROR_NOT_ENOUGH_MEMORY;
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (error != 0) ShowErrorBox(error, Handle());
}

void MainWindow::SaveGraph() {
    const std::string png = std::string(GetString(IDS_GRAPH_PNG_FILES));
    const std::string bmp = std::string(GetString(IDS_GRAPH_BMP_FILES));
    const FilterPair pairs[] = {{png.c_str(), "*.png"}, {bmp.c_str(), "*.bmp"}};
    std::string filters;
    BuildFilterList(pairs, 2, &filters);
    int filterIndex = 1;
    std::string path = "speed-graph.png";
    if (!ChooseSaveFile(Handle(), &filterIndex, &path, filters, GetString(IDS_GRAPH_SAVE_TITLE),
                        kPngExtension)) {
        return;
    }
    SaveGraphFile(path, filterIndex == 2 ? GraphImageFormat::Bmp : GraphImageFormat::Png);
}

uint32_t MainWindow::SaveGraphFile(const std::string& path, GraphImageFormat format,
                                   std::string* written) {
    HBITMAP bitmap = graph_.RenderBitmap();
    if (bitmap == nullptr) return ReportGraphError(ERROR_NOT_ENOUGH_MEMORY);
    std::string target = path;
    uint32_t error = 0;
    if (format == GraphImageFormat::Png) {
        error = SaveBitmapAsPng(bitmap, target);
        if (error == ERROR_NOT_SUPPORTED) {
            // Without the imaging component the picture still gets saved, as a bitmap.
            target = WithExtension(path, kBmpExtension);
            error = SaveBitmapAsBmp(bitmap, target);
        }
    } else {
        error = SaveBitmapAsBmp(bitmap, target);
    }
    DeleteObject(bitmap);
    if (written != nullptr) *written = error == 0 ? target : std::string();
    return ReportGraphError(error);
}

uint32_t MainWindow::ReportGraphError(uint32_t error) {
    if (error != 0 && !graphErrorsQuiet_) ShowErrorBox(error, Handle());
    return error;
}

bool MainWindow::OnSplitterMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!GraphShown()) return false;
    const int y = static_cast<short>(HIWORD(lParam));
    const int splitter = ScaleToDpi(kSplitterHeight, dpi_);
    const bool overSplitter = y >= graphTop_ && y < graphTop_ + splitter;
    switch (message) {
        case WM_SETCURSOR: {
            if (reinterpret_cast<HWND>(wParam) != Handle() || LOWORD(lParam) != HTCLIENT) {
                return false;
            }
            POINT point;
            GetCursorPos(&point);
            ScreenToClient(Handle(), &point);
            if (point.y < graphTop_ || point.y >= graphTop_ + splitter) return false;
            SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32645)));  // IDC_SIZENS
            return true;
        }
        case WM_LBUTTONDOWN:
            if (!overSplitter) return false;
            splitterDrag_ = true;
            splitterGrab_ = y - graphTop_;
            SetCapture(Handle());
            return true;
        case WM_MOUSEMOVE:
            if (!splitterDrag_) return false;
            {
                RECT client;
                GetClientRect(Handle(), &client);
                const int bottom = client.bottom - chrome_.StatusBarHeight();
                const int top = chrome_.ToolbarHeight();
                const int minGraph = ScaleToDpi(kMinGraphHeight, dpi_);
                const int splitterTop =
                    std::max(top + MinListHeight(), std::min(y - splitterGrab_, bottom - minGraph));
                // Kept in 96-DPI units, like every stored size.
                settings_.SpeedGraphHeight =
                    std::max(kMinGraphHeight, ScaleFromDpi(bottom - splitterTop - splitter, dpi_));
                OnSize();
                UpdateGraph();
            }
            return true;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            if (!splitterDrag_) return false;
            splitterDrag_ = false;
            if (message == WM_LBUTTONUP) ReleaseCapture();
            return true;
        default:
            return false;
    }
}

}  // namespace vm
