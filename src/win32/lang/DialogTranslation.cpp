#include "lang/DialogTranslation.h"

namespace vm {

void TranslateDialog(int, HWND) {}

void ApplyRtlLayout(HWND, int) {}

}  // namespace vm
