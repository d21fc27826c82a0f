#pragma once
#include <cstdint>

#include "core/engine/DownloadItem.h"
#include "core/engine/RunMeasurements.h"
#include "core/options/AppSettings.h"

namespace vm {

// The minimum speed an item is held to, in KB/s: its own MinSpeed when set, else
// DefaultMinSpeed; 0 when neither is set. A negative value counts as none.
int32_t EffectiveMinSpeed(const DownloadItem& item, const AppSettings& settings);

// The speed an item is judged by, in bytes per second: the median of its measurements
// when it was measured several times, else the steady-state speed of its samples when they
// give one, else the item's average. *steady tells whether it is a steady speed (may be
// null).
double JudgedSpeed(const DownloadItem& item, const ItemMeasurements* measurements,
                   bool* steady = nullptr);

// True when the speed lies below the minimum (KB/s, 1 KB = 1024 bytes); a minimum of 0
// or less never makes an item slow, and a speed exactly at the minimum is not slow.
bool IsBelowMinSpeed(double bytesPerSecond, int32_t minSpeedKBps);

// Judges an item that has just ended and sets its belowMinSpeed: only a finished, enabled
// item that took some time can be slow.
void JudgeItemSpeed(DownloadItem& item, const ItemMeasurements* measurements,
                    const AppSettings& settings);

}  // namespace vm
