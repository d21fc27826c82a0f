#include "core/chart/ChartUnit.h"

#include "core/chart/AxisTicks.h"
#include "core/lang/StringTable.h"
#include "core/list/ItemCells.h"
#include "core/list/SortCode.h"

namespace vm {

double ToChartUnit(double bytesPerSecond, ChartUnit unit) {
    // The same arithmetic as the item's two speeds: KB of 1024 bytes, Mbit of 10^6 bits.
    return unit == ChartUnit::Mbps ? bytesPerSecond / 1000 * 8 / 1000 : bytesPerSecond / 1024;
}

int ChartUnitDecimals(ChartUnit unit) { return unit == ChartUnit::Mbps ? 2 : 1; }

const char* ChartUnitText(ChartUnit unit) {
    return GetString(unit == ChartUnit::Mbps ? IDS_UNIT_MBPS : IDS_UNIT_KB_PER_SEC);
}

ChartUnit UnitForSortCode(int32_t sortCode) {
    return SortColumn(sortCode) == kColumnSpeedBits ? ChartUnit::Mbps : ChartUnit::KBps;
}

std::string FormatChartSpeed(double bytesPerSecond, ChartUnit unit) {
    return FormatGroupedNumber(ToChartUnit(bytesPerSecond, unit), ChartUnitDecimals(unit)) + " " +
           ChartUnitText(unit);
}

}  // namespace vm
