#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace vm {

// Drives modal dialogs of the current thread from inside their modal loop: the action
// runs once, on a thread timer, as soon as an enabled and visible dialog window of this
// thread exists. An action that does not close the dialog can queue the next one.
void WhenDialogOpens(std::function<void(HWND dialog)> action);

// Clicks a button of a dialog as a user would (BN_CLICKED to the dialog).
void ClickButton(HWND dialog, int controlId);

std::string ItemText(HWND dialog, int controlId);

}  // namespace vm
