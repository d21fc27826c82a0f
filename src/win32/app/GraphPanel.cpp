// The main window's speed graph: the pane below the list, the splitter above it, what it
// shows and its commands.
#include "win32/app/GraphPanel.h"

#include <commctrl.h>

#include <algorithm>

#include "core/base/DpiScale.h"
#include "core/base/FilterList.h"
#include "core/chart/GraphSplit.h"
#include "core/chart/SeriesPalette.h"
#include "core/chart/SpeedChart.h"
#include "core/lang/StringTable.h"
#include "resource.h"
#include "win32/lang/MenuLoading.h"
#include "win32/window/FileChooser.h"
#include "win32/window/ShellUtil.h"

namespace vm {
namespace {

// At 96 DPI; the graph's stored height is in these units too.
constexpr int kSplitterHeight = 5;
constexpr int kMinGraphHeight = 80;
constexpr int kMaxGraphHeight = 4000;
// The splitter's top while there is none on the screen: above any point of the window.
constexpr int kNoSplitter = -0x10000;
constexpr char kPngExtension[] = "png";
constexpr char kBmpExtension[] = "bmp";

}  // namespace

GraphPanel::GraphPanel(GraphPanelHost& host, DownloadListView& list, AppSettings& settings,
                       const WinListView& listControl, const MainWindowChrome& chrome, Clock& clock)
    : host_(host),
      list_(list),
      settings_(settings),
      listControl_(listControl),
      chrome_(chrome),
      clock_(clock) {}

GraphPanel::~GraphPanel() {
    if (menu_ != nullptr) DestroyMenu(menu_);
}

void GraphPanel::Create(HWND owner, int dpi) {
    dpi_ = dpi;
    pane_.Create(owner, IDC_SPEED_GRAPH);
    menu_ = LoadTranslatedMenu(IDR_GRAPHMENU);
    // A hand-edited height out of range falls back to the nearest one that works.
    settings_.SpeedGraphHeight =
        std::max(kMinGraphHeight, std::min(kMaxGraphHeight, settings_.SpeedGraphHeight));
    if (pane_.Handle() != nullptr) {
        ShowWindow(pane_.Handle(), settings_.ShowSpeedGraph ? SW_SHOWNA : SW_HIDE);
    }
    Update();
}

void GraphPanel::SetDpi(int dpi) {
    dpi_ = dpi;
    pane_.SetDpi(dpi);
}

bool GraphPanel::Shown() const {
    return pane_.Handle() != nullptr && settings_.ShowSpeedGraph != 0;
}

int GraphPanel::Space(int available) const {
    if (!Shown()) return 0;
    // The graph gives way before the list does.
    return SplitForGraph(available, ScaleToDpi(settings_.SpeedGraphHeight, dpi_),
                         listControl_.HeightOfRows(kMinListRows), ScaleToDpi(kMinGraphHeight, dpi_),
                         ScaleToDpi(kSplitterHeight, dpi_))
        .graphSpace;
}

void GraphPanel::Place(int top, int width, int height) {
    if (pane_.Handle() == nullptr) return;
    const int splitter = ScaleToDpi(kSplitterHeight, dpi_);
    if (height <= splitter) {
        ShowWindow(pane_.Handle(), SW_HIDE);
        top_ = kNoSplitter;  // nothing to drag while the graph gives way
        return;
    }
    SetWindowPos(pane_.Handle(), nullptr, 0, top + splitter, width, height - splitter,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (Shown() && !IsWindowVisible(pane_.Handle())) ShowWindow(pane_.Handle(), SW_SHOWNA);
    top_ = top;
}

void GraphPanel::Toggle() {
    settings_.ShowSpeedGraph = settings_.ShowSpeedGraph ? 0 : 1;
    if (pane_.Handle() != nullptr) {
        ShowWindow(pane_.Handle(), settings_.ShowSpeedGraph ? SW_SHOWNA : SW_HIDE);
    }
    host_.Relayout();
    Update();
    host_.OptionsChanged();
}

GraphRunView GraphPanel::SampleView() const {
    GraphRunView view;
    const TestRun* run = host_.Run();
    if (run == nullptr) return view;
    view.running = run->IsRunning();
    view.currentIndex = run->CurrentIndex();
    view.measurements = &run->Measurements();
    if (const DownloadTransfer* transfer = run->CurrentTransfer()) {
        view.hasTransfer = true;
        view.transferBytes = transfer->BytesRead();
    }
    return view;
}

GraphRunView GraphPanel::RunView() const {
    GraphRunView view = SampleView();
    if (!view.hasTransfer) return view;
    const TestRun& run = *host_.Run();
    const DownloadTransfer& transfer = *run.CurrentTransfer();
    for (int phase = 0; phase < kLibraryPhaseCount; ++phase) {
        view.hasPhaseTick[phase] = transfer.Phases().Get(phase, &view.phaseTick[phase]);
    }
    if (transfer.AcceptedTime() != 0) {
        view.hasPhaseTick[kAttemptFirstByte] = true;
        view.phaseTick[kAttemptFirstByte] = transfer.AcceptedTick();
    }
    view.transferServer = transfer.Identity();
    view.transferLatency = run.CurrentLatency();
    return view;
}

void GraphPanel::Sample() {
    model_.Sample(SampleView(), list_.Items(), settings_, clock_.TickCount());
}

void GraphPanel::Update() {
    if (!Shown()) return;
    ChartFrame frame;
    frame.unit = unitCommand_ == ID_GRAPH_UNIT_KB     ? ChartUnit::KBps
                 : unitCommand_ == ID_GRAPH_UNIT_MBPS ? ChartUnit::Mbps
                                                      : UnitForSortCode(list_.SortCode());
    frame.plotWidth = pane_.PlotWidth();
    frame.hasTimeLimit = settings_.UseAutoStopTime != 0;
    frame.timeLimitSeconds = settings_.AutoStopTime;
    const std::vector<size_t> selected = GraphModel::SelectedIndexes(list_, kMaxComparedSeries);
    pane_.SetChart(model_.Chart(RunView(), list_.Items(), selected, settings_, frame));
}

void GraphPanel::OnSelectionChanged() {
    // A row the user picks during a run takes the pane from the download under test.
    model_.OnSelectionChanged(RunView(), GraphModel::SelectedIndexes(list_, 2));
    Update();
}

bool GraphPanel::ShowMenu(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(wParam) != pane_.Handle() || menu_ == nullptr) return false;
    HMENU popup = GetSubMenu(menu_, 0);
    CheckMenuItem(popup, ID_SPEED_GRAPH,
                  MF_BYCOMMAND | (settings_.ShowSpeedGraph ? MF_CHECKED : MF_UNCHECKED));
    CheckMenuRadioItem(popup, ID_GRAPH_UNIT_LIST, ID_GRAPH_UNIT_MBPS,
                       unitCommand_ != 0 ? unitCommand_ : ID_GRAPH_UNIT_LIST, MF_BYCOMMAND);
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == -1) {  // from the keyboard: the pane's corner
        point = {4, 4};
        ClientToScreen(pane_.Handle(), &point);
    }
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, point.x, point.y, 0, host_.Owner(), nullptr);
    return true;
}

void GraphPanel::ChooseUnit(UINT command) {
    unitCommand_ = command;
    Update();
}

void GraphPanel::Copy() {
    HBITMAP bitmap = pane_.RenderBitmap();
    const uint32_t error =
        bitmap != nullptr ? CopyBitmapToClipboard(host_.Owner(), bitmap) : ERROR_NOT_ENOUGH_MEMORY;
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (error != 0) ShowErrorBox(error, host_.Owner());
}

void GraphPanel::Save() {
    const std::string png = std::string(GetString(IDS_GRAPH_PNG_FILES));
    const std::string bmp = std::string(GetString(IDS_GRAPH_BMP_FILES));
    const FilterPair pairs[] = {{png.c_str(), "*.png"}, {bmp.c_str(), "*.bmp"}};
    std::string filters;
    BuildFilterList(pairs, 2, &filters);
    int filterIndex = 1;
    std::string path = "speed-graph.png";
    if (!ChooseSaveFile(host_.Owner(), &filterIndex, &path, filters,
                        GetString(IDS_GRAPH_SAVE_TITLE), kPngExtension)) {
        return;
    }
    SaveFile(path, filterIndex == 2 ? GraphImageFormat::Bmp : GraphImageFormat::Png);
}

uint32_t GraphPanel::SaveFile(const std::string& path, GraphImageFormat format,
                              std::string* written) {
    HBITMAP bitmap = pane_.RenderBitmap();
    if (bitmap == nullptr) return ReportError(ERROR_NOT_ENOUGH_MEMORY);
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
    return ReportError(error);
}

uint32_t GraphPanel::ReportError(uint32_t error) {
    if (error != 0 && !errorsQuiet_) ShowErrorBox(error, host_.Owner());
    return error;
}

bool GraphPanel::OnSplitterMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!Shown()) return false;
    HWND owner = host_.Owner();
    const int y = static_cast<short>(HIWORD(lParam));
    const int splitter = ScaleToDpi(kSplitterHeight, dpi_);
    switch (message) {
        case WM_SETCURSOR: {
            if (reinterpret_cast<HWND>(wParam) != owner || LOWORD(lParam) != HTCLIENT) {
                return false;
            }
            POINT point;
            GetCursorPos(&point);
            ScreenToClient(owner, &point);
            if (point.y < top_ || point.y >= top_ + splitter) return false;
            SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32645)));  // IDC_SIZENS
            return true;
        }
        case WM_LBUTTONDOWN:
            if (y < top_ || y >= top_ + splitter) return false;
            dragging_ = true;
            grab_ = y - top_;
            SetCapture(owner);
            return true;
        case WM_MOUSEMOVE: {
            if (!dragging_) return false;
            RECT client;
            GetClientRect(owner, &client);
            const int bottom = client.bottom - chrome_.StatusBarHeight();
            const int top = chrome_.ToolbarHeight() + listControl_.HeightOfRows(kMinListRows);
            const int minGraph = ScaleToDpi(kMinGraphHeight, dpi_);
            const int splitterTop = std::max(top, std::min(y - grab_, bottom - minGraph));
            // Kept in 96-DPI units, like every stored size.
            settings_.SpeedGraphHeight =
                std::max(kMinGraphHeight, ScaleFromDpi(bottom - splitterTop - splitter, dpi_));
            host_.Relayout();
            Update();
            return true;
        }
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            if (!dragging_) return false;
            dragging_ = false;
            if (message == WM_LBUTTONUP) ReleaseCapture();
            return true;
        default:
            return false;
    }
}

}  // namespace vm
