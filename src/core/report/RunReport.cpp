#include "core/report/RunReport.h"

#include "core/base/PathRules.h"
#include "core/report/JsonExportSwitch.h"
#include "core/report/MonitorSwitches.h"
#include "core/report/ResultsPageSwitch.h"

namespace vm {

ExportWrite FinishRunReport(const ExportRequest& exportRequest, const AppSettings& settings,
                            RunReportHost& host, bool historyAppended) {
    if (exportRequest.type == kMetricsOnlyExportType) return ExportWrite::Written;
    if (exportRequest.type != 0) {
        const std::string path = ResolveReportPath(host.ProgramFolder(), exportRequest.fileName);
        bool written = false;
        if (exportRequest.type == kJsonExportType) {
            written = host.WriteJsonReport(path);
        } else if (exportRequest.type == kChartExportType) {
            written = host.WriteResultsPage(path, historyAppended);
        } else {
            written = host.WriteReport(exportRequest.type, path);
        }
        return written ? ExportWrite::Written : ExportWrite::NotWritten;
    }
    if (!settings.AutoReport) return ExportWrite::NoExport;
    const std::string path = ResolveReportPath(host.ProgramFolder(), settings.AutoReportFilename);
    host.WriteReport(settings.AutoReportType, path);
    if (settings.AutoReportOpenInViewer) host.OpenWithShell(path);
    return ExportWrite::NoExport;
}

}  // namespace vm
