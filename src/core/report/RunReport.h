#pragma once
#include <cstdint>
#include <string>

#include "core/options/AppSettings.h"

namespace vm {

// The export asked for on the command line; type 0 = none, else a report type or
// kJsonExportType.
struct ExportRequest {
    int32_t type = 0;
    std::string fileName;
};

// What the end of a run needs from the window that hosts it.
class RunReportHost {
public:
    virtual ~RunReportHost() = default;
    // Writes the report of all reportable items; on failure the host has told the user.
    virtual bool WriteReport(int32_t type, const std::string& path) = 0;
    // Writes the JSON results of the run; on failure the host has told the user.
    virtual bool WriteJsonReport(const std::string& path) = 0;
    virtual void OpenWithShell(const std::string& path) = 0;
    virtual void Quit(int exitCode) = 0;
    virtual std::string ProgramFolder() = 0;
};

// The last step of a run: the export file and the end of the program, or the automatic
// report. An export that could not be written ends the program with exit code 1, so a
// calling script can tell.
void FinishRunReport(const ExportRequest& exportRequest, const AppSettings& settings,
                     RunReportHost& host);

}  // namespace vm
