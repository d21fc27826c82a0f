#include "win32/lang/ResourceLanguageTexts.h"

#include <algorithm>
#include <vector>

#include "core/lang/DialogTexts.h"
#include "core/lang/ResourceTextRules.h"
#include "win32/lang/MenuLoading.h"

namespace vm {
namespace {

constexpr size_t kMaxClassName = 254;

BOOL CALLBACK CollectId(HMODULE, LPCSTR, LPSTR name, LONG_PTR ids) {
    if (IS_INTRESOURCE(name)) {
        reinterpret_cast<std::vector<int>*>(ids)->push_back(
            static_cast<int>(reinterpret_cast<uintptr_t>(name)));
    }
    return TRUE;
}

// Numeric ids of one resource type, ascending (the order Windows enumerates them in).
std::vector<int> ResourceIds(HMODULE module, LPCSTR type) {
    std::vector<int> ids;
    EnumResourceNamesA(module, type, CollectId, reinterpret_cast<LONG_PTR>(&ids));
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

std::string WindowText(HWND window) {
    std::vector<char> text(kMaxLanguageValue + 1);
    const int length = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), length > 0 ? static_cast<size_t>(length) : 0);
}

BOOL CALLBACK CollectControl(HWND control, LPARAM param) {
    DialogControlText entry;
    entry.id = GetDlgCtrlID(control);
    entry.text = WindowText(control);
    char className[kMaxClassName + 1] = {};
    GetClassNameA(control, className, sizeof className);
    entry.className = className;
    reinterpret_cast<DialogTexts*>(param)->controls.push_back(std::move(entry));
    return TRUE;
}

// The dialog is made only to read its texts: nothing may run and nothing is shown.
INT_PTR CALLBACK InertDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

void ResourceLanguageTexts::AddTexts(LanguageFileWriter& writer) {
    for (int menuId : ResourceIds(module_, RT_MENU)) {
        HMENU menu = LoadMenuA(module_, MAKEINTRESOURCEA(menuId));
        if (menu == nullptr) continue;
        WinMenuLevel top(menu);
        SaveMenuTexts(top, menuId, writer);
        DestroyMenu(menu);
    }
    for (int dialogId : ResourceIds(module_, RT_DIALOG)) {
        if (DialogExcludedFromLanguageFile(dialogId)) continue;
        HWND dialog =
            CreateDialogParamA(module_, MAKEINTRESOURCEA(dialogId), nullptr, InertDialogProc, 0);
        if (dialog == nullptr) continue;
        ShowWindow(dialog, SW_HIDE);
        DialogTexts texts;
        texts.caption = WindowText(dialog);
        EnumChildWindows(dialog, CollectControl, reinterpret_cast<LPARAM>(&texts));
        DestroyWindow(dialog);
        SaveDialogTexts(dialogId, texts, writer);
    }
}

}  // namespace vm
