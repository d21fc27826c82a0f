#include "core/app/ExportOutcome.h"

namespace vm {

ExitCode ChooseExitCode(const ExportOutcome& outcome, bool strict) {
    const struct {
        bool applies;
        ExitCode code;
    } order[] = {
        {outcome.configUnreadable, ExitCode::ConfigUnreadable},
        {outcome.noExportToDo, ExitCode::NoExportToDo},
        {outcome.reportNotWritten, ExitCode::ReportNotWritten},
        {outcome.runInterrupted, ExitCode::RunInterrupted},
        {outcome.historyNotWritten, ExitCode::HistoryNotWritten},
        {outcome.pushFailed, ExitCode::PushFailed},
        {strict && outcome.itemFailed, ExitCode::ItemFailed},
        {strict && outcome.itemSlow, ExitCode::ItemSlow},
        {strict && outcome.alertFiring, ExitCode::AlertFiring},
    };
    for (const auto& entry : order) {
        if (entry.applies) return entry.code;
    }
    return ExitCode::Success;
}

void JudgeRunItems(const std::vector<DownloadItem>& items, ExportOutcome& outcome) {
    if (NoItemToTest(items)) outcome.itemFailed = true;
    for (const DownloadItem& item : items) {
        if (item.deleted != 0 || item.disabled != 0) continue;
        if (item.status != DownloadStatus::Finished) outcome.itemFailed = true;
        if (item.belowMinSpeed) outcome.itemSlow = true;
    }
}

}  // namespace vm
