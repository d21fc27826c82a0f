#pragma once

namespace vm {

// What an export run tells its caller through the process's exit code. The README's
// table lists them; when several apply, the first in this order wins:
// ConfigUnreadable, NoExportToDo, ReportNotWritten, RunInterrupted, HistoryNotWritten,
// PushFailed, ItemFailed, ItemSlow, AlertFiring.
enum class ExitCode : int {
    Success = 0,
    ReportNotWritten = 1,   // the export file could not be written, or its name was refused
    ConfigUnreadable = 2,   // the configuration could not be read: nothing was run
    NoExportToDo = 3,       // a hidden start without an export to do (missing name, bad switch)
    RunInterrupted = 4,     // the desktop session ended the run; the report holds what was done
    HistoryNotWritten = 5,  // the run history file could not be appended to
    PushFailed = 6,         // the Pushgateway did not take the metrics (or its address was refused)
    WindowNotCreated = 7,   // the program could not make its window (no display): nothing ran
    ItemFailed = 10,        // /strict: an enabled item did not finish
    ItemSlow = 11,          // /strict: an item finished below its minimum speed
    AlertFiring = 12,       // /strict: an alert rule fires for a URL (judged on the history)
};

}  // namespace vm
