#include "win32/graph/SpeedGraphPane.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "core/chart/SeriesPalette.h"
#include "core/lang/LanguageFile.h"
#include "core/lang/StringTable.h"
#include "win32/platform/WindowDpi.h"

namespace vm {
namespace {

const char kPaneClass[] = "VelocimarkSpeedGraph";
// How much of the text colour the grid and the faint 200 ms line take.
constexpr int kGridPercent = 18;
constexpr int kHighContrastGridPercent = 60;
constexpr int kFaintPercent = 65;  // towards the background

COLORREF Mix(COLORREF a, COLORREF b, int percentOfB) {
    auto channel = [&](int shift) {
        const int x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
        return static_cast<COLORREF>((x * (100 - percentOfB) + y * percentOfB) / 100) << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

class GdiPen {
public:
    GdiPen(HDC dc, int style, int width, COLORREF color)
        : dc_(dc), pen_(CreatePen(style, width, color)), old_(SelectObject(dc, pen_)) {}
    ~GdiPen() {
        SelectObject(dc_, old_);
        DeleteObject(pen_);
    }
    GdiPen(const GdiPen&) = delete;
    GdiPen& operator=(const GdiPen&) = delete;

private:
    HDC dc_;
    HPEN pen_;
    HGDIOBJ old_;
};

class DcMeasure : public TextMeasure {
public:
    explicit DcMeasure(HDC dc) : dc_(dc) {}
    int Width(const std::string& text) const override {
        SIZE size{};
        GetTextExtentPoint32A(dc_, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

private:
    HDC dc_;
};

void Text(HDC dc, const PlacedText& placed, UINT align, bool rtl) {
    SetTextAlign(dc, align | (rtl ? TA_RTLREADING : 0));
    TextOutA(dc, placed.x, placed.y, placed.text.c_str(), static_cast<int>(placed.text.size()));
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

// A GDI pen style and width for a series line. Wide GDI pens draw only solid, so the
// dashed lines stay thin and keep their dashes.
void PenFor(SeriesLine line, const GraphMetrics& m, int* style, int* width) {
    *style = PS_SOLID;
    *width = m.thinPen;
    switch (line) {
        case SeriesLine::Thick:
            *width = m.thickPen;
            break;
        case SeriesLine::Dashed:
            *style = PS_DASH;
            *width = 1;
            break;
        case SeriesLine::DashDot:
            *style = PS_DASHDOT;
            *width = 1;
            break;
        default:
            break;
    }
}

void DrawCurve(HDC dc, const GraphLayout& layout, const std::vector<ChartPoint>& points, int style,
               int width, COLORREF color) {
    if (points.size() < 2) return;
    std::vector<POINT> pixels;
    pixels.reserve(points.size());
    for (const ChartPoint& p : points) pixels.push_back({layout.X(p.x), layout.Y(p.y)});
    GdiPen pen(dc, style, width, color);
    Polyline(dc, pixels.data(), static_cast<int>(pixels.size()));
}

// A small filled triangle pointing up with its tip at (x, top): a burst went higher.
void ClipMark(HDC dc, int x, int top, int size, COLORREF color) {
    const POINT corners[] = {
        {x, top}, {x - size, top + size + size / 2}, {x + size, top + size + size / 2}};
    HBRUSH brush = CreateSolidBrush(color);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    GdiPen pen(dc, PS_SOLID, 1, color);
    Polygon(dc, corners, 3);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
}

bool HighContrast() {
    HIGHCONTRASTA contrast = {sizeof contrast, 0, nullptr};
    return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace

SpeedGraphPane::~SpeedGraphPane() {
    if (bufferDc_ != nullptr) {
        SelectObject(bufferDc_, bufferOld_);
        DeleteDC(bufferDc_);
    }
    if (buffer_ != nullptr) DeleteObject(buffer_);
    if (hwnd_ != nullptr && IsWindow(hwnd_)) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool SpeedGraphPane::Create(HWND parent, int id) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    if (!GetClassInfoA(instance, kPaneClass, &wc)) {
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = StaticProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
        wc.lpszClassName = kPaneClass;
        if (RegisterClassA(&wc) == 0) return false;
    }
    hwnd_ = CreateWindowExA(0, kPaneClass, "", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this);
    if (hwnd_ == nullptr) return false;
    dpi_ = WindowDpi(hwnd_);
    // A mirrored parent passes its layout on; the pane mirrors its drawing itself instead,
    // so that the picture it copies or saves is the one on the screen.
    const LONG exStyle = GetWindowLongA(hwnd_, GWL_EXSTYLE);
    if ((exStyle & WS_EX_LAYOUTRTL) != 0) {
        SetWindowLongA(hwnd_, GWL_EXSTYLE, exStyle & ~WS_EX_LAYOUTRTL);
    }
    return true;
}

LRESULT CALLBACK SpeedGraphPane::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        auto* creating = static_cast<SpeedGraphPane*>(create->lpCreateParams);
        creating->hwnd_ = hwnd;  // the messages of the creation already need it
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating));
    }
    auto* pane = reinterpret_cast<SpeedGraphPane*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (pane == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
    return pane->Proc(message, wParam, lParam);
}

LRESULT SpeedGraphPane::Proc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel
        case WM_PAINT:
            Paint();
            return 0;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            InvalidateRect(hwnd_, nullptr, FALSE);
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void SpeedGraphPane::SetChart(SpeedChart chart) {
    const bool renamed = chart.summary != chart_.summary;
    chart_ = std::move(chart);
    if (hwnd_ == nullptr) return;
    if (renamed) SetWindowTextA(hwnd_, chart_.summary.c_str());
    if (IsWindowVisible(hwnd_)) InvalidateRect(hwnd_, nullptr, FALSE);
}

size_t SpeedGraphPane::PlotWidth() const {
    RECT rect{};
    if (hwnd_ != nullptr) GetClientRect(hwnd_, &rect);
    // The exact plot is laid out when drawn.
    return static_cast<size_t>(
        EstimatedPlotWidth(rect.right - rect.left, GraphMetrics::ForDpi(dpi_, 0)));
}

void SpeedGraphPane::SetDpi(int dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    dpi_ = dpi;
    if (hwnd_ != nullptr && IsWindowVisible(hwnd_)) InvalidateRect(hwnd_, nullptr, FALSE);
}

void SpeedGraphPane::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT client;
    GetClientRect(hwnd_, &client);
    const int width = std::max<int>(client.right, 1), height = std::max<int>(client.bottom, 1);
    if (bufferDc_ == nullptr || width != bufferWidth_ || height != bufferHeight_) {
        if (bufferDc_ != nullptr) {
            SelectObject(bufferDc_, bufferOld_);
            DeleteDC(bufferDc_);
            bufferDc_ = nullptr;
        }
        if (buffer_ != nullptr) DeleteObject(buffer_);
        buffer_ = CreateCompatibleBitmap(dc, width, height);
        if (buffer_ != nullptr) {
            bufferDc_ = CreateCompatibleDC(dc);
            bufferOld_ = SelectObject(bufferDc_, buffer_);
        }
        bufferWidth_ = width;
        bufferHeight_ = height;
    }
    if (bufferDc_ != nullptr) {
        Render(bufferDc_, client);
        BitBlt(dc, 0, 0, width, height, bufferDc_, 0, 0, SRCCOPY);
    } else {
        Render(dc, client);  // no memory for a buffer: draw straight, with some flicker
    }
    EndPaint(hwnd_, &ps);
}

HBITMAP SpeedGraphPane::RenderBitmap(int width, int height) const {
    if (width <= 0 || height <= 0) {
        RECT client{};
        if (hwnd_ != nullptr) GetClientRect(hwnd_, &client);
        width = std::max<int>(client.right, 1);
        height = std::max<int>(client.bottom, 1);
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (bitmap == nullptr || dc == nullptr) {
        if (bitmap != nullptr) DeleteObject(bitmap);
        if (dc != nullptr) DeleteDC(dc);
        return nullptr;
    }
    HGDIOBJ old = SelectObject(dc, bitmap);
    const RECT rect = {0, 0, width, height};
    Render(dc, rect);
    GdiFlush();
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

void SpeedGraphPane::Render(HDC dc, const RECT& rect) const {
    const bool rtl = LanguageIsRightToLeft();
    const COLORREF background = GetSysColor(COLOR_WINDOW);
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF grid =
        Mix(background, text, HighContrast() ? kHighContrastGridPercent : kGridPercent);
    HBRUSH fill = CreateSolidBrush(background);
    FillRect(dc, &rect, fill);
    HFONT font = CreateMessageFont(dpi_);
    HGDIOBJ oldFont = SelectObject(
        dc, font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    TEXTMETRICA textMetrics{};
    GetTextMetricsA(dc, &textMetrics);
    const GraphMetrics m = GraphMetrics::ForDpi(dpi_, textMetrics.tmHeight);
    const GraphLayout layout =
        LayOutGraph(chart_, {rect.left, rect.top, rect.right, rect.bottom}, m, DcMeasure(dc), rtl);
    {
        GdiPen pen(dc, PS_SOLID, 1, GetSysColor(COLOR_3DSHADOW));  // the separator from the list
        Line(dc, rect.left, rect.top, rect.right, rect.top);
    }
    if (layout.drawable) {
        DrawFrame(dc, layout, m, grid, text);
        DrawSeries(dc, layout, m, background, text);
        DrawLatency(dc, layout, m, grid, background, text);
        DrawLegend(dc, layout, m, fill, grid, background, text);
        // DrawText places the text itself: an alignment left from the labels would move it.
        SetTextAlign(dc, TA_LEFT | TA_TOP);
        if (layout.showMessage) {
            RECT middle = {layout.plot.left, layout.plot.top, layout.plot.right,
                           layout.plot.bottom};
            DrawTextA(dc, chart_.message.c_str(), -1, &middle,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        }
    }
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    RECT figures = {layout.figures.left, layout.figures.top, layout.figures.right,
                    layout.figures.bottom};
    DrawTextA(dc, chart_.figures.c_str(), -1, &figures,
              (rtl ? DT_RIGHT : DT_LEFT) | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    if (font != nullptr) DeleteObject(font);
    DeleteObject(fill);
}

void SpeedGraphPane::DrawFrame(HDC dc, const GraphLayout& layout, const GraphMetrics& m,
                               COLORREF grid, COLORREF text) const {
    const PixelRect& plot = layout.plot;
    const bool rtl = layout.rtl;
    {
        GdiPen pen(dc, PS_SOLID, 1, grid);
        for (const PlacedText& label : layout.valueLabels) {
            const int y = label.y + m.lineHeight / 2;
            Line(dc, plot.left, y, plot.right, y);
        }
    }
    for (const PlacedText& label : layout.valueLabels) {
        Text(dc, label, (rtl ? TA_LEFT : TA_RIGHT) | TA_TOP, rtl);
    }
    Text(dc, layout.valueCaption, (rtl ? TA_RIGHT : TA_LEFT) | TA_TOP, rtl);
    GdiPen pen(dc, PS_SOLID, m.thinPen, text);
    for (const PlacedText& label : layout.timeLabels) {
        Line(dc, label.x, layout.timeAxisY, label.x, layout.timeAxisY + m.tickLength);
        Text(dc, label, TA_CENTER | TA_TOP, rtl);
    }
    // The axes: time along the bottom, speed on the side time starts from.
    const int originX = rtl ? plot.right : plot.left;
    Line(dc, plot.left, plot.bottom, plot.right + 1, plot.bottom);
    Line(dc, originX, plot.top, originX, plot.bottom);
    for (size_t i = 0; i < layout.limitX.size(); ++i) {
        {
            GdiPen dotted(dc, PS_DOT, 1, text);
            Line(dc, layout.limitX[i], plot.top, layout.limitX[i], plot.bottom);
        }
        Text(dc, layout.limitLabels[i], (rtl ? TA_LEFT : TA_RIGHT) | TA_TOP, rtl);
    }
}

void SpeedGraphPane::DrawSeries(HDC dc, const GraphLayout& layout, const GraphMetrics& m,
                                COLORREF background, COLORREF text) const {
    auto color = [&](size_t position) { return SeriesColorOn(position, background, text); };
    const PixelRect& plot = layout.plot;
    int style = 0, width = 0;
    // Nothing leaves the plot: a burst above the scale ends at its top edge.
    HRGN clip = CreateRectRgn(plot.left, plot.top, plot.right + 1, plot.bottom + 1);
    SelectClipRgn(dc, clip);
    if (!chart_.compare) {
        if (chart_.hasSteady) {
            PenFor(SeriesLine::Dashed, m, &style, &width);
            GdiPen pen(dc, style, width, color(kSteadyColor));
            const int y = layout.Y(chart_.steady);
            Line(dc, plot.left, y, plot.right, y);
        }
        if (chart_.hasMinSpeed) {
            PenFor(SeriesLine::DashDot, m, &style, &width);
            GdiPen pen(dc, style, width, color(kMinSpeedColor));
            const int y = layout.Y(chart_.minSpeed);
            Line(dc, plot.left, y, plot.right, y);
        }
        for (const ChartCurve& curve : chart_.curves) {
            const COLORREF faint = Mix(color(kIntervalColor), background, kFaintPercent);
            DrawCurve(dc, layout, curve.interval, PS_SOLID, m.thinPen, faint);
            DrawCurve(dc, layout, curve.second, PS_SOLID, m.thinPen, color(kSecondColor));
            DrawCurve(dc, layout, curve.average, PS_SOLID, m.thickPen, color(kAverageColor));
        }
    } else {
        for (const ChartCurve& curve : chart_.curves) {
            DrawCurve(dc, layout, curve.second, PS_SOLID, m.thinPen, color(curve.colorPosition));
            DrawCurve(dc, layout, curve.average, PS_SOLID, m.thickPen, color(curve.colorPosition));
        }
    }
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
    int lastMark = INT_MIN;
    for (double seconds : chart_.clippedAt) {
        const int x = layout.X(seconds);
        if (std::abs(x - lastMark) < 2 * m.markSize) continue;  // one mark per burst
        ClipMark(dc, x, plot.top, m.markSize, color(kIntervalColor));
        lastMark = x;
    }
}

// The loaded latency: one bar per probe from the strip's foot, its top value and caption.
void SpeedGraphPane::DrawLatency(HDC dc, const GraphLayout& layout, const GraphMetrics& m,
                                 COLORREF grid, COLORREF background, COLORREF text) const {
    const PixelRect& strip = layout.latencyStrip;
    if (strip.Height() <= 0) return;
    const bool rtl = layout.rtl;
    {
        GdiPen pen(dc, PS_SOLID, 1, grid);
        Line(dc, strip.left, strip.top, strip.right, strip.top);
    }
    {
        GdiPen pen(dc, PS_SOLID, m.thickPen, SeriesColorOn(kLatencyColor, background, text));
        for (const ChartPoint& p : chart_.latency) {
            const int x = layout.X(p.x);
            Line(dc, x, strip.bottom, x, layout.LatencyY(p.y));
        }
    }
    GdiPen pen(dc, PS_SOLID, m.thinPen, text);
    Line(dc, strip.left, strip.bottom, strip.right + 1, strip.bottom);
    Line(dc, rtl ? strip.right : strip.left, strip.top, rtl ? strip.right : strip.left,
         strip.bottom);
    Text(dc, layout.latencyLabel, (rtl ? TA_LEFT : TA_RIGHT) | TA_TOP, rtl);
    Text(dc, layout.latencyCaption, (rtl ? TA_RIGHT : TA_LEFT) | TA_TOP, rtl);
}

void SpeedGraphPane::DrawLegend(HDC dc, const GraphLayout& layout, const GraphMetrics& m,
                                HBRUSH fill, COLORREF border, COLORREF background,
                                COLORREF text) const {
    if (layout.legend.empty()) return;
    auto color = [&](size_t position) { return SeriesColorOn(position, background, text); };
    const PixelRect& box = layout.legendBox;
    const RECT boxRect = {box.left, box.top, box.right, box.bottom};
    FillRect(dc, &boxRect, fill);  // opaque: the curves behind it do not show through
    {
        GdiPen pen(dc, PS_SOLID, 1, border);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, box.left, box.top, box.right, box.bottom);
        SelectObject(dc, oldBrush);
    }
    const bool rtl = layout.rtl;
    for (size_t i = 0; i < layout.legend.size(); ++i) {
        const LegendEntry& entry = layout.legend[i];
        const int y = box.top + m.pad / 2 + static_cast<int>(i) * layout.legendRowHeight;
        const int middle = y + layout.legendRowHeight / 2;
        const int swatchLeft = rtl ? box.right - m.pad - m.swatch : box.left + m.pad;
        COLORREF lineColor = color(entry.colorPosition);
        if (entry.line == SeriesLine::Faint) lineColor = Mix(lineColor, background, kFaintPercent);
        if (entry.line == SeriesLine::ClipMark) {
            ClipMark(dc, swatchLeft + m.swatch / 2, middle - m.markSize, m.markSize, lineColor);
        } else {
            int style = 0, width = 0;
            PenFor(entry.line, m, &style, &width);
            GdiPen pen(dc, style, width, lineColor);
            Line(dc, swatchLeft, middle, swatchLeft + m.swatch, middle);
        }
        const int textX = rtl ? swatchLeft - m.pad : swatchLeft + m.swatch + m.pad;
        Text(dc, {textX, y, entry.text}, (rtl ? TA_RIGHT : TA_LEFT) | TA_TOP, rtl);
    }
}

}  // namespace vm
