#include "core/report/RunReport.h"

#include "core/report/JsonExportSwitch.h"
#include "core/report/ResultsPageSwitch.h"
#include "core/base/PathRules.h"

namespace vm {

void FinishRunReport(const ExportRequest& exportRequest, const AppSettings& settings,
                     RunReportHost& host) {
    ExportOutcome outcome;
    outcome.historyWritten = host.AppendHistory();
    if (exportRequest.type != 0) {
        const std::string path = ResolveReportPath(host.ProgramFolder(), exportRequest.fileName);
        if (exportRequest.type == kJsonExportType) {
            outcome.reportWritten = host.WriteJsonReport(path);
        } else if (exportRequest.type == kChartExportType) {
            outcome.reportWritten = host.WriteResultsPage(path, outcome.historyWritten);
        } else {
            outcome.reportWritten = host.WriteReport(exportRequest.type, path);
        }
        host.Quit(outcome);
        return;
    }
    if (!settings.AutoReport) return;
    const std::string path = ResolveReportPath(host.ProgramFolder(), settings.AutoReportFilename);
    host.WriteReport(settings.AutoReportType, path);
    if (settings.AutoReportOpenInViewer) host.OpenWithShell(path);
}

}  // namespace vm
