#pragma once
#include <cstdint>
#include <string>

#include "core/options/AppSettings.h"

namespace vm {

// The export asked for on the command line; type 0 = none, else a report type,
// kJsonExportType or kChartExportType.
struct ExportRequest {
    int32_t type = 0;
    std::string fileName;
};

// What became of an export run's files; the program's exit code follows from it.
struct ExportOutcome {
    bool reportWritten = true;
    bool historyWritten = true;  // also when no history is kept
};

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
    virtual void Quit(const ExportOutcome& outcome) = 0;
    virtual std::string ProgramFolder() = 0;
};

// The last step of a run: the run history, then the export file and the end of the
// program, or the automatic report. A history that cannot be written does not keep the
// export from being written (the results page then shows this run alone on top of the
// history as it was).
void FinishRunReport(const ExportRequest& exportRequest, const AppSettings& settings,
                     RunReportHost& host);

}  // namespace vm
