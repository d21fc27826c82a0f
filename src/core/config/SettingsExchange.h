#pragma once
#include <cstddef>
#include <string>

#include "core/config/ProfileStore.h"
#include "core/engine/DownloadItem.h"
#include "core/options/AppSettings.h"

namespace vm {

// Capacities the values are read with (text kept: capacity - 1). URL and name are read
// whole, whatever their length, so a save writes back what the file held.
constexpr size_t kUrlValueCapacity = static_cast<size_t>(-1);
constexpr size_t kNameValueCapacity = static_cast<size_t>(-1);

// Passes every option of the option table through the store, in the file's order, with
// its default (an option written only when set is removed from the file while it is 0).
// Used for the file and for the command-line override.
void ExchangeAppSettings(AppSettings& settings, ProfileStore& store);

// "Download" + index: URL, DownloadName and Disabled, and MinSpeed, Connections,
// CompareConnections and Repeat when set.
void ExchangeDownloadItem(DownloadItem& item, ProfileStore& store, int index);

std::string DownloadSectionName(int index);

}  // namespace vm
