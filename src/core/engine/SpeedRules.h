#pragma once
#include <cstdint>

#include "core/engine/DownloadItem.h"
#include "core/options/AppSettings.h"

namespace vm {

constexpr int32_t kStableUnitPercent = 1;
constexpr int32_t kStableUnitKBps = 2;
constexpr int32_t kSizeUnitKB = 2;
constexpr int32_t kSizeUnitMB = 3;

// Pushes the item's current average speed into its history (newest first).
void ShiftHistory(DownloadItem& item);

// The largest deviation of the four older samples from the newest, in percent of the
// newest or in KB/s; false while the history is not full or for an unknown unit.
bool StableDeviation(const DownloadItem& item, int32_t unit, double* value);

// The size limit in bytes, 64-bit so that limits of 4 GiB and more work; 0 (stop at once)
// for an unknown unit or a negative size.
uint64_t AutoStopSizeBytes(const AppSettings& settings);

// Retries of a failed attempt: 0 unless TryAgainOnFail; a negative count is 0, not the
// four billion an unsigned reading makes of it (a run that would never end).
uint32_t RetryLimit(const AppSettings& settings);

// A number of seconds as milliseconds, 64-bit; negative counts as 0.
uint64_t SecondsToMs(int32_t seconds);

}  // namespace vm
