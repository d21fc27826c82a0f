#pragma once
#include <string>

#include "core/chart/ChartUnit.h"
#include "core/engine/DownloadItem.h"
#include "core/engine/RunMeasurements.h"

namespace vm {

// How far a finished item's speed can be trusted, in words: "confidence high, 5 repeats,
// median 2,048.0 KB/Sec ±0.4%" for repeated measurements, "confidence high, steady
// 1,024.0 KB/Sec ±0.8%" for one with a steady speed (the spread of its steady part's
// intervals), "confidence low" for one without; "" for an item that did not finish.
std::string ConfidenceFigures(const DownloadItem& item, const ItemMeasurements* measurements,
                              ChartUnit unit);

}  // namespace vm
