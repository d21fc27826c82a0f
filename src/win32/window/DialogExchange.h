#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace vm {

// Data exchange between a dialog's controls and an object's fields. toControls writes
// the field into the control; otherwise the control's value is read back into the field.

// A check box: checked is 1, anything else 0.
void ExchangeCheck(HWND dialog, int controlId, bool toControls, int32_t* value);
// A signed integer edit; text that is not a number reads back as 0.
void ExchangeInteger(HWND dialog, int controlId, bool toControls, int32_t* value);
// A text edit, read back at most maxLength characters.
void ExchangeText(HWND dialog, int controlId, bool toControls, std::string* value,
                  size_t maxLength);
// A drop-down list by item data: selects the first item carrying the value (none
// matching leaves the selection alone); reads back the selected item's data as a
// sign-extended 16-bit value, or 0 with no selection.
void ExchangeComboData(HWND dialog, int controlId, bool toControls, int32_t* value);
// A decimal edit showing one decimal; the value read back is rounded to what it shows.
void ExchangeDecimal(HWND dialog, int controlId, bool toControls, double* value);

// Adds a (text, item data) pair to a combo box.
void AddComboItem(HWND dialog, int controlId, const char* text, LPARAM data);

}  // namespace vm
