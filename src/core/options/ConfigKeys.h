#pragma once

namespace vm {

// The configuration file's keys, as written. Option keys double as command-line switches
// ("/" + key).
namespace config_key {
constexpr const char kShowGridLines[] = "ShowGridLines";
constexpr const char kSaveFilterIndex[] = "SaveFilterIndex";
constexpr const char kShowInfoTip[] = "ShowInfoTip";
constexpr const char kShowTimeInGmt[] = "ShowTimeInGMT";
constexpr const char kDontAddDisabled[] = "DontAddDisabled";
constexpr const char kAddExportHeaderLine[] = "AddExportHeaderLine";
constexpr const char kUseAutoStopTime[] = "UseAutoStopTime";
constexpr const char kUseAutoStopSize[] = "UseAutoStopSize";
constexpr const char kUseAutoStopStable[] = "UseAutoStopStable";
constexpr const char kAutoStopTime[] = "AutoStopTime";
constexpr const char kAutoStopSize[] = "AutoStopSize";
constexpr const char kFtpMode[] = "FtpMode";
constexpr const char kConnectTimeout[] = "ConnectTimeout";
constexpr const char kAutoStopStableUnit[] = "AutoStopStableUnit";
constexpr const char kAutoStopSizeUnit[] = "AutoStopSizeUnit";
constexpr const char kTryAgainOnFail[] = "TryAgainOnFail";
constexpr const char kNumOfRetries[] = "NumOfRetries";
constexpr const char kAutoReport[] = "AutoReport";
constexpr const char kAutoReportOpenInViewer[] = "AutoReportOpenInViewer";
constexpr const char kAutoReportType[] = "AutoReportType";
constexpr const char kAutoReportFilename[] = "AutoReportFilename";
constexpr const char kAutoStopStableValue[] = "AutoStopStableValue";
constexpr const char kWinPos[] = "WinPos";
constexpr const char kColumns[] = "Columns";
constexpr const char kSort[] = "Sort";
constexpr const char kNumOfDownloads[] = "NumOfDownloads";
constexpr const char kShowSpeedGraph[] = "ShowSpeedGraph";
constexpr const char kSpeedGraphHeight[] = "SpeedGraphHeight";

constexpr const char kUrl[] = "URL";
constexpr const char kDownloadName[] = "DownloadName";
constexpr const char kDisabled[] = "Disabled";
}  // namespace config_key

// "Download%d": one section per item, numbered from 0.
constexpr const char kDownloadSectionFormat[] = "Download%d";

}  // namespace vm
