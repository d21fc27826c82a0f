#include "win32/window/DialogBase.h"

#include "win32/lang/DialogTranslation.h"
#include "win32/window/CrashGuard.h"
#include "win32/window/FrameWindow.h"
#include "win32/window/WindowMap.h"

namespace vm {
namespace {

WindowMap<DialogBase>& DialogMap() {
    static WindowMap<DialogBase> map;
    return map;
}

int gLastModalTemplateId = 0;

struct DialogCall {
    DialogBase* dialog;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

LRESULT CallDialogProc(void* context) {
    auto* call = static_cast<DialogCall*>(context);
    return call->dialog->DialogProc(call->message, call->wParam, call->lParam);
}

}  // namespace

INT_PTR CALLBACK FrameworkDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        TranslateDialog(gLastModalTemplateId, hwnd);
        auto* object = reinterpret_cast<DialogBase*>(lParam);
        if (object != nullptr) {
            object->hwnd_ = hwnd;
            DialogMap().Add(object, hwnd);
        }
    }
    DialogBase* dialog = DialogMap().Find(hwnd);
    if (dialog == nullptr) return 0;
    DialogCall call{dialog, message, wParam, lParam};
    const LRESULT result = RunGuarded(hwnd, CallDialogProc, &call, nullptr);
    if (message == WM_INITDIALOG) ApplyRtlLayout(hwnd, 3);
    return result;
}

int LastModalTemplateId() { return gLastModalTemplateId; }
void SetLastModalTemplateId(int templateId) { gLastModalTemplateId = templateId; }

INT_PTR RunModalDialog(DialogBase& dialog, int templateId, HWND owner) {
    SetLastModalTemplateId(templateId);
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner,
                           FrameworkDialogProc, reinterpret_cast<LPARAM>(&dialog));
}

DialogBase::~DialogBase() { DialogMap().Remove(this); }

INT_PTR DialogBase::DialogProc(UINT, WPARAM, LPARAM) { return 0; }

void DialogBase::DataExchange(bool) {}

bool DialogBase::DoModal(HWND owner) { return RunModalDialog(*this, templateId_, owner) == IDOK; }

void DialogBase::CreateModeless(HWND owner) {
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_),
                                     owner, FrameworkDialogProc, reinterpret_cast<LPARAM>(this));
    if (dialog == nullptr) return;
    TranslateDialog(templateId_, dialog);
    ApplyRtlLayout(dialog, 3);
    hwnd_ = dialog;
    ShowWindow(dialog, SW_SHOW);
    UpdateWindow(dialog);
}

void DialogBase::EnableItem(int controlId, bool enabled) const {
    EnableWindow(Item(controlId), enabled ? TRUE : FALSE);
}

HWND DialogBase::CreateChild(DWORD exStyle, const char* className, DWORD style, int x, int y,
                             int width, int height) const {
    return CreateWindowExA(exStyle, className, "", style, x, y, width, height, hwnd_, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

size_t DialogBase::MapCapacity() { return DialogMap().Capacity(); }

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
