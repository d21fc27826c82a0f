#pragma once
#include <windows.h>
#include <commctrl.h>

#include "core/base/DpiScale.h"

namespace vm {

// WM_DPICHANGED, which the XP-level headers this program builds with do not name.
constexpr UINT WM_DPICHANGED_MESSAGE = 0x02E0;

// The DPI a window is drawn at: its monitor's under per-monitor awareness, where the
// system can tell; else the screen's.
int WindowDpi(HWND hwnd);

// The system's message font (the one dialogs and the status bar use) sized for dpi;
// nullptr when GDI has no memory for it. The caller deletes it.
HFONT CreateMessageFont(int dpi, bool underline = false);

// An image list of count square images of ImageSizeForDpi(dpi) pixels from a strip of
// 16-pixel images; larger sizes are scaled pixel by pixel so the mask colour stays exact.
HIMAGELIST CreateScaledImageList(int bitmapId, int count, COLORREF mask, int dpi);
// Adds a strip of 16-pixel images to a list, scaled to the list's size.
void AddScaledBitmap(HIMAGELIST images, int bitmapId, COLORREF mask);

}  // namespace vm
