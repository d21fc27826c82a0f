// Watching links: the alerts judged on the run history, the numbers the configuration
// refused, and runs on a schedule.
#include <cstdio>

#include "core/base/JsonReader.h"
#include "core/lang/StringTable.h"
#include "win32/app/MainWindow.h"
#include "win32/app/RunHistoryFile.h"
#include "win32/platform/WinTextEncoding.h"

namespace vm {

bool MainWindow::HistoryKept() const {
    return !options_.historyFile.empty() || !settings_.HistoryFile.empty() || watch_.Active();
}

JsonResultsExtras MainWindow::RunExtras() const {
    JsonResultsExtras extras;
    extras.alerts = alertsJudged_ ? &alerts_ : nullptr;
    extras.warnings = warnings_;
    return extras;
}

void MainWindow::JudgeAlerts(const std::string& historyPath) {
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
    RefreshList();
    const RunMeasurements* measurements = run_ != nullptr ? &run_->Measurements() : nullptr;
    lastRunDocument_ = CompactJsonResults(list_, settings_, measurements, RunExtras());
}

void MainWindow::TakeRefusedNumbers() {
    if (session_.refusedCount == 0) return;
    WinTextEncoding encoding;
    for (const RefusedNumber& refused : session_.refusedNumbers) {
        refusedTexts_.push_back(
            DescribeRefusedNumber(refused, GetFormatString(IDS_NUMBER_REFUSED)));
        warnings_.push_back({kNumberRefusedWarning, encoding.SystemToUtf8(refusedTexts_.back())});
    }
    if (exportRequest_.type == 0) {
        // Said once the window is on the screen, like a configuration that was not taken.
        PostMessageA(Handle(), WM_NUMBERS_REFUSED, 0, 0);
        return;
    }
    // An export run has nobody to click a box away: the standard error stream and the
    // JSON document's warnings say it.
    HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
    if (errors == nullptr || errors == INVALID_HANDLE_VALUE) return;
    for (const std::string& text : refusedTexts_) {
        const std::string line = "Velocimark: " + text + "\n";
        DWORD written = 0;
        WriteFile(errors, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
}

void MainWindow::ShowRefusedNumbers() {
    std::string text = session_.path + "\n";
    for (const std::string& line : refusedTexts_) text += "\n" + line;
    MessageBoxA(Handle(), text.c_str(), "Velocimark", MB_ICONWARNING);
}

void MainWindow::StartWatchedRun() {
    if (run_ == nullptr || IsRunning()) return;
    if (watch_.Active()) watch_.RunStarted(GetTickCount());
    run_->StartTest();
}

bool MainWindow::ScheduleNextRun() {
    if (shutDown_ || sessionEnding_ || !watch_.WantsAnotherRun()) return false;
    const uint32_t delay = watch_.MsUntilNextRun(GetTickCount());
    // A timer rather than a start from here: the run that ended is still unwinding.
    SetTimer(Handle(), kWatchTimerId, delay > 0 ? delay : 1, nullptr);
    return true;
}

}  // namespace vm
