// The main window's speed graph: the pane below the list, the splitter above it, what it
// shows and its commands.
#include <algorithm>

#include "core/base/FilterList.h"
#include "core/chart/SeriesPalette.h"
#include "core/chart/SpeedChart.h"
#include "core/engine/SpeedRules.h"
#include "core/engine/SpeedThreshold.h"
#include "core/engine/SteadySpeed.h"
#include "core/lang/StringTable.h"
#include "core/list/LatencyText.h"
#include "core/list/PathTexts.h"
#include "resource.h"
#include "win32/app/MainWindow.h"
#include "win32/graph/GraphImage.h"
#include "win32/lang/MenuLoading.h"
#include "win32/window/FileChooser.h"
#include "win32/window/ShellUtil.h"

namespace vm {
namespace {

constexpr int kSplitterHeight = 5;
constexpr int kMinGraphHeight = 80;
constexpr int kMaxGraphHeight = 4000;
// The list keeps at least this much when the window is small or the pane is dragged up.
constexpr int kMinListHeight = 60;
constexpr char kPngExtension[] = "png";
constexpr char kBmpExtension[] = "bmp";

// The item's name as the list shows it, or its URL.
std::string SubjectName(const DownloadItem& item) {
    return item.name.empty() ? item.url : item.name;
}

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

int MainWindow::GraphSpace(int available) const {
    if (!GraphShown()) return 0;
    const int height = std::min(settings_.SpeedGraphHeight, available - kMinListHeight);
    return std::max(height, std::min(kMinGraphHeight, available)) + kSplitterHeight;
}

void MainWindow::PlaceGraph(int top, int width, int height) {
    if (graph_.Handle() == nullptr) return;
    if (height <= kSplitterHeight) {
        ShowWindow(graph_.Handle(), SW_HIDE);
        return;
    }
    SetWindowPos(graph_.Handle(), nullptr, 0, top + kSplitterHeight, width,
                 height - kSplitterHeight, SWP_NOZORDER | SWP_NOACTIVATE);
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

void MainWindow::OnRunStarting() {
    traces_.Clear();
    steadyIndex_ = SIZE_MAX;
    graphFollowsRun_ = true;
}

void MainWindow::RecordGraphStep() {
    if (run_ == nullptr || !run_->IsRunning()) return;
    const size_t index = run_->CurrentIndex();
    if (index >= list_.Items().size()) return;
    const DownloadItem& item = list_.Items()[index];
    if (!item.HasStarted()) return;
    uint32_t ms = item.duration;
    uint64_t bytes = item.bytes;
    const DownloadTransfer* transfer = run_->CurrentTransfer();
    if (item.status == DownloadStatus::Downloading) {
        // Between the list's own updates the transfer has counted more.
        ms = clock_.TickCount() - item.startTick;
        if (transfer != nullptr) bytes = std::max(bytes, transfer->BytesRead());
    }
    const uint64_t sizeLimit = settings_.UseAutoStopSize ? AutoStopSizeBytes(settings_) : 0;
    traces_.Record(index, item.startTime, ms, bytes, sizeLimit);
}

void MainWindow::GraphSubjects(std::vector<size_t>* indexes) const {
    indexes->clear();
    const bool running = run_ != nullptr && run_->IsRunning();
    if (running && graphFollowsRun_) {
        indexes->push_back(run_->CurrentIndex());
        return;
    }
    for (int64_t row = list_.NextSelectedRow(kAllRows);
         row >= 0 && indexes->size() < kMaxComparedSeries; row = list_.NextSelectedRow(row)) {
        size_t index = 0;
        if (list_.ItemOfRow(static_cast<size_t>(row), &index)) indexes->push_back(index);
    }
}

void MainWindow::UpdateGraph() {
    if (!GraphShown()) return;
    std::vector<size_t> indexes;
    GraphSubjects(&indexes);
    const RunMeasurements* measurements = run_ != nullptr ? &run_->Measurements() : nullptr;
    std::vector<ChartSubject> subjects;
    for (size_t index : indexes) {
        if (index >= list_.Items().size()) continue;
        const DownloadItem& item = list_.Items()[index];
        ChartSubject subject;
        subject.name = SubjectName(item);
        subject.trace = traces_.ForItem(index);
        if (subject.trace != nullptr && subject.trace->startTime != item.startTime) {
            subject.trace = nullptr;  // a trace of an earlier attempt or run
        }
        subject.averageBytesPerSecond = item.speedKBps * 1024;
        subject.minSpeedBytesPerSecond = 1024.0 * EffectiveMinSpeed(item, settings_);
        subject.bytes = item.bytes;
        const ItemMeasurements* measured =
            measurements != nullptr ? measurements->ForItem(index) : nullptr;
        if (measured != nullptr && subject.trace != nullptr) {
            for (int phase = 0; phase < kAttemptPhaseCount; ++phase) {
                subject.hasPhase[phase] = measured->hasPhase[phase];
                subject.phaseMs[phase] = measured->phaseMs[phase];
            }
            // The steady speed is worked out again only when a new sample came.
            if (index != steadyIndex_ || measured->samples.size() != steadySamples_) {
                steadyIndex_ = index;
                steadySamples_ = measured->samples.size();
                steadyKnown_ = SteadySpeed(measured->samples, &steadyBytesPerSecond_);
            }
            subject.hasSteady = steadyKnown_;
            subject.steadyBytesPerSecond = steadyBytesPerSecond_;
            subject.pathFigures = PathFigures(measured->server);
            subject.latencyText = LatencyText(measured->latency);
        }
        // The attempt under way has its steps only on its transfer until it ends.
        const DownloadTransfer* transfer = run_ != nullptr ? run_->CurrentTransfer() : nullptr;
        if (transfer != nullptr && run_->IsRunning() && index == run_->CurrentIndex()) {
            for (int phase = 0; phase < kLibraryPhaseCount; ++phase) {
                uint32_t tick = 0;
                if (transfer->Phases().Get(phase, &tick)) {
                    subject.hasPhase[phase] = true;
                    subject.phaseMs[phase] = tick - item.attemptTick;
                }
            }
            if (transfer->AcceptedTime() != 0) {
                subject.hasPhase[kAttemptFirstByte] = true;
                subject.phaseMs[kAttemptFirstByte] = transfer->AcceptedTick() - item.attemptTick;
            }
            subject.pathFigures = PathFigures(transfer->Identity());
            subject.latencyText = LatencyText(run_->CurrentLatency());
        }
        subjects.push_back(std::move(subject));
    }
    ChartFrame frame;
    frame.unit = graphUnitCommand_ == ID_GRAPH_UNIT_KB     ? ChartUnit::KBps
                 : graphUnitCommand_ == ID_GRAPH_UNIT_MBPS ? ChartUnit::Mbps
                                                           : UnitForSortCode(list_.SortCode());
    frame.plotWidth = graph_.PlotWidth();
    frame.hasTimeLimit = settings_.UseAutoStopTime != 0;
    frame.timeLimitSeconds = settings_.AutoStopTime;
    graph_.SetChart(BuildSpeedChart(subjects, frame));
}

void MainWindow::OnGraphSelectionChanged() {
    // A row the user picks during a run takes the pane from the download under test.
    if (run_ != nullptr && run_->IsRunning() && list_.SelectedCount() > 0) {
        size_t index = 0;
        const int64_t row = list_.NextSelectedRow(kAllRows);
        const bool current = list_.SelectedCount() == 1 && row >= 0 &&
                             list_.ItemOfRow(static_cast<size_t>(row), &index) &&
                             index == run_->CurrentIndex();
        graphFollowsRun_ = current;
    }
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
    const bool overSplitter = y >= graphTop_ && y < graphTop_ + kSplitterHeight;
    switch (message) {
        case WM_SETCURSOR: {
            if (reinterpret_cast<HWND>(wParam) != Handle() || LOWORD(lParam) != HTCLIENT) {
                return false;
            }
            POINT point;
            GetCursorPos(&point);
            ScreenToClient(Handle(), &point);
            if (point.y < graphTop_ || point.y >= graphTop_ + kSplitterHeight) return false;
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
                const int splitterTop = std::max(
                    top + kMinListHeight, std::min(y - splitterGrab_, bottom - kMinGraphHeight));
                settings_.SpeedGraphHeight =
                    std::max(kMinGraphHeight, bottom - splitterTop - kSplitterHeight);
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
