#pragma once
#include <windows.h>

namespace vm {

// Replaces an open dialog's caption and control texts with those of the active
// translation file, section by template id. Nothing happens without a translation file.
void TranslateDialog(int templateId, HWND dialog);

// Mirrors a window when the translation file asks for right-to-left: flag 2 gives every
// descendant the right-to-left layout, flag 1 mirrors their horizontal positions, and
// the window itself always gets it. Nothing happens when right-to-left is off.
void ApplyRtlLayout(HWND window, int flags);

}  // namespace vm
