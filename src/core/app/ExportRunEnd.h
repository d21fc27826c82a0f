#pragma once
#include <string>
#include <vector>

#include "core/app/ExportOutcome.h"
#include "core/report/RunReport.h"

namespace vm {

// What the end of an export run needs beyond the report.
class ExportRunHost : public RunReportHost {
public:
    // Writes the run's metrics to the file, whole or not at all; false when it could not.
    virtual bool WriteMetricsFile(const std::string& path) = 0;
    // Sends the run's metrics to the Pushgateway at url; false when it did not take them.
    virtual bool PushMetrics(const std::string& url) = 0;
    // Whether the end of the desktop session cut the run short (its report then holds the
    // items as they stand).
    virtual bool RunInterrupted() { return false; }
    // Whether an alert rule fires after this run (judged when the history was added to).
    virtual bool AlertFiring() { return false; }
};

// The last step of a run: the run history, the report (FinishRunReport), then for an
// export run the metrics file and the push, each tried whatever the others did, and the end
// of the program with the exit code that says what happened.
void FinishRun(const ExportRequest& request, const AppSettings& settings,
               const std::vector<DownloadItem>& items, ExportRunHost& host);

}  // namespace vm
