#pragma once
#include <cstdint>

#include "core/engine/DownloadItem.h"

namespace vm {

// What the list and the reports know about one column of the download list.
struct ColumnSpec {
    uint32_t titleId;       // translated for the list and most reports, built-in for XML
    int defaultWidth;       // pixels; also the "Default" width of the column settings
    bool nowrap;            // HTML cells get the nowrap attribute
    int tabularWidth;       // characters per field in the tabular text report
    const char* htmlWidth;  // HTML width attribute text; empty: none
};

// Indexed by DownloadColumn.
const ColumnSpec& DownloadColumnSpec(int column);

}  // namespace vm
