#pragma once
#include <windows.h>

#include <cstdint>

#include "win32/window/DialogBase.h"

namespace vm {

// Run the Test Every (template IDD_RUN_EVERY): the minutes from the start of one run to
// the next (0 = off, 1-1440) and whether a closed window keeps watching from the
// notification area. OK with anything but a plain decimal number in range says so and
// stays open.
class RunEveryDialog : public CommandDialog {
public:
    struct Data {
        int32_t minutes = 0;
        bool keepInTray = true;
    };

    explicit RunEveryDialog(const Data& data);
    const Data& Result() const { return data_; }

    INT_PTR OnInitDialog() override;
    INT_PTR OnCommand(UINT code, WPARAM wParam, LPARAM lParam) override;

private:
    Data data_;
};

}  // namespace vm
