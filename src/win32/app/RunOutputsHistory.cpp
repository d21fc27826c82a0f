// The run history: the run appended with the alerts judged on what came before, the
// results page with its charts, and the Speed History page.
#include <cstdio>

#include "core/app/ExportTarget.h"
#include "core/base/JsonReader.h"
#include "core/lang/StringTable.h"
#include "core/report/HistoryReader.h"
#include "core/report/ResultsPage.h"
#include "core/report/RunHistory.h"
#include "win32/app/JsonResultsFile.h"
#include "win32/app/RunHistoryFile.h"
#include "win32/app/RunOutputs.h"
#include "win32/platform/WinMessageTable.h"
#include "win32/platform/WinTextEncoding.h"
#include "win32/window/FrameWindow.h"
#include "win32/window/ShellUtil.h"

namespace vm {

std::string RunOutputs::HistoryPath() const {
    return HistoryFilePath(options_.historyFile,
                           KeptHistoryName(settings_.HistoryFile, host_.Watching()),
                           vm::ProgramFolder(), host_.ConfigPath());
}

bool RunOutputs::HistoryFailed(uint32_t message, const std::string& path, uint32_t error) {
    // An unattended export has nobody to click the box away: its exit code tells instead.
    if (host_.Unattended()) return false;
    char text[1024];
    std::snprintf(text, sizeof text, "%s\n%s\n\nError %d: %s", GetString(message), path.c_str(),
                  static_cast<int>(error), SystemErrorText(error).c_str());
    MessageBoxA(host_.Owner(), text, "Error", MB_ICONWARNING);
    return false;
}

bool RunOutputs::AppendRunHistory() {
    // The page of an export without a history still needs the run's document.
    alerts_.clear();
    alertsJudged_ = false;
    lastRunDocument_ = CompactJsonResults(list_, settings_, host_.Measurements(), RunExtras());
    const bool kept = !options_.historyFile.empty() ||
                      !KeptHistoryName(settings_.HistoryFile, host_.Watching()).empty();
    if (!kept) return true;
    const std::string path = HistoryPath();  // "" for a name too long to place
    uint32_t error = ERROR_INVALID_NAME;
    if (!path.empty()) {
        // Lines appended to the configuration, the translation file or the program would
        // damage them: such a history is refused like a report onto them.
        std::string resolved;
        error = ExportTargetError(CheckExportTarget(files_, path, vm::ProgramFolder(),
                                                    CurrentDirectory(), OwnFiles(), &resolved));
    }
    // A line its own reader would skip is not written: the run does not fit the bound.
    if ((path.empty() || error == 0) && lastRunDocument_.empty()) error = ERROR_FILE_TOO_LARGE;
    const bool refused = path.empty() || error != 0;
    BeginWaitCursor();
    if (!refused) JudgeAlerts(path);
    const bool appended = !refused && AppendToHistoryFile(path, lastRunDocument_, &error);
    EndWaitCursor();
    return appended || HistoryFailed(IDS_HISTORY_NOT_WRITTEN, path, error);
}

void RunOutputs::JudgeAlerts(const std::string& historyPath) {
    HistoryReader history;
    uint32_t error = 0;
    // A history that cannot be read judges nothing; its append will tell why.
    if (!ReadHistoryFile(historyPath, history, &error)) return;
    JsonValue document;
    RunRecord run;
    if (!ParseJson(lastRunDocument_.data(), lastRunDocument_.size(), &document) ||
        !ReadRunRecord(document, &run)) {
        return;
    }
    alerts_ = JudgeRunAlerts(history, run, AlertRulesOf(settings_));
    alertsJudged_ = true;
    WinTextEncoding encoding;
    MarkSpeedDrops(alerts_, list_.Items(), encoding);
    host_.ListChanged();
    lastRunDocument_ = CompactJsonResults(list_, settings_, host_.Measurements(), RunExtras());
}

bool RunOutputs::WriteResultsPage(const std::string& path, bool historyAppended) {
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
    const bool written = vm::WriteResultsPage(source, files_, path, &error);
    EndWaitCursor();
    return written || ReportFailed(error);
}

void RunOutputs::ShowSpeedHistory() {
    // With the history off there is nothing to show and no page to write: offer to keep one.
    if (options_.historyFile.empty() && settings_.HistoryFile.empty()) {
        if (AskYesNo(host_.Owner(), GetString(IDS_HISTORY_OFF_ASK)) != IDYES) return;
        settings_.HistoryFile = kDefaultHistoryFile;
        host_.OptionsChanged();
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
    const bool written = !page.empty() && vm::WriteResultsPage(source, files_, page, &error);
    EndWaitCursor();
    if (!written) {
        ReportFailed(page.empty() ? ERROR_FILE_EXISTS : error);
        return;
    }
    scratch_.Written(page);
    ShellOpen(host_.Owner(), page);
}

}  // namespace vm
