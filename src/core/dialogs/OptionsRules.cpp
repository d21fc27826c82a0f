#include "core/dialogs/OptionsRules.h"

#include "core/lang/StringIds.h"
#include "core/options/OptionTable.h"
#include "core/report/ReportFormat.h"

namespace vm {
namespace {

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

void CopyAdvancedOptions(const AppSettings& from, AppSettings* to) {
    for (const OptionSpec& option : Options()) {
        if (!option.advanced) continue;
        switch (option.type) {
            case OptionType::Bool:
            case OptionType::Int:
                to->*option.number = from.*option.number;
                break;
            case OptionType::Double:
                to->*option.decimal = from.*option.decimal;
                break;
            case OptionType::Text:
                to->*option.text = (from.*option.text).substr(0, option.bound - 1);
                break;
        }
    }
}

bool OptionEnabled(const AppSettings& options, const char* key) {
    const OptionSpec* option = FindOption(key);
    return option == nullptr || OptionSwitchedOn(options, *option);
}

ComboChoices SizeUnitChoices() { return ChoicesOf(kSizeUnits); }
ComboChoices FtpModeChoices() { return ChoicesOf(kFtpModes); }
ComboChoices StableUnitChoices() { return ChoicesOf(kStableUnits); }
ComboChoices ReportTypeChoices() { return ChoicesOf(kReportTypes); }

}  // namespace vm
