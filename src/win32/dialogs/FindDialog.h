#pragma once
#include <windows.h>
#include <commdlg.h>

#include "core/list/FindInList.h"

namespace vm {

// The common modeless Find dialog over the download list. The find text lives here and is
// offered again at the next opening; direction, match case and whole word start afresh.
class FindDialog {
public:
    FindDialog();
    ~FindDialog();
    FindDialog(const FindDialog&) = delete;
    FindDialog& operator=(const FindDialog&) = delete;

    // Opens the dialog; false (and nothing happens) while a Find dialog is already open.
    bool Open(HWND owner);
    // A request the dialog sent with the registered find message: what it asks for, and
    // for a search the request itself. Closing forgets the dialog.
    FindAction OnRequest(LPARAM lParam, FindRequest* request);

    HWND Window() const { return window_; }

private:
    FINDREPLACEA block_ = {};
    char text_[kFindTextBufferBytes] = {};
    HWND window_ = nullptr;
};

// The open Find dialog of the process, for the message loop's keyboard routing; none when
// it is closed.
HWND ActiveFindDialog();

// True when the message is for the Find dialog or one of its controls.
bool IsFindDialogMessage(const MSG& msg);

}  // namespace vm
