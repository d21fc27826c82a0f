#pragma once
#include <cstdint>

namespace vm {

// The JSON results are an export of their own, beside the seven report types: a switch
// on the command line only, with no Save dialog filter and no AutoReportType value. The
// export request carries this number in place of a report type.
constexpr int32_t kJsonExportType = 8;
constexpr const char kJsonExportSwitch[] = "/sjson";

}  // namespace vm
