#include "core/config/SettingsExchange.h"

#include <cstdio>

#include "core/options/ConfigKeys.h"

namespace vm {

void ExchangeAppSettings(AppSettings& s, ProfileStore& store) {
    namespace k = config_key;
    store.ExchangeBool(k::kShowGridLines, s.ShowGridLines, 0);
    store.ExchangeInt(k::kSaveFilterIndex, s.SaveFilterIndex, 0);
    store.ExchangeBool(k::kShowInfoTip, s.ShowInfoTip, 1);
    store.ExchangeBool(k::kShowTimeInGmt, s.ShowTimeInGMT, 0);
    store.ExchangeBool(k::kDontAddDisabled, s.DontAddDisabled, 1);
    store.ExchangeBool(k::kAddExportHeaderLine, s.AddExportHeaderLine, 0);
    store.ExchangeBool(k::kUseAutoStopTime, s.UseAutoStopTime, 1);
    store.ExchangeBool(k::kUseAutoStopSize, s.UseAutoStopSize, 0);
    store.ExchangeBool(k::kUseAutoStopStable, s.UseAutoStopStable, 0);
    store.ExchangeInt(k::kAutoStopTime, s.AutoStopTime, 20);
    store.ExchangeInt(k::kAutoStopSize, s.AutoStopSize, 5000);
    store.ExchangeInt(k::kFtpMode, s.FtpMode, 2);
    store.ExchangeInt(k::kConnectTimeout, s.ConnectTimeout, 20);
    store.ExchangeInt(k::kAutoStopStableUnit, s.AutoStopStableUnit, 1);
    store.ExchangeInt(k::kAutoStopSizeUnit, s.AutoStopSizeUnit, 2);
    store.ExchangeBool(k::kTryAgainOnFail, s.TryAgainOnFail, 0);
    store.ExchangeInt(k::kNumOfRetries, s.NumOfRetries, 3);
    store.ExchangeBool(k::kAutoReport, s.AutoReport, 0);
    store.ExchangeBool(k::kAutoReportOpenInViewer, s.AutoReportOpenInViewer, 1);
    store.ExchangeInt(k::kAutoReportType, s.AutoReportType, 1);
    store.ExchangeString(k::kAutoReportFilename, s.AutoReportFilename, "report.txt",
                         kReportFileNameCapacity);
    store.ExchangeDouble(k::kAutoStopStableValue, 1, s.AutoStopStableValue, 0.5);
    store.ExchangeBool(k::kShowSpeedGraph, s.ShowSpeedGraph, 1);
    store.ExchangeInt(k::kSpeedGraphHeight, s.SpeedGraphHeight, 200);
}

std::string DownloadSectionName(int index) {
    char name[32];
    std::snprintf(name, sizeof name, kDownloadSectionFormat, index);
    return name;
}

void ExchangeDownloadItem(DownloadItem& item, ProfileStore& store, int index) {
    store.SetSection(DownloadSectionName(index));
    store.ExchangeString(config_key::kUrl, item.url, "", kUrlValueCapacity);
    store.ExchangeString(config_key::kDownloadName, item.name, "", kNameValueCapacity);
    store.ExchangeBool(config_key::kDisabled, item.disabled, 0);
}

}  // namespace vm
