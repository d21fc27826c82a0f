#pragma once
#include <windows.h>

#include <cstddef>

namespace vm {

// A dialog bound to its object. The one dialog procedure finds the object in the dialog's
// DWLP_USER slot (set at WM_INITDIALOG) and calls its DialogProc inside the crash guard;
// the dialog is translated by its template id and mirrored for right-to-left as it
// initialises. Objects are made
// by the opener, usually on its stack, and live for the duration of DoModal.
class DialogBase {
public:
    explicit DialogBase(int templateId) : templateId_(templateId) {}

    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;

    // The virtual operations keep this order; the destructor comes after them.
    virtual INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);
    // toControls: object -> controls; otherwise controls -> object.
    virtual void DataExchange(bool toControls);
    // Runs the dialog modally; true when it ended with IDOK.
    virtual bool DoModal(HWND owner);
    virtual ~DialogBase();

    HWND Handle() const { return hwnd_; }
    int TemplateId() const { return templateId_; }
    void SetTemplateId(int templateId) { templateId_ = templateId; }

    HWND Item(int controlId) const { return GetDlgItem(hwnd_, controlId); }
    void EnableItem(int controlId, bool enabled) const;
    // A child control with an empty text, no control id and no creation parameter.
    HWND CreateChild(DWORD exStyle, const char* className, DWORD style, int x, int y, int width,
                     int height) const;

private:
    friend INT_PTR CALLBACK FrameworkDialogProc(HWND, UINT, WPARAM, LPARAM);

    int templateId_;
    HWND hwnd_ = nullptr;
};

// The dialog procedure every dialog of the program runs with.
INT_PTR CALLBACK FrameworkDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs a dialog object modally from the program's resources with the given template (which
// becomes its template id, and picks its translation) and returns the dialog's end result
// (-1 when it could not be made).
INT_PTR RunModalDialog(DialogBase& dialog, int templateId, HWND owner);

// A dialog whose messages go to OnInitDialog, OnCommand and OnNotify. The default
// OnCommand commits on OK (DataExchange from the controls, then end with IDOK), ends on
// Cancel without exchange, and calls UpdateControls after every click and edit change.
class CommandDialog : public DialogBase {
public:
    using DialogBase::DialogBase;

    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual INT_PTR OnCommand(UINT code, WPARAM wParam, LPARAM lParam);
    virtual INT_PTR OnInitDialog();
    virtual INT_PTR OnNotify(WPARAM wParam, LPARAM lParam);
    // The enabling rules of the dialog.
    virtual void UpdateControls();
};

}  // namespace vm
