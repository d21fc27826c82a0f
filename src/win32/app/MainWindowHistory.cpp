// The run history and the results page with charts.
#include "core/app/ExportTarget.h"
#include "win32/app/MainWindow.h"

#include <cstdio>

#include "core/base/CompanionFileName.h"
#include "core/lang/LanguageFile.h"
#include "core/lang/StringTable.h"
#include "core/report/HistoryReader.h"
#include "core/report/ResultsPage.h"
#include "core/report/RunHistory.h"
#include "win32/app/JsonResultsFile.h"
#include "win32/app/RunHistoryFile.h"
#include "win32/platform/WinTextEncoding.h"
#include "win32/window/ShellUtil.h"

namespace vm {

std::string MainWindow::HistoryPath() const {
    // A watch keeps a history even where none was asked for: its alerts are judged on it.
    const bool watchDefault = watch_.Active() && settings_.HistoryFile.empty();
    return HistoryFilePath(options_.historyFile,
                           watchDefault ? kDefaultHistoryFile : settings_.HistoryFile,
                           vm::ProgramFolder(), session_.path);
}

bool MainWindow::HistoryFailed(uint32_t message, const std::string& path, uint32_t error) {
    // An unattended export has nobody to click the box away: its exit code tells instead.
    if (options_.hidden && exportRequest_.type != 0) return false;
    char text[1024];
    std::snprintf(text, sizeof text, "%s\n%s\n\nError %d: %s", GetString(message), path.c_str(),
                  static_cast<int>(error), SystemErrorText(error).c_str());
    MessageBoxA(Handle(), text, "Error", MB_ICONWARNING);
    return false;
}

bool MainWindow::AppendRunHistory() {
    const RunMeasurements* measurements = run_ != nullptr ? &run_->Measurements() : nullptr;
    // The page of an export without a history still needs the run's document.
    alerts_.clear();
    alertsJudged_ = false;
    lastRunDocument_ = CompactJsonResults(list_, settings_, measurements, RunExtras());
    if (!HistoryKept()) return true;
    const std::string path = HistoryPath();  // "" for a name too long to place
    uint32_t error = ERROR_INVALID_NAME;
    // Lines appended to the configuration, the translation file or the program would damage
    // them: such a history is refused like a report onto them.
    std::string resolved;
    const ExportTargetVerdict verdict =
        path.empty() ? ExportTargetVerdict::Accepted
                     : CheckExportTarget(files_, path, vm::ProgramFolder(), CurrentDirectory(),
                                         OwnFiles(), &resolved);
    bool refused = verdict != ExportTargetVerdict::Accepted;
    if (!refused && lastRunDocument_.empty()) {
        // A line its own reader would skip is not written: the run does not fit the bound.
        refused = true;
        error = ERROR_FILE_TOO_LARGE;
    } else if (refused) {
        error = verdict == ExportTargetVerdict::TooLong       ? ERROR_FILENAME_EXCED_RANGE
                : verdict == ExportTargetVerdict::InvalidName ? ERROR_INVALID_NAME
                                                              : ERROR_ACCESS_DENIED;
    }
    BeginWaitCursor();
    if (!path.empty() && !refused) JudgeAlerts(path);
    const bool appended =
        !path.empty() && !refused && AppendToHistoryFile(path, lastRunDocument_, &error);
    EndWaitCursor();
    return appended || HistoryFailed(IDS_HISTORY_NOT_WRITTEN, path, error);
}

// Files the program itself lives on, and the history, are never a report's target.
bool MainWindow::IsProtectedOutput(const std::string& path) const {
    const std::string kept[] = {ProgramPath(), session_.path,
                                CompanionFileName(ProgramPath(), kLanguageFileSuffix),
                                HistoryPath()};
    for (const std::string& file : kept) {
        if (IsSameFilePath(path, file)) return true;
    }
    return false;
}

bool MainWindow::WriteResultsPageFile(const std::string& path, bool historyAppended) {
    if (path.empty() || IsProtectedOutput(path)) return ReportFailed(ERROR_INVALID_NAME);
    const std::string history = HistoryPath();
    HistoryReader reader;
    uint32_t error = 0;
    BeginWaitCursor();
    bool historyRead = true;
    if (!history.empty() && !ReadHistoryFile(history, reader, &error)) {
        // The page still shows this run: a history that cannot be read is only told.
        HistoryFailed(IDS_HISTORY_NOT_READ, history, error);
        historyRead = false;
    }
    if (!historyAppended || !historyRead || history.empty()) {
        // This run is not among what was read: it goes on top.
        reader.Feed(lastRunDocument_.data(), lastRunDocument_.size());
        reader.Feed("\n", 1);
        reader.Finish();
    }
    // The page is about this run even when another process appended after it.
    RunRecord run;
    JsonValue document;
    const bool parsed = ParseJson(lastRunDocument_.data(), lastRunDocument_.size(), &document) &&
                        ReadRunRecord(document, &run);
    WinTextEncoding encoding;
    ResultsPageSource source;
    source.history = &reader;
    source.run = parsed ? &run : nullptr;
    source.historyKept = !history.empty();
    source.encoding = &encoding;
    const bool written = WriteResultsPage(source, files_, path, &error);
    EndWaitCursor();
    return written || ReportFailed(error);
}

void MainWindow::ShowSpeedHistory() {
    // With the history off there is nothing to show and no page to write: offer to keep one.
    if (options_.historyFile.empty() && settings_.HistoryFile.empty()) {
        if (AskYesNo(Handle(), GetString(IDS_HISTORY_OFF_ASK)) != IDYES) return;
        settings_.HistoryFile = kDefaultHistoryFile;
        UpdateCommandStates();
    }
    const std::string history = HistoryPath();
    if (history.empty()) return;  // a name too long to place: said when a run appends
    HistoryReader reader;
    uint32_t error = 0;
    BeginWaitCursor();
    const bool read = ReadHistoryFile(history, reader, &error);
    if (!read) {
        EndWaitCursor();
        HistoryFailed(IDS_HISTORY_NOT_READ, history, error);
        return;
    }
    WinTextEncoding encoding;
    ResultsPageSource source;
    source.history = &reader;
    source.historyKept = true;
    source.encoding = &encoding;
    // A scratch page like the quick reports: never over a file this process did not make.
    const std::string page = scratch_.PathFor(historyScratchPath_);
    const bool written = !page.empty() && WriteResultsPage(source, files_, page, &error);
    EndWaitCursor();
    if (!written) {
        ReportFailed(page.empty() ? ERROR_FILE_EXISTS : error);
        return;
    }
    scratch_.Written(page);
    ShellOpen(Handle(), page);
}

}  // namespace vm
