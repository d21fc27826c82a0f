#pragma once
#include <cstdint>
#include <string>

namespace vm {

// The speed unit of the graph: the list's two speed columns.
enum class ChartUnit : int32_t { KBps = 0, Mbps = 1 };

// A speed in bytes per second in the unit, as the list computes its columns.
double ToChartUnit(double bytesPerSecond, ChartUnit unit);

// Decimals the list shows of the unit's column.
int ChartUnitDecimals(ChartUnit unit);

// The unit's text as the list shows it (translated).
const char* ChartUnitText(ChartUnit unit);

// The unit that follows the list: Mbps while the list is sorted by Speed (Bits), else KB/s.
ChartUnit UnitForSortCode(int32_t sortCode);

// "2,048.0 KB/Sec": a speed in the unit with its decimals and text.
std::string FormatChartSpeed(double bytesPerSecond, ChartUnit unit);

}  // namespace vm
