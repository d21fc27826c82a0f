#pragma once
#include <cstdint>
#include <string>

#include "core/engine/RunMeasurements.h"
#include "core/list/DownloadListView.h"  // with the option record
#include "core/platform/FileSystem.h"
#include "core/report/AlertRules.h"
#include "core/report/JsonReport.h"

namespace vm {

// What the document says beyond the list: the alerts judged on the history (nullptr: none
// judged) and the run's warnings (UTF-8).
struct JsonResultsExtras {
    const std::vector<Alert>* alerts = nullptr;
    std::vector<RunWarning> warnings;
};

// The JSON results of a run (the /sjson export), with the system code page's texts in
// UTF-8 and the program's version from its resource. False with the error code when the
// file cannot be written.
bool WriteJsonResultsFile(DownloadListView& list, const AppSettings& settings,
                          const RunMeasurements* measurements, FileSystem& files,
                          const std::string& path, uint32_t* error,
                          const JsonResultsExtras& extras = JsonResultsExtras());

// The same document on one line, for the run history: within the history's line bound
// (samples left out when they would pass it), "" when the run does not fit at all.
std::string CompactJsonResults(DownloadListView& list, const AppSettings& settings,
                               const RunMeasurements* measurements,
                               const JsonResultsExtras& extras = JsonResultsExtras());

}  // namespace vm
