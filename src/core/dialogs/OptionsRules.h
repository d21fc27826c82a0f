#pragma once
#include <cstddef>
#include <cstdint>

#include "core/options/AppSettings.h"

namespace vm {

// The Advanced Options controls that are usable only while their check box is on.
enum class OptionsDependent : int {
    kAutoStopTime,
    kAutoStopSize,
    kAutoStopSizeUnit,
    kStableValue,
    kStableUnit,
    kRetries,
    kReportFileName,
    kReportBrowse,
    kReportType,
    kReportOpenInViewer,
};
constexpr size_t kOptionsDependentCount = 10;

// Which dependent controls are enabled for a set of options.
struct OptionsEnabling {
    bool enabled[kOptionsDependentCount] = {};
    bool IsEnabled(OptionsDependent control) const {
        return enabled[static_cast<size_t>(control)];
    }
};

// A dependent control is enabled exactly when the option of its check box is on.
OptionsEnabling OptionsEnablingFor(const AppSettings& options);

// Copies the block the dialog edits, UseAutoStopTime through AutoReportOpenInViewer; the
// view options after it (grid lines, tooltips, GMT ...) are left as they are.
void CopyAdvancedOptions(const AppSettings& from, AppSettings* to);

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
