#include "win32/platform/WindowDpi.h"

namespace vm {
namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// Windows 10 1607 and Wine have it; older systems have one DPI for every window.
GetDpiForWindowFunction DpiForWindowFunction() {
    static const auto function = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    return function;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

int WindowDpi(HWND hwnd) {
    const GetDpiForWindowFunction function = DpiForWindowFunction();
    if (function != nullptr && hwnd != nullptr) {
        const UINT dpi = function(hwnd);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return ScreenDpi();
}

HFONT CreateMessageFont(int dpi, bool underline) {
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    LOGFONTA font = {};
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font = metrics.lfMessageFont;
        // The metrics come at the screen's DPI; a window on another monitor wants its own.
        font.lfHeight = MulDiv(font.lfHeight, dpi, ScreenDpi());
    } else {
        GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
        font.lfHeight = -MulDiv(8, dpi, 72);
    }
    font.lfUnderline = underline ? 1 : 0;
    return CreateFontIndirectA(&font);
}

void AddScaledBitmap(HIMAGELIST images, int bitmapId, COLORREF mask) {
    constexpr int kSourceSize = 16;
    int size = 0, height16 = 0;
    if (images == nullptr || !ImageList_GetIconSize(images, &size, &height16)) return;
    HBITMAP source = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, 0));
    if (source == nullptr) return;
    BITMAP info = {};
    GetObjectA(source, sizeof info, &info);
    HBITMAP strip = source;
    if (size != kSourceSize && info.bmWidth > 0 && info.bmHeight > 0) {
        HDC screen = GetDC(nullptr);
        HDC from = CreateCompatibleDC(screen);
        HDC to = CreateCompatibleDC(screen);
        const int width = info.bmWidth * size / kSourceSize;
        const int height = info.bmHeight * size / kSourceSize;
        HBITMAP scaled = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        if (from != nullptr && to != nullptr && scaled != nullptr) {
            HGDIOBJ oldFrom = SelectObject(from, source);
            HGDIOBJ oldTo = SelectObject(to, scaled);
            // Whole pixels only: a blend would put colours near the mask around each image.
            SetStretchBltMode(to, COLORONCOLOR);
            StretchBlt(to, 0, 0, width, height, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
            SelectObject(from, oldFrom);
            SelectObject(to, oldTo);
            strip = scaled;
        } else if (scaled != nullptr) {
            DeleteObject(scaled);
        }
        if (from != nullptr) DeleteDC(from);
        if (to != nullptr) DeleteDC(to);
    }
    ImageList_AddMasked(images, strip, mask);
    if (strip != source) DeleteObject(strip);
    DeleteObject(source);
}

HIMAGELIST CreateScaledImageList(int bitmapId, int count, COLORREF mask, int dpi) {
    const int size = ImageSizeForDpi(dpi);
    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, count, 1);
    AddScaledBitmap(images, bitmapId, mask);
    return images;
}

}  // namespace vm
