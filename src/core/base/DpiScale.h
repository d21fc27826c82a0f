#pragma once

namespace vm {

// The DPI every stored size is given in (column widths, the graph's height): files stay the
// same whatever screen wrote them.
constexpr int kBaseDpi = 96;

// A size in 96-DPI units at dpi, rounded to the nearest pixel; a dpi of 0 or less counts
// as 96.
int ScaleToDpi(int units, int dpi);

// Pixels at dpi back to 96-DPI units, so that ScaleFromDpi(ScaleToDpi(u, d), d) == u for
// any d of 96 or more.
int ScaleFromDpi(int pixels, int dpi);

// The side of the toolbar's and the list's images at dpi: 16, 24 or 32 pixels, the largest
// that does not outgrow the text beside it.
int ImageSizeForDpi(int dpi);

}  // namespace vm
