#pragma once
#include <cstddef>
#include <cstdint>

#include "core/options/AppSettings.h"

namespace vm {

// Copies the options the dialog edits (the option table's advanced rows); the view options
// (grid lines, tooltips, GMT ...) are left as they are. Text is cut to what the file keeps.
void CopyAdvancedOptions(const AppSettings& from, AppSettings* to);

// Whether the controls of an option are usable: only while the check box that switches
// the option on is checked (any non-zero value). An option without a switch, or an
// unknown key, is always usable.
bool OptionEnabled(const AppSettings& options, const char* key);

// One item of a drop-down list: its string id and its item data.
struct ComboChoice {
    uint32_t textId;
    int32_t data;
};
struct ComboChoices {
    const ComboChoice* items;
    size_t count;
};

// The four lists, in the order their items are added.
ComboChoices SizeUnitChoices();
ComboChoices FtpModeChoices();
ComboChoices StableUnitChoices();
ComboChoices ReportTypeChoices();

}  // namespace vm
