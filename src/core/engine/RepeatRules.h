#pragma once
#include <cstdint>
#include <vector>

#include "core/engine/DownloadItem.h"
#include "core/engine/RunMeasurements.h"
#include "core/engine/SpeedSpread.h"
#include "core/options/AppSettings.h"

namespace vm {

// Measurements of one item in a row: Repeat of the item, else DefaultRepeat; 1 is once.
constexpr int32_t kMaxRepeat = 100;

// The item's repeat count within 1..kMaxRepeat: its own Repeat when set, else DefaultRepeat.
int32_t EffectiveRepeat(const DownloadItem& item, const AppSettings& settings);

// The item's latest attempt as one measurement, with its steady speed from the samples.
RepeatResult RepeatOf(const DownloadItem& item, const ItemMeasurements* measurements);

// The speed a measurement counts with: steady where known, else the average.
double RepeatSpeed(const RepeatResult& repeat);

// The spread of the finished measurements' speeds (failed ones have none to speak of).
SpeedStats RepeatSpeedStats(const std::vector<RepeatResult>& repeats);

// Puts the outcome of several measurements into the item the list shows: the cells of the
// finished measurement whose speed is the median (the lower middle one of an even count),
// and "Finished" only when every measurement finished, else the first failure's status
// with its error. Nothing changes without measurements.
void ShowRepeatOutcome(DownloadItem& item, const std::vector<RepeatResult>& repeats);

// The confidence of a finished item and the spread it was judged on: over the
// measurements' speeds when there are two or more, else over the intervals of its steady
// part, outliers included (no steady speed: low). False for an item that did not finish.
bool ItemConfidence(const DownloadItem& item, const ItemMeasurements* measurements,
                    SpeedStats* stats, Confidence* confidence);

}  // namespace vm
