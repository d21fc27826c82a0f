#pragma once
#include <cstddef>
#include <string>

#include "core/options/AppSettings.h"
#include "core/config/ProfileStore.h"
#include "core/engine/DownloadItem.h"

namespace vm {

// Capacities the values are read with (text kept: capacity - 1). URL and name are read
// whole, whatever their length, so a save writes back what the file held.
constexpr size_t kUrlValueCapacity = static_cast<size_t>(-1);
constexpr size_t kNameValueCapacity = static_cast<size_t>(-1);
constexpr size_t kReportFileNameCapacity = kMaxReportFileName + 1;

// Passes the 22 options of section General through the store, in the file's order, with
// their defaults. Used for the file and for the command-line override.
void ExchangeAppSettings(AppSettings& settings, ProfileStore& store);

// "Download" + index: URL, DownloadName and Disabled.
void ExchangeDownloadItem(DownloadItem& item, ProfileStore& store, int index);

std::string DownloadSectionName(int index);

}  // namespace vm
