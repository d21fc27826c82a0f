#include "core/dialogs/OptionsRules.h"

#include "core/lang/StringIds.h"
#include "core/report/ReportFormat.h"

namespace vm {
namespace {

struct EnablingRule {
    int32_t AppSettings::*option;
    OptionsDependent control;
};

constexpr EnablingRule kEnablingRules[] = {
    {&AppSettings::UseAutoStopTime, OptionsDependent::kAutoStopTime},
    {&AppSettings::UseAutoStopSize, OptionsDependent::kAutoStopSize},
    {&AppSettings::UseAutoStopSize, OptionsDependent::kAutoStopSizeUnit},
    {&AppSettings::UseAutoStopStable, OptionsDependent::kStableValue},
    {&AppSettings::UseAutoStopStable, OptionsDependent::kStableUnit},
    {&AppSettings::TryAgainOnFail, OptionsDependent::kRetries},
    {&AppSettings::AutoReport, OptionsDependent::kReportFileName},
    {&AppSettings::AutoReport, OptionsDependent::kReportBrowse},
    {&AppSettings::AutoReport, OptionsDependent::kReportType},
    {&AppSettings::AutoReport, OptionsDependent::kReportOpenInViewer},
};
static_assert(sizeof kEnablingRules / sizeof kEnablingRules[0] == kOptionsDependentCount,
              "every dependent control has one rule");

constexpr ComboChoice kSizeUnits[] = {{IDS_UNIT_KB, 2}, {IDS_UNIT_MB, 3}};
constexpr ComboChoice kFtpModes[] = {{IDS_FTP_ACTIVE, 1}, {IDS_FTP_PASSIVE, 2}};
constexpr ComboChoice kStableUnits[] = {{IDS_STABLE_PERCENT, 1}, {IDS_STABLE_KB_PER_SEC, 2}};
constexpr ComboChoice kReportTypes[] = {
    {IDS_REPORT_TYPE_BASE + kReportText, kReportText},
    {IDS_REPORT_TYPE_BASE + kReportTabDelimited, kReportTabDelimited},
    {IDS_REPORT_TYPE_BASE + kReportTabular, kReportTabular},
    {IDS_REPORT_TYPE_BASE + kReportHtmlHorizontal, kReportHtmlHorizontal},
    {IDS_REPORT_TYPE_BASE + kReportHtmlVertical, kReportHtmlVertical},
    {IDS_REPORT_TYPE_BASE + kReportXml, kReportXml},
    {IDS_REPORT_TYPE_BASE + kReportCommaDelimited, kReportCommaDelimited},
};

template <size_t N>
ComboChoices ChoicesOf(const ComboChoice (&items)[N]) {
    return {items, N};
}

}  // namespace

OptionsEnabling OptionsEnablingFor(const AppSettings& options) {
    OptionsEnabling result;
    for (const EnablingRule& rule : kEnablingRules) {
        result.enabled[static_cast<size_t>(rule.control)] = options.*rule.option != 0;
    }
    return result;
}

void CopyAdvancedOptions(const AppSettings& from, AppSettings* to) {
    to->UseAutoStopTime = from.UseAutoStopTime;
    to->UseAutoStopSize = from.UseAutoStopSize;
    to->UseAutoStopStable = from.UseAutoStopStable;
    to->AutoStopTime = from.AutoStopTime;
    to->AutoStopSize = from.AutoStopSize;
    to->AutoStopSizeUnit = from.AutoStopSizeUnit;
    to->FtpMode = from.FtpMode;
    to->ConnectTimeout = from.ConnectTimeout;
    to->AutoStopStableValue = from.AutoStopStableValue;
    to->AutoStopStableUnit = from.AutoStopStableUnit;
    to->TryAgainOnFail = from.TryAgainOnFail;
    to->NumOfRetries = from.NumOfRetries;
    to->AutoReport = from.AutoReport;
    to->AutoReportFilename = from.AutoReportFilename.substr(0, kMaxReportFileName);
    to->AutoReportType = from.AutoReportType;
    to->AutoReportOpenInViewer = from.AutoReportOpenInViewer;
}

ComboChoices SizeUnitChoices() { return ChoicesOf(kSizeUnits); }
ComboChoices FtpModeChoices() { return ChoicesOf(kFtpModes); }
ComboChoices StableUnitChoices() { return ChoicesOf(kStableUnits); }
ComboChoices ReportTypeChoices() { return ChoicesOf(kReportTypes); }

}  // namespace vm
