#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "core/chart/GraphModel.h"
#include "core/engine/TestRun.h"
#include "core/list/DownloadListView.h"
#include "core/options/AppSettings.h"
#include "core/platform/Clock.h"
#include "win32/app/MainWindowChrome.h"
#include "win32/graph/GraphImage.h"
#include "win32/graph/SpeedGraphPane.h"
#include "win32/list/WinListView.h"

namespace vm {

// The rows the list keeps when the window is small or the pane is dragged up.
constexpr int kMinListRows = 3;

// What the graph panel needs from the window it sits in.
class GraphPanelHost {
public:
    virtual ~GraphPanelHost() = default;
    virtual HWND Owner() const = 0;
    // The run the pane follows; nullptr before it exists.
    virtual const TestRun* Run() const = 0;
    // The pane's height changed, or it was shown or hidden: the window lays itself out.
    virtual void Relayout() = 0;
    // An option the menus show changed (Speed Graph's check mark).
    virtual void OptionsChanged() = 0;
};

// The main window's speed graph: the pane below the list, the splitter above it, the
// pane's menu and commands, and the samples and chart it shows of the run.
class GraphPanel {
public:
    GraphPanel(GraphPanelHost& host, DownloadListView& list, AppSettings& settings,
               const WinListView& listControl, const MainWindowChrome& chrome, Clock& clock);
    ~GraphPanel();
    GraphPanel(const GraphPanel&) = delete;
    GraphPanel& operator=(const GraphPanel&) = delete;

    void Create(HWND owner, int dpi);
    void SetDpi(int dpi);
    bool Shown() const;
    // Pixels the pane and its splitter take of the height under the toolbar.
    int Space(int available) const;
    void Place(int top, int width, int height);

    // The run's side: a new run, a sample at every step, the rows the user picks.
    void OnRunStarting() { model_.OnRunStarting(); }
    void Sample();
    void OnSelectionChanged();
    // Redraws the pane from the traces and the selection.
    void Update();

    // The pane's commands.
    void Toggle();
    void Copy();
    void Save();
    void ChooseUnit(UINT command);
    // The pane's menu when the context menu is the pane's; false otherwise.
    bool ShowMenu(WPARAM wParam, LPARAM lParam);
    // The splitter's drag; false for a mouse message that is not the splitter's.
    bool OnSplitterMouse(UINT message, WPARAM wParam, LPARAM lParam);

    // Saves the pane's picture; written gets the file actually written (a bitmap beside
    // the name when PNG cannot be written). Returns 0 or the error code.
    uint32_t SaveFile(const std::string& path, GraphImageFormat format,
                      std::string* written = nullptr);
    // Tests keep error boxes of the graph's commands from waiting for a click.
    void SetErrorsQuiet(bool quiet) { errorsQuiet_ = quiet; }
    // The pane and the traces it draws from (tests and benchmarks look in).
    SpeedGraphPane& Pane() { return pane_; }
    RunSpeedTraces& Traces() { return model_.Traces(); }

private:
    // What the graph sees of the run now.
    GraphRunView RunView() const;
    // What a sample needs of it: the current item and its transfer's count. Taken at every
    // change of an item, so without the server and latency copies the chart wants.
    GraphRunView SampleView() const;
    uint32_t ReportError(uint32_t error);

    GraphPanelHost& host_;
    DownloadListView& list_;
    AppSettings& settings_;
    const WinListView& listControl_;
    const MainWindowChrome& chrome_;
    Clock& clock_;
    SpeedGraphPane pane_;
    GraphModel model_;
    HMENU menu_ = nullptr;
    int dpi_ = 96;
    int top_ = 0;           // the splitter's top edge
    UINT unitCommand_ = 0;  // the pane's choice of units; 0: as the list
    bool errorsQuiet_ = false;
    bool dragging_ = false;
    int grab_ = 0;  // where the drag took the splitter, from its top
};

}  // namespace vm
