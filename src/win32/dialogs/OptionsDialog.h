#pragma once
#include <windows.h>

#include "core/options/AppSettings.h"
#include "win32/window/DialogBase.h"
#include "win32/window/DialogLayout.h"

namespace vm {

enum class ControlKind { Check, Number, Decimal, List, Text, Button };

// Each option the dialog shows and its control; the option table knows the rest (which
// field, which switch enables it). A button exchanges nothing but follows its option's
// enabling.
struct OptionControl {
    const char* key;
    int controlId;
    ControlKind kind;
};
struct OptionControls {
    const OptionControl* begin() const { return items; }
    const OptionControl* end() const { return items + count; }
    const OptionControl* items;
    size_t count;
};
OptionControls OptionsDialogControls();

// Minimum client area of the Advanced Options dialog, in dialog units (about 440 x 370
// pixels at 96 DPI).
constexpr int kOptionsMinWidthDlu = 290;
constexpr int kOptionsMinHeightDlu = 210;

// The Advanced Options dialog (template 111). It edits a working copy of the options; the
// opener copies the edited block back only when the dialog ends with OK.
class OptionsDialog : public CommandDialog {
public:
    // The working copy starts from the defaults, then takes the live options' block.
    explicit OptionsDialog(const AppSettings& live);

    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DataExchange(bool toControls) override;
    INT_PTR OnCommand(UINT code, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnInitDialog() override;

    const AppSettings& Options() const { return options_; }

private:
    void ApplyEnabling();
    void FillLists();
    void ChooseReportFile();
    void Relayout();

    DialogLayout layout_;
    AppSettings options_;
};

// Runs the dialog on the live options: on OK the edited block replaces theirs. True on OK.
bool EditAdvancedOptions(HWND owner, AppSettings* live);

}  // namespace vm
