#pragma once
#include <cstdint>
#include <string>

#include "core/engine/RunMeasurements.h"
#include "core/list/DownloadListView.h"  // with the option record
#include "core/platform/FileSystem.h"
#include "core/report/AlertRules.h"

namespace vm {

// What the document says beyond the list: the alerts judged on the history (nullptr: none
// judged) and the run's warnings (UTF-8).
struct JsonResultsExtras {
    const std::vector<Alert>* alerts = nullptr;
    std::vector<std::string> warnings;
};

// The JSON results of a run (the /sjson export), with the system code page's texts in
// UTF-8 and the program's version from its resource. False with the error code when the
// file cannot be written.
bool WriteJsonResultsFile(DownloadListView& list, const AppSettings& settings,
                          const RunMeasurements* measurements, FileSystem& files,
                          const std::string& path, uint32_t* error,
                          const JsonResultsExtras& extras = JsonResultsExtras());

// The same document on one line, for the run history.
std::string CompactJsonResults(DownloadListView& list, const AppSettings& settings,
                               const RunMeasurements* measurements,
                               const JsonResultsExtras& extras = JsonResultsExtras());

}  // namespace vm
