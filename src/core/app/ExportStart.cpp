#include "core/app/ExportStart.h"

#include "core/app/StartupOptions.h"
#include "core/report/MonitorSwitches.h"

namespace vm {

std::vector<std::string> ExportTargetNames(const ExportRequest& request) {
    std::vector<std::string> names;
    if (request.type != kMetricsOnlyExportType) names.push_back(request.fileName);
    if (!request.metricsFile.empty()) names.push_back(request.metricsFile);
    return names;
}

ExportStartRefusal JudgeExportStart(const ExportStartFacts& facts) {
    if (facts.configUnreadable) return ExportStartRefusal::ConfigUnreadable;
    if (facts.switchWithoutValue) return ExportStartRefusal::SwitchWithoutValue;
    switch (facts.target) {
        case ExportTargetVerdict::Accepted:
            break;
        case ExportTargetVerdict::TooLong:
            return ExportStartRefusal::TargetTooLong;
        case ExportTargetVerdict::InvalidName:
            return ExportStartRefusal::TargetInvalidName;
        case ExportTargetVerdict::ProgramFile:
            return ExportStartRefusal::TargetProgramFile;
    }
    if (facts.pushUrlLength > kMaxPushUrlLength) return ExportStartRefusal::PushUrlTooLong;
    return ExportStartRefusal::None;
}

ExitCode ExitCodeOf(ExportStartRefusal refusal) {
    switch (refusal) {
        case ExportStartRefusal::None:
            return ExitCode::Success;
        case ExportStartRefusal::ConfigUnreadable:
            return ExitCode::ConfigUnreadable;
        case ExportStartRefusal::SwitchWithoutValue:
            return ExitCode::NoExportToDo;
        case ExportStartRefusal::PushUrlTooLong:
            return ExitCode::PushFailed;
        default:
            break;
    }
    return ExitCode::ReportNotWritten;
}

}  // namespace vm
