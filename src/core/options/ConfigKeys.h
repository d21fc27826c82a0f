#pragma once

namespace vm {

// The configuration file's keys, as written, other than the options (their keys are in the
// option table, core/options/OptionTable.cpp).
namespace config_key {
constexpr const char kWinPos[] = "WinPos";
constexpr const char kColumns[] = "Columns";
constexpr const char kSort[] = "Sort";
constexpr const char kNumOfDownloads[] = "NumOfDownloads";

constexpr const char kUrl[] = "URL";
constexpr const char kDownloadName[] = "DownloadName";
constexpr const char kDisabled[] = "Disabled";
constexpr const char kMinSpeed[] = "MinSpeed";
constexpr const char kConnections[] = "Connections";
constexpr const char kCompareConnections[] = "CompareConnections";
constexpr const char kRepeat[] = "Repeat";
constexpr const char kLatencyProbe[] = "LatencyProbe";
}  // namespace config_key

// "Download%d": one section per item, numbered from 0.
constexpr const char kDownloadSectionFormat[] = "Download%d";

}  // namespace vm
