#pragma once
#include <vector>

#include "core/app/ExitCode.h"
#include "core/engine/DownloadItem.h"

namespace vm {

// What went wrong in an export run, one flag per exit code; ChooseExitCode picks the code.
struct ExportOutcome {
    bool configUnreadable = false;
    bool noExportToDo = false;
    bool reportNotWritten = false;  // the export file or the metrics file
    bool runInterrupted = false;
    bool historyNotWritten = false;
    bool pushFailed = false;
    bool itemFailed = false;   // counts only under /strict; also when no item was tested
    bool itemSlow = false;     // counts only under /strict
    bool alertFiring = false;  // counts only under /strict
};

// The exit code of an export run: the first that applies in the order ExitCode.h gives;
// failed and slow items only when strict, else Success.
ExitCode ChooseExitCode(const ExportOutcome& outcome, bool strict);

// Sets itemFailed when an enabled item did not finish, or when there was none to test (a
// monitor of an emptied list must not pass), and itemSlow when one finished below its
// minimum speed. Deleted and disabled items do not count.
void JudgeRunItems(const std::vector<DownloadItem>& items, ExportOutcome& outcome);

}  // namespace vm
