#pragma once
#include <cstdint>

namespace vm {

// The results page with charts is an export of its own like the JSON results: a switch on
// the command line only; the export request carries this number in place of a report type.
constexpr int32_t kChartExportType = 9;
constexpr const char kChartExportSwitch[] = "/schart";

}  // namespace vm
