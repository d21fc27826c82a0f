#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace vm {

// What a picture of the graph is saved as.
enum class GraphImageFormat { Png, Bmp };

// Puts a 24-bit DIB section on the clipboard as CF_DIB. Returns 0 or the error code of the
// step that failed; the clipboard is closed in every case.
[[nodiscard]] uint32_t CopyBitmapToClipboard(HWND owner, HBITMAP bitmap);

// Writes a 24-bit DIB section as a PNG file through Windows' imaging component. Returns 0
// or an error code; ERROR_NOT_SUPPORTED when the component is not there.
[[nodiscard]] uint32_t SaveBitmapAsPng(HBITMAP bitmap, const std::string& path);

// Writes a 24-bit DIB section as a BMP file. Returns 0 or the error code.
[[nodiscard]] uint32_t SaveBitmapAsBmp(HBITMAP bitmap, const std::string& path);

// The path with its extension replaced (or added): "graph.png" -> "graph.bmp".
std::string WithExtension(const std::string& path, const char* extension);

}  // namespace vm
