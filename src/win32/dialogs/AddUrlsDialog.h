#pragma once
#include <windows.h>

#include <string>

#include "win32/window/DialogBase.h"
#include "win32/window/DialogLayout.h"

namespace vm {

// Smallest client area the Add Download URLs dialog can be dragged to, in dialog units
// (about 300 x 250 pixels at 96 DPI): the edit keeps about seven lines at any DPI. It is
// never made narrower than it opens, whatever the font makes of its template.
constexpr int kAddUrlsMinWidthDlu = 200;
constexpr int kAddUrlsMinHeightDlu = 138;

// Add Download URLs: the user types a URL list; OK hands over the whole text. The edit
// field grows with the dialog, OK and Cancel stay in the lower right corner.
class AddUrlsDialog : public CommandDialog {
public:
    AddUrlsDialog();

    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnInitDialog() override;
    void DataExchange(bool toControls) override;

    // The text typed, once the dialog ended with OK.
    const std::string& Text() const { return text_; }

private:
    void Arrange();

    DialogLayout layout_;
    std::string text_;
};

}  // namespace vm
