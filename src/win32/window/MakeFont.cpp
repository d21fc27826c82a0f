#include "win32/window/MakeFont.h"

#include "core/base/TextUtil.h"

namespace vm {

HFONT MakeFont(const char* face, int height, bool underline) {
    LOGFONTA font = {};
    font.lfHeight = height;
    font.lfWeight = FW_BOLD;
    font.lfUnderline = underline ? 1 : 0;
    font.lfCharSet = DEFAULT_CHARSET;
    CopyBounded(font.lfFaceName, LF_FACESIZE, face);
    return CreateFontIndirectA(&font);
}

}  // namespace vm
