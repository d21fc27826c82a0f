#include "core/dialogs/PropertiesLayout.h"

#include <algorithm>

namespace vm {
namespace {

// The frame keeps this much room below the rows for the buttons' margins.
constexpr int kButtonAreaExtra = 21;
constexpr int kButtonBottomMargin = 5;

}  // namespace

PropertyRowsLayout LayoutPropertyRows(const PixelRect& captionPrototype,
                                      const PixelRect& valuePrototype, const int* titleWidths,
                                      size_t rowCount) {
    PropertyRowsLayout layout;
    layout.captionLeft = captionPrototype.left;
    layout.captionWidth = captionPrototype.Width();
    layout.captionHeight = captionPrototype.Height();
    layout.valueLeft = valuePrototype.left;
    layout.valueWidth = valuePrototype.Width();
    layout.valueHeight = valuePrototype.Height();
    layout.captionTop = captionPrototype.top;
    layout.valueTop = valuePrototype.top;
    layout.rowStep = layout.valueHeight + kPropertiesRowGap;
    layout.rowsHeight = static_cast<int>(rowCount) * layout.rowStep;
    if (titleWidths != nullptr && rowCount > 0) {
        const int widest = *std::max_element(titleWidths, titleWidths + rowCount);
        const int width = widest + kPropertiesCaptionPadding;
        const int shift = width - captionPrototype.Width();
        layout.captionWidth = width;
        layout.valueLeft += shift;
        layout.valueWidth -= shift;
    }
    return layout;
}

PropertiesFrame FramePropertiesDialog(int windowWidth, int windowHeight, int clientHeight,
                                      int rowsHeight, int buttonHeight) {
    PropertiesFrame frame;
    frame.windowWidth = windowWidth + 1;
    const int newClientHeight = rowsHeight + buttonHeight + kButtonAreaExtra;
    frame.windowHeight = windowHeight - clientHeight + newClientHeight;
    frame.buttonTop = newClientHeight - buttonHeight - kButtonBottomMargin;
    return frame;
}

std::string PropertyCaption(const char* title) {
    std::string caption = title != nullptr ? title : "";
    caption += ':';
    if (caption.size() > kPropertiesNameLimit) caption.resize(kPropertiesNameLimit);
    return caption;
}

}  // namespace vm
