#include "core/app/ExportExitCode.h"

namespace vm {

ExitCode ExportExitCode(const ExportOutcome& outcome) {
    if (!outcome.reportWritten) return ExitCode::ReportNotWritten;
    if (!outcome.historyWritten) return ExitCode::HistoryNotWritten;
    return ExitCode::Success;
}

}  // namespace vm
