#include "win32/lang/DialogTranslation.h"

#include <string>
#include <string_view>
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

bool IsLabelOrButton(HWND control) {
    char className[16] = {};
    GetClassNameA(control, className, sizeof className);
    return lstrcmpiA(className, "Button") == 0 || lstrcmpiA(className, "Static") == 0;
}

void DropTrailingSpaces(HWND control) {
    if (!IsLabelOrButton(control)) return;
    const int length = GetWindowTextLengthA(control);
    if (length <= 0) return;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(control, &text[0], length + 1)));
    const std::string_view shown = MirroredLabelText(text);
    if (shown.size() != text.size()) SetWindowTextA(control, std::string(shown).c_str());
}

// A control's non-client parts (an edit's scroll bar, a border) are laid out when its frame
// is calculated; a style change alone leaves them on the old side, drawn as a black strip.
void RecalculateFrame(HWND window) {
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
    // Collected first: moving and restyling must not disturb the enumeration.
    std::vector<HWND> descendants;
    if ((flags & 3) != 0) {
        EnumChildWindows(window, CollectDescendant, reinterpret_cast<LPARAM>(&descendants));
        if ((flags & 2) != 0) {
            for (HWND child : descendants) {
                AddRightToLeft(child);
                DropTrailingSpaces(child);
            }
        }
        if ((flags & 1) != 0) {
            for (HWND child : descendants) MirrorPosition(child);
        }
    }
    AddRightToLeft(window);
    if ((flags & 3) == 0) return;  // mirrored at creation: nothing laid out or drawn yet
    // A frame is laid out in its parent's coordinates, so the children's come after their
    // dialog's mirroring; whatever was drawn before it is on the wrong side now.
    RecalculateFrame(window);
    if ((flags & 2) != 0) {
        for (HWND child : descendants) RecalculateFrame(child);
    }
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

}  // namespace vm
