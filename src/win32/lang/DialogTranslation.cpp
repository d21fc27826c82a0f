#include "win32/lang/DialogTranslation.h"

#include <string>
#include <vector>

#include "core/lang/LanguageFile.h"
#include "core/lang/ResourceTextRules.h"

namespace vm {
namespace {

struct TranslationPass {
    const LanguageFile* file;
    std::string section;
};

BOOL CALLBACK TranslateControl(HWND control, LPARAM param) {
    const auto* pass = reinterpret_cast<const TranslationPass*>(param);
    std::string text;
    if (pass->file->ReadText(pass->section, ControlKey(GetDlgCtrlID(control)), &text)) {
        SetWindowTextA(control, text.c_str());
    }
    return TRUE;
}

BOOL CALLBACK CollectDescendant(HWND child, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
    return TRUE;
}

void AddRightToLeft(HWND window) {
    const LONG style = GetWindowLongA(window, GWL_EXSTYLE);
    if ((style & WS_EX_LAYOUTRTL) == 0) {
        SetWindowLongA(window, GWL_EXSTYLE, style | WS_EX_LAYOUTRTL);
    }
}

// Moves a child to the mirrored place in its parent: new left = parent width - old right.
void MirrorPosition(HWND child) {
    HWND parent = GetParent(child);
    RECT rect;
    RECT client;
    if (parent == nullptr || !GetWindowRect(child, &rect) || !GetClientRect(parent, &client)) {
        return;
    }
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    SetWindowPos(child, nullptr, client.right - rect.right, rect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void TranslateDialog(int templateId, HWND dialog) {
    const LanguageFile& file = ActiveLanguageFile();
    if (!file.IsActive() || dialog == nullptr) return;
    TranslationPass pass{&file, DialogSectionName(templateId)};
    std::string caption;
    if (file.ReadText(pass.section, language_key::kCaption, &caption)) {
        SetWindowTextA(dialog, caption.c_str());
    }
    EnumChildWindows(dialog, TranslateControl, reinterpret_cast<LPARAM>(&pass));
}

void ApplyRtlLayout(HWND window, int flags) {
    if (!LanguageIsRightToLeft() || window == nullptr) return;
    if ((flags & 3) != 0) {
        // Collected first: moving and restyling must not disturb the enumeration.
        std::vector<HWND> descendants;
        EnumChildWindows(window, CollectDescendant, reinterpret_cast<LPARAM>(&descendants));
        if ((flags & 2) != 0) {
            for (HWND child : descendants) AddRightToLeft(child);
        }
        if ((flags & 1) != 0) {
            for (HWND child : descendants) MirrorPosition(child);
        }
    }
    AddRightToLeft(window);
}

}  // namespace vm
