#include "core/options/OptionTable.h"

#include <cstdint>
#include <cstring>

namespace vm {
namespace {

using S = AppSettings;

constexpr OptionSpec Bool(const char* key, int32_t S::*field, int32_t byDefault) {
    OptionSpec row{key, OptionType::Bool};
    row.number = field;
    row.numberDefault = byDefault;
    return row;
}

constexpr OptionSpec Int(const char* key, int32_t S::*field, int32_t byDefault) {
    OptionSpec row{key, OptionType::Int};
    row.number = field;
    row.numberDefault = byDefault;
    return row;
}

constexpr OptionSpec Decimal(const char* key, double S::*field, double byDefault, size_t decimals) {
    OptionSpec row{key, OptionType::Double};
    row.decimal = field;
    row.decimalDefault = byDefault;
    row.bound = decimals;
    return row;
}

constexpr OptionSpec Text(const char* key, std::string S::*field, const char* byDefault,
                          size_t capacity) {
    OptionSpec row{key, OptionType::Text};
    row.text = field;
    row.textDefault = byDefault;
    row.bound = capacity;
    return row;
}

// Adding an option: its field in AppSettings (initialised to the default here) and one row.
// The file keeps this order; the JSON object orders its members by their number.
constexpr OptionSpec kOptions[] = {
    Bool("ShowGridLines", &S::ShowGridLines, 0),
    Int("SaveFilterIndex", &S::SaveFilterIndex, 0),
    Bool("ShowInfoTip", &S::ShowInfoTip, 1),
    Bool("ShowTimeInGMT", &S::ShowTimeInGMT, 0),
    Bool("DontAddDisabled", &S::DontAddDisabled, 1).Json(7, "include_disabled", JsonForm::IsOff),
    Bool("AddExportHeaderLine", &S::AddExportHeaderLine, 0),
    Bool("UseAutoStopTime", &S::UseAutoStopTime, 1).Advanced(),
    Bool("UseAutoStopSize", &S::UseAutoStopSize, 0).Advanced(),
    Bool("UseAutoStopStable", &S::UseAutoStopStable, 0).Advanced(),
    Int("AutoStopTime", &S::AutoStopTime, 20)
        .Advanced(&S::UseAutoStopTime)
        .Json(3, "auto_stop.time_s", JsonForm::Seconds),
    Int("AutoStopSize", &S::AutoStopSize, 5000)
        .Advanced(&S::UseAutoStopSize)
        .Json(4, "auto_stop.size_bytes", JsonForm::SizeBytes),
    Int("FtpMode", &S::FtpMode, 2).Advanced().Json(6, "ftp_passive", JsonForm::IsPassiveFtp),
    Int("ConnectTimeout", &S::ConnectTimeout, 20)
        .Advanced()
        .Json(1, "connect_timeout_s", JsonForm::Seconds),
    Int("AutoStopStableUnit", &S::AutoStopStableUnit, 1).Advanced(&S::UseAutoStopStable),
    Int("AutoStopSizeUnit", &S::AutoStopSizeUnit, 2).Advanced(&S::UseAutoStopSize),
    Bool("TryAgainOnFail", &S::TryAgainOnFail, 0).Advanced(),
    Int("NumOfRetries", &S::NumOfRetries, 3)
        .Advanced(&S::TryAgainOnFail)
        .Json(2, "retries", JsonForm::RetryLimit),
    Bool("AutoReport", &S::AutoReport, 0).Advanced(),
    Bool("AutoReportOpenInViewer", &S::AutoReportOpenInViewer, 1).Advanced(&S::AutoReport),
    Int("AutoReportType", &S::AutoReportType, 1).Advanced(&S::AutoReport),
    Text("AutoReportFilename", &S::AutoReportFilename, "report.txt", kMaxReportFileName + 1)
        .Advanced(&S::AutoReport),
    Decimal("AutoStopStableValue", &S::AutoStopStableValue, 0.5, 1)
        .Advanced(&S::UseAutoStopStable)
        .Json(5, "auto_stop.stable", JsonForm::StableRule),
    Bool("ShowSpeedGraph", &S::ShowSpeedGraph, 1),
    Int("SpeedGraphHeight", &S::SpeedGraphHeight, 200),
    Int("DefaultMinSpeed", &S::DefaultMinSpeed, 0)
        .WrittenWhenSet()
        .PlainNumber(INT32_MIN, INT32_MAX)
        .Json(8, "default_min_speed_bytes_per_s", JsonForm::KBytesPerSecond),
    Int("DefaultRepeat", &S::DefaultRepeat, 1).Advanced().WrittenWhenSet(),
    // "" keeps no history; a name without a backslash lies beside the configuration.
    Text("HistoryFile", &S::HistoryFile, "", kMaxReportFileName + 1).WrittenWhenSet(),
    // Written only when other than a single connection, or while the comparison is on.
    Int("DefaultConnections", &S::DefaultConnections, 1).WrittenWhenSet().Advanced(),
    Bool("DefaultCompareConnections", &S::DefaultCompareConnections, 0).WrittenWhenSet(),
    // Watching links: a run every so many minutes, and the alert rules (0 turns one off).
    Int("RunEveryMinutes", &S::RunEveryMinutes, 0).WrittenWhenSet().PlainNumber(0, 1440),
    Int("AlertDropPercent", &S::AlertDropPercent, 30).WrittenWhenSet().PlainNumber(0, 100),
    Int("AlertRecentRuns", &S::AlertRecentRuns, 2).WrittenWhenSet().PlainNumber(0, kMaxAlertRuns),
    Int("AlertBaselineRuns", &S::AlertBaselineRuns, 10)
        .WrittenWhenSet()
        .PlainNumber(0, kMaxAlertRuns),
    Int("AlertFailuresInRow", &S::AlertFailuresInRow, 3)
        .WrittenWhenSet()
        .PlainNumber(0, kMaxAlertRuns),
    Int("AlertSlowInRow", &S::AlertSlowInRow, 3).WrittenWhenSet().PlainNumber(0, kMaxAlertRuns),
    // Latency probes for items without LatencyProbe=1 of their own.
    Bool("DefaultLatencyProbe", &S::DefaultLatencyProbe, 0).Advanced().WrittenWhenSet(),
};

}  // namespace

OptionTable Options() { return {kOptions, sizeof kOptions / sizeof kOptions[0]}; }

const OptionSpec* FindOption(const char* key) {
    for (const OptionSpec& row : kOptions) {
        if (std::strcmp(row.key, key) == 0) return &row;
    }
    return nullptr;
}

bool OptionSwitchedOn(const AppSettings& settings, const OptionSpec& option) {
    return option.enabledBy == nullptr || settings.*option.enabledBy != 0;
}

}  // namespace vm
