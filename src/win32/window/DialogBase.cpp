#include "win32/window/DialogBase.h"

#include "win32/lang/DialogTranslation.h"
#include "win32/window/FrameWindow.h"
#include "win32/window/WindowObject.h"

namespace vm {

INT_PTR CALLBACK FrameworkDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* object = reinterpret_cast<DialogBase*>(lParam);
        if (object != nullptr) {
            TranslateDialog(object->TemplateId(), hwnd);
            object->hwnd_ = hwnd;
            SetWindowObject(hwnd, DWLP_USER, object);
        }
    }
    DialogBase* dialog = WindowObject<DialogBase>(hwnd, DWLP_USER);
    if (dialog == nullptr) return 0;
    const LRESULT result =
        RunGuardedProc(hwnd, *dialog, &DialogBase::DialogProc, message, wParam, lParam);
    if (message == WM_NCDESTROY) SetWindowObject(hwnd, DWLP_USER, nullptr);
    if (message == WM_INITDIALOG) ApplyRtlLayout(hwnd, 3);
    return result;
}

INT_PTR RunModalDialog(DialogBase& dialog, int templateId, HWND owner) {
    dialog.SetTemplateId(templateId);
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner,
                           FrameworkDialogProc, reinterpret_cast<LPARAM>(&dialog));
}

DialogBase::~DialogBase() {
    // A dialog still open past its object no longer reaches it.
    if (hwnd_ != nullptr && WindowObject<DialogBase>(hwnd_, DWLP_USER) == this) {
        SetWindowObject(hwnd_, DWLP_USER, nullptr);
    }
}

INT_PTR DialogBase::DialogProc(UINT, WPARAM, LPARAM) { return 0; }

void DialogBase::DataExchange(bool) {}

bool DialogBase::DoModal(HWND owner) { return RunModalDialog(*this, templateId_, owner) == IDOK; }

void DialogBase::EnableItem(int controlId, bool enabled) const {
    EnableWindow(Item(controlId), enabled ? TRUE : FALSE);
}

HWND DialogBase::CreateChild(DWORD exStyle, const char* className, DWORD style, int x, int y,
                             int width, int height) const {
    return CreateWindowExA(exStyle, className, "", style, x, y, width, height, hwnd_, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

INT_PTR CommandDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NOTIFY:
            return OnNotify(wParam, lParam);
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_COMMAND:
            return OnCommand(HIWORD(wParam), wParam, lParam);
        default:
            return 0;
    }
}

INT_PTR CommandDialog::OnCommand(UINT code, WPARAM wParam, LPARAM) {
    if (code == 0) {
        const int id = LOWORD(wParam);
        if (id == IDOK) {
            DataExchange(false);
            EndDialog(Handle(), IDOK);
        } else if (id == IDCANCEL) {
            EndDialog(Handle(), IDCANCEL);
        }
        UpdateControls();
    } else if (code == EN_CHANGE) {
        UpdateControls();
    }
    return 0;
}

INT_PTR CommandDialog::OnInitDialog() {
    DataExchange(true);
    UpdateControls();
    CenterOnScreen(Handle());
    return 0;
}

INT_PTR CommandDialog::OnNotify(WPARAM, LPARAM) { return 0; }

void CommandDialog::UpdateControls() {}

}  // namespace vm
