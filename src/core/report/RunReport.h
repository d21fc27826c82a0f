#pragma once
#include <cstdint>
#include <string>

#include "core/options/AppSettings.h"

namespace vm {

// The export asked for on the command line; type 0 = none, else a report type,
// kJsonExportType, kChartExportType or kMetricsOnlyExportType.
struct ExportRequest {
    int32_t type = 0;
    std::string fileName;
    std::string metricsFile;  // "/sprom": empty = none
    std::string pushUrl;      // "/push": empty = none
    bool strict = false;      // "/strict"
};

// What FinishRunReport did with the export.
enum class ExportWrite { NoExport, Written, NotWritten };

// What the end of a run needs from the window that hosts it.
class RunReportHost {
public:
    virtual ~RunReportHost() = default;
    // Adds the run to the run history when one is kept (true when none is); on failure
    // the host has told the user.
    virtual bool AppendHistory() = 0;
    // Writes the report of all reportable items; on failure the host has told the user.
    virtual bool WriteReport(int32_t type, const std::string& path) = 0;
    // Writes the JSON results of the run; on failure the host has told the user.
    virtual bool WriteJsonReport(const std::string& path) = 0;
    // Writes the results page (the run and the history's trends); on failure the host
    // has told the user.
    virtual bool WriteResultsPage(const std::string& path, bool historyAppended) = 0;
    virtual void OpenWithShell(const std::string& path) = 0;
    virtual void Quit(int exitCode) = 0;
    virtual std::string ProgramFolder() = 0;
};

// The report at the end of a run: the export file, or the automatic report when there is
// no export. The caller ends an export run (its exit code tells a calling script whether
// the file was written).
// historyAppended: whether this run reached the run history (the results page then shows
// it among the history's trends; else on top of the history as it was).
ExportWrite FinishRunReport(const ExportRequest& exportRequest, const AppSettings& settings,
                            RunReportHost& host, bool historyAppended = true);

}  // namespace vm
