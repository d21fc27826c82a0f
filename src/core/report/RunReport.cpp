#include "core/report/RunReport.h"

#include "core/report/JsonExportSwitch.h"
#include "core/base/PathRules.h"

namespace vm {

void FinishRunReport(const ExportRequest& exportRequest, const AppSettings& settings,
                     RunReportHost& host) {
    if (exportRequest.type != 0) {
        const std::string path = ResolveReportPath(host.ProgramFolder(), exportRequest.fileName);
        const bool written = exportRequest.type == kJsonExportType
                                 ? host.WriteJsonReport(path)
                                 : host.WriteReport(exportRequest.type, path);
        host.Quit(written ? 0 : 1);
        return;
    }
    if (!settings.AutoReport) return;
    const std::string path = ResolveReportPath(host.ProgramFolder(), settings.AutoReportFilename);
    host.WriteReport(settings.AutoReportType, path);
    if (settings.AutoReportOpenInViewer) host.OpenWithShell(path);
}

}  // namespace vm
