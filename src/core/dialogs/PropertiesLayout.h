#pragma once
#include <cstddef>
#include <string>

namespace vm {

// Most characters the Properties dialog writes back into an item.
constexpr size_t kPropertiesNameLimit = 254;
constexpr size_t kPropertiesUrlLimit = 4094;
// The URL and the name are the two editable rows, in this order.
constexpr size_t kPropertiesUrlRow = 0;
constexpr size_t kPropertiesNameRow = 1;
constexpr int kPropertiesRowGap = 4;
// A caption is this much wider than its measured title.
constexpr int kPropertiesCaptionPadding = 10;

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// Where the caption/value rows go, derived from the two hidden prototypes.
struct PropertyRowsLayout {
    int captionLeft = 0;
    int captionWidth = 0;
    int captionHeight = 0;
    int valueLeft = 0;
    int valueWidth = 0;
    int valueHeight = 0;
    int captionTop = 0;  // each row keeps the prototypes' own tops, offset by the row
    int valueTop = 0;
    int rowStep = 0;     // value height plus the gap
    int rowsHeight = 0;  // rows times the step: what the rows add below the prototypes

    int CaptionTop(size_t row) const { return captionTop + static_cast<int>(row) * rowStep; }
    int ValueTop(size_t row) const { return valueTop + static_cast<int>(row) * rowStep; }
};

// Every caption is as wide as the widest measured title plus padding, and the value
// fields give up that width on their left so their right edges stay put. Without
// measurements (titleWidths null) the prototypes' widths stay.
PropertyRowsLayout LayoutPropertyRows(const PixelRect& captionPrototype,
                                      const PixelRect& valuePrototype, const int* titleWidths,
                                      size_t rowCount);

// The dialog's size after the rows are made, and where OK and Cancel go.
struct PropertiesFrame {
    int windowWidth = 0;
    int windowHeight = 0;
    int buttonTop = 0;
};
PropertiesFrame FramePropertiesDialog(int windowWidth, int windowHeight, int clientHeight,
                                      int rowsHeight, int buttonHeight);

// "title:" cut to kPropertiesNameLimit characters.
std::string PropertyCaption(const char* title);

}  // namespace vm
