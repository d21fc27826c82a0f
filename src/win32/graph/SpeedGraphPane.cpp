#include "win32/graph/SpeedGraphPane.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/chart/SeriesPalette.h"
#include "core/lang/LanguageFile.h"
#include "core/lang/StringTable.h"

namespace vm {
namespace {

const char kPaneClass[] = "VelocimarkSpeedGraph";
constexpr int kPad = 6;
constexpr int kTickLength = 4;
constexpr int kLegendSwatch = 18;
constexpr size_t kMaxLegendName = 40;

// The single curve's lines take the first three colours of the palette.
constexpr size_t kIntervalColor = 0;
constexpr size_t kAverageColor = 1;
constexpr size_t kSteadyColor = 2;
constexpr size_t kMinSpeedColor = 3;

COLORREF Mix(COLORREF a, COLORREF b, int percentOfB) {
    auto channel = [&](int shift) {
        const int x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
        return static_cast<COLORREF>((x * (100 - percentOfB) + y * percentOfB) / 100) << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

// Seconds and values to pixels; with a right-to-left layout time runs from the right.
struct Mapper {
    RECT plot{};
    bool rtl = false;
    double timeHigh = 1;
    double valueLow = 0;
    double valueHigh = 1;

    int X(double seconds) const {
        const double share = timeHigh > 0 ? seconds / timeHigh : 0;
        const int offset = static_cast<int>(std::lround((plot.right - plot.left) * share));
        return rtl ? plot.right - offset : plot.left + offset;
    }
    int Y(double value) const {
        const double span = valueHigh - valueLow;
        const double share = span > 0 ? (value - valueLow) / span : 0;
        // Far outliers stay just outside the plot instead of overflowing GDI's coordinates.
        const double clamped = std::max(-0.1, std::min(1.1, share));
        return plot.bottom - static_cast<int>(std::lround((plot.bottom - plot.top) * clamped));
    }
};

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

int TextWidth(HDC dc, const std::string& text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

void Text(HDC dc, int x, int y, const std::string& text, UINT align, bool rtl) {
    SetTextAlign(dc, align | (rtl ? TA_RTLREADING : 0));
    TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void DrawCurve(HDC dc, const Mapper& map, const std::vector<ChartPoint>& points, int width,
               COLORREF color) {
    if (points.size() < 2) return;
    std::vector<POINT> pixels;
    pixels.reserve(points.size());
    for (const ChartPoint& p : points) pixels.push_back({map.X(p.x), map.Y(p.y)});
    GdiPen pen(dc, PS_SOLID, width, color);
    Polyline(dc, pixels.data(), static_cast<int>(pixels.size()));
}

std::string Shortened(const std::string& name) {
    if (name.size() <= kMaxLegendName) return name;
    return name.substr(0, kMaxLegendName - 3) + "...";
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
    // The labels take about this much; the exact plot is laid out when drawn.
    const int width = rect.right - rect.left - 90;
    return width > 40 ? static_cast<size_t>(width) : 40;
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
    const COLORREF grid = Mix(background, text, HighContrast() ? 60 : 18);
    HBRUSH fill = CreateSolidBrush(background);
    FillRect(dc, &rect, fill);
    DeleteObject(fill);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    const int lineHeight = metrics.tmHeight;

    // The separator from the list above.
    {
        GdiPen pen(dc, PS_SOLID, 1, GetSysColor(COLOR_3DSHADOW));
        Line(dc, rect.left, rect.top, rect.right, rect.top);
    }

    int labelWidth = 0;
    for (const AxisTick& tick : chart_.valueAxis.ticks) {
        labelWidth = std::max(labelWidth, TextWidth(dc, tick.label));
    }
    labelWidth = std::max(labelWidth, TextWidth(dc, chart_.valueCaption) / 2);
    std::string lastTime = chart_.timeAxis.ticks.empty() ? "" : chart_.timeAxis.ticks.back().label;
    lastTime += " " + chart_.timeCaption;
    const int endRoom = TextWidth(dc, lastTime) / 2 + kPad;

    Mapper map;
    map.rtl = rtl;
    map.timeHigh = chart_.timeAxis.high;
    map.valueLow = chart_.valueAxis.low;
    map.valueHigh = chart_.valueAxis.high;
    const int labelSide = kPad + labelWidth + kPad;
    map.plot.left = rect.left + (rtl ? endRoom : labelSide);
    map.plot.right = rect.right - (rtl ? labelSide : endRoom);
    map.plot.top = rect.top + kPad + lineHeight + kPad / 2;
    const int figuresTop = rect.bottom - kPad - lineHeight;
    map.plot.bottom = figuresTop - kPad - lineHeight - kTickLength;
    if (map.plot.right - map.plot.left < 10 || map.plot.bottom - map.plot.top < 10) {
        SelectObject(dc, oldFont);
        return;  // too small to draw anything readable
    }

    // Value grid, labels and the unit above them.
    const int labelX = rtl ? map.plot.right + kPad : map.plot.left - kPad;
    const UINT labelAlign = rtl ? TA_LEFT : TA_RIGHT;
    {
        GdiPen pen(dc, PS_SOLID, 1, grid);
        for (const AxisTick& tick : chart_.valueAxis.ticks) {
            const int y = map.Y(tick.value);
            Line(dc, map.plot.left, y, map.plot.right, y);
        }
    }
    for (const AxisTick& tick : chart_.valueAxis.ticks) {
        Text(dc, labelX, map.Y(tick.value) - lineHeight / 2, tick.label, labelAlign | TA_TOP, rtl);
    }
    // The unit over the labels, from the window's edge: it may be wider than they are.
    Text(dc, rtl ? rect.right - kPad : rect.left + kPad, rect.top + kPad / 2, chart_.valueCaption,
         (rtl ? TA_RIGHT : TA_LEFT) | TA_TOP, rtl);

    // Time ticks and labels; the unit follows the last label.
    {
        GdiPen pen(dc, PS_SOLID, 1, text);
        for (size_t i = 0; i < chart_.timeAxis.ticks.size(); ++i) {
            const AxisTick& tick = chart_.timeAxis.ticks[i];
            const int x = map.X(tick.value);
            Line(dc, x, map.plot.bottom, x, map.plot.bottom + kTickLength);
            const bool last = i + 1 == chart_.timeAxis.ticks.size();
            Text(dc, x, map.plot.bottom + kTickLength, last ? lastTime : tick.label,
                 TA_CENTER | TA_TOP, rtl);
        }
        // The axes: time along the bottom, speed on the side time starts from.
        const int originX = rtl ? map.plot.right : map.plot.left;
        Line(dc, map.plot.left, map.plot.bottom, map.plot.right + 1, map.plot.bottom);
        Line(dc, originX, map.plot.top, originX, map.plot.bottom);
    }

    // The auto-stop limits where they end the download.
    const struct {
        bool shown;
        double seconds;
        int textId;
    } limits[] = {{chart_.hasTimeLimit, chart_.timeLimitSeconds, IDS_GRAPH_TIME_LIMIT},
                  {chart_.hasSizeLimit, chart_.sizeLimitSeconds, IDS_GRAPH_SIZE_LIMIT}};
    int limitRow = 0;
    for (const auto& limit : limits) {
        if (!limit.shown) continue;
        const int x = map.X(limit.seconds);
        {
            GdiPen pen(dc, PS_DOT, 1, text);
            Line(dc, x, map.plot.top, x, map.plot.bottom);
        }
        // Along the foot of the line, clear of the legend at the top.
        Text(dc, rtl ? x + 3 : x - 3, map.plot.bottom - (limitRow + 1) * lineHeight - 2,
             GetString(limit.textId), (rtl ? TA_LEFT : TA_RIGHT) | TA_TOP, rtl);
        ++limitRow;
    }

    // The curves.
    HRGN clip =
        CreateRectRgn(map.plot.left, map.plot.top - 2, map.plot.right + 1, map.plot.bottom + 1);
    SelectClipRgn(dc, clip);
    if (!chart_.compare) {
        if (chart_.hasSteady) {
            GdiPen pen(dc, PS_DASH, 1, SeriesColorOn(kSteadyColor, background, text));
            const int y = map.Y(chart_.steady);
            Line(dc, map.plot.left, y, map.plot.right, y);
        }
        if (chart_.hasMinSpeed) {
            GdiPen pen(dc, PS_DASHDOT, 1, SeriesColorOn(kMinSpeedColor, background, text));
            const int y = map.Y(chart_.minSpeed);
            Line(dc, map.plot.left, y, map.plot.right, y);
        }
        for (const ChartCurve& curve : chart_.curves) {
            DrawCurve(dc, map, curve.interval, 1, SeriesColorOn(kIntervalColor, background, text));
            DrawCurve(dc, map, curve.average, 2, SeriesColorOn(kAverageColor, background, text));
        }
    } else {
        for (const ChartCurve& curve : chart_.curves) {
            const COLORREF color = SeriesColorOn(curve.colorPosition, background, text);
            DrawCurve(dc, map, curve.interval, 1, color);
            DrawCurve(dc, map, curve.average, 2, color);
        }
    }
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);

    // The legend in the top corner away from the speed labels.
    struct Entry {
        std::string name;
        COLORREF color;
        int width;
    };
    std::vector<Entry> legend;
    if (chart_.compare) {
        for (const ChartCurve& curve : chart_.curves) {
            legend.push_back(
                {Shortened(curve.name), SeriesColorOn(curve.colorPosition, background, text), 1});
        }
    } else if (!chart_.curves.empty()) {
        legend.push_back(
            {GetString(IDS_GRAPH_SPEED), SeriesColorOn(kIntervalColor, background, text), 1});
        legend.push_back(
            {GetString(IDS_GRAPH_AVERAGE), SeriesColorOn(kAverageColor, background, text), 2});
        if (chart_.hasSteady) {
            legend.push_back(
                {GetString(IDS_GRAPH_STEADY), SeriesColorOn(kSteadyColor, background, text), 1});
        }
        if (chart_.hasMinSpeed) {
            legend.push_back({GetString(IDS_GRAPH_MIN_SPEED),
                              SeriesColorOn(kMinSpeedColor, background, text), 1});
        }
    }
    int legendWidth = 0;
    for (const Entry& entry : legend)
        legendWidth = std::max(legendWidth, TextWidth(dc, entry.name));
    const int legendSpan = kLegendSwatch + 4 + legendWidth;
    const int legendX = rtl ? map.plot.left + kPad : map.plot.right - kPad - legendSpan;
    for (size_t i = 0; i < legend.size(); ++i) {
        const int y = map.plot.top + static_cast<int>(i) * lineHeight;
        if (y + lineHeight > map.plot.bottom) break;
        const int swatchLeft = rtl ? legendX + legendSpan - kLegendSwatch : legendX;
        {
            GdiPen pen(dc, PS_SOLID, legend[i].width + 1, legend[i].color);
            Line(dc, swatchLeft, y + lineHeight / 2, swatchLeft + kLegendSwatch,
                 y + lineHeight / 2);
        }
        const int textX = rtl ? swatchLeft - 4 : swatchLeft + kLegendSwatch + 4;
        Text(dc, textX, y, legend[i].name, (rtl ? TA_RIGHT : TA_LEFT) | TA_TOP, rtl);
    }

    // DrawText places the text itself: an alignment left from the labels would move it.
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    if (chart_.curves.empty() || chart_.curves[0].interval.empty()) {
        // Nothing to draw yet: say so in the plot.
        RECT middle = map.plot;
        DrawTextA(dc, chart_.summary.c_str(), -1, &middle,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }

    RECT figures = {rect.left + kPad, figuresTop, rect.right - kPad, rect.bottom};
    DrawTextA(dc, chart_.figures.c_str(), -1, &figures,
              (rtl ? DT_RIGHT : DT_LEFT) | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

}  // namespace vm
