#pragma once
#include <windows.h>

#include <string>

#include "core/chart/GraphLayout.h"
#include "core/chart/SpeedChart.h"

namespace vm {

// The child window under the download list that draws a SpeedChart: the curves, their
// axes, the steady speed and the auto-stop limits, a legend in compare mode and a line of
// figures. Its window text is the chart's one-line summary.
class SpeedGraphPane {
public:
    SpeedGraphPane() = default;
    ~SpeedGraphPane();
    SpeedGraphPane(const SpeedGraphPane&) = delete;
    SpeedGraphPane& operator=(const SpeedGraphPane&) = delete;

    bool Create(HWND parent, int id);
    HWND Handle() const { return hwnd_; }
    // Shows a new chart: repaints, and renames the window when the summary changed.
    void SetChart(SpeedChart chart);
    const SpeedChart& Chart() const { return chart_; }
    // Pixels across the time axis at the pane's current size.
    size_t PlotWidth() const;
    // The DPI the pane draws at (its monitor's); the window passes a change on.
    void SetDpi(int dpi);
    int Dpi() const { return dpi_; }

    // The graph as the pane shows it, in a 24-bit bitmap of the given size (the pane's own
    // size for 0 × 0); nullptr when GDI has no memory for it.
    HBITMAP RenderBitmap(int width = 0, int height = 0) const;
    // Draws the chart into a device context over the rectangle.
    void Render(HDC dc, const RECT& rect) const;

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    void DrawFrame(HDC dc, const GraphLayout& layout, const GraphMetrics& m, COLORREF grid,
                   COLORREF text) const;
    void DrawSeries(HDC dc, const GraphLayout& layout, const GraphMetrics& m, COLORREF background,
                    COLORREF text) const;
    void DrawLatency(HDC dc, const GraphLayout& layout, const GraphMetrics& m, COLORREF grid,
                     COLORREF background, COLORREF text) const;
    void DrawLegend(HDC dc, const GraphLayout& layout, const GraphMetrics& m, HBRUSH fill,
                    COLORREF border, COLORREF background, COLORREF text) const;

    HWND hwnd_ = nullptr;
    SpeedChart chart_;
    int dpi_ = 96;
    // The back buffer, kept between paints while the size stays.
    HDC bufferDc_ = nullptr;
    HBITMAP buffer_ = nullptr;
    HGDIOBJ bufferOld_ = nullptr;
    int bufferWidth_ = 0;
    int bufferHeight_ = 0;
};

}  // namespace vm
