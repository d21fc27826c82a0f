#include "core/app/ExportRunEnd.h"

#include "core/base/PathRules.h"

namespace vm {

void FinishRun(const ExportRequest& request, const AppSettings& settings,
               const std::vector<DownloadItem>& items, ExportRunHost& host) {
    // Every completed run goes into the history first, so the results page can show it
    // among the trends; a history that cannot be written keeps no output from being written.
    const bool historyAppended = host.AppendHistory();
    const ExportWrite report = FinishRunReport(request, settings, host, historyAppended);
    if (report == ExportWrite::NoExport) return;
    ExportOutcome outcome;
    outcome.historyNotWritten = !historyAppended;
    outcome.reportNotWritten = report == ExportWrite::NotWritten;
    outcome.runInterrupted = host.RunInterrupted();
    if (!request.metricsFile.empty()) {
        const std::string path = ResolveReportPath(host.ProgramFolder(), request.metricsFile);
        if (!host.WriteMetricsFile(path)) outcome.reportNotWritten = true;
    }
    if (!request.pushUrl.empty() && !host.PushMetrics(request.pushUrl)) outcome.pushFailed = true;
    JudgeRunItems(items, outcome);
    outcome.alertFiring = host.AlertFiring();
    host.Quit(static_cast<int>(ChooseExitCode(outcome, request.strict)));
}

}  // namespace vm
