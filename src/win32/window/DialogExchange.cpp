#include "win32/window/DialogExchange.h"

#include <vector>

#include "core/base/DecimalText.h"

namespace vm {
namespace {

std::string ControlText(HWND dialog, int controlId, size_t maxLength) {
    std::vector<char> buffer(maxLength + 1, '\0');
    GetDlgItemTextA(dialog, controlId, buffer.data(), static_cast<int>(buffer.size()));
    return buffer.data();
}

}  // namespace

void ExchangeCheck(HWND dialog, int controlId, bool toControls, int32_t* value) {
    HWND control = GetDlgItem(dialog, controlId);
    if (toControls) {
        SendMessageA(control, BM_SETCHECK, *value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    } else {
        *value = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    }
}

void ExchangeInteger(HWND dialog, int controlId, bool toControls, int32_t* value) {
    if (toControls) {
        SetDlgItemInt(dialog, controlId, static_cast<UINT>(*value), TRUE);
    } else {
        BOOL translated = FALSE;
        const int number = static_cast<int>(GetDlgItemInt(dialog, controlId, &translated, TRUE));
        *value = translated ? number : 0;
    }
}

void ExchangeText(HWND dialog, int controlId, bool toControls, std::string* value,
                  size_t maxLength) {
    if (toControls) {
        SetDlgItemTextA(dialog, controlId, value->c_str());
    } else {
        *value = ControlText(dialog, controlId, maxLength);
    }
}

void ExchangeComboData(HWND dialog, int controlId, bool toControls, int32_t* value) {
    HWND combo = GetDlgItem(dialog, controlId);
    if (toControls) {
        const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            if (SendMessageA(combo, CB_GETITEMDATA, i, 0) == static_cast<LRESULT>(*value)) {
                SendMessageA(combo, CB_SETCURSEL, i, 0);
                return;
            }
        }
        return;
    }
    const LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) {
        *value = 0;
        return;
    }
    const LRESULT data = SendMessageA(combo, CB_GETITEMDATA, selected, 0);
    *value = static_cast<int16_t>(static_cast<uint16_t>(data & 0xFFFF));
}

void ExchangeDecimal(HWND dialog, int controlId, bool toControls, double* value) {
    if (toControls) {
        SetDlgItemTextA(dialog, controlId, FormatDecimal(*value, kDecimalEditDigits).c_str());
    } else {
        *value = RoundTripDecimal(ControlText(dialog, controlId, 63).c_str(), kDecimalEditDigits);
    }
}

void AddComboItem(HWND dialog, int controlId, const char* text, LPARAM data) {
    HWND combo = GetDlgItem(dialog, controlId);
    const LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index >= 0) SendMessageA(combo, CB_SETITEMDATA, index, data);
}

}  // namespace vm
