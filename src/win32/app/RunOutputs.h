#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/app/ExportTarget.h"
#include "core/app/ScratchReports.h"
#include "core/app/StartupOptions.h"
#include "core/engine/RunMeasurements.h"
#include "core/list/DownloadListView.h"
#include "core/options/AppSettings.h"
#include "core/report/AlertRules.h"
#include "core/report/ReportFormat.h"
#include "win32/app/JsonResultsFile.h"
#include "win32/platform/WinFileSystem.h"

namespace vm {

// What the run's outputs need from the window that hosts the run.
class RunOutputsHost {
public:
    virtual ~RunOutputsHost() = default;
    // The owner of the error boxes.
    virtual HWND Owner() const = 0;
    // The measurements of the latest run; nullptr before the run exists.
    virtual const RunMeasurements* Measurements() const = 0;
    // An export run nobody watches: no boxes, its exit code tells.
    virtual bool Unattended() const = 0;
    // A watch is running the test on a schedule.
    virtual bool Watching() const = 0;
    virtual std::string ConfigPath() const = 0;
    // The alerts marked speed drops on the rows: the list shows them.
    virtual void ListChanged() = 0;
    // An output switched an option on (the history): the menus show it.
    virtual void OptionsChanged() = 0;
};

// The files a run writes and the views of them the user opens: the reports (automatic,
// export and the quick ones for the viewer), the JSON results, the Prometheus metrics to a
// file or a Pushgateway, the run history with the alerts judged on it, and the results
// page. A failure is said in a box (unless unattended) and returned as false.
class RunOutputs {
public:
    RunOutputs(RunOutputsHost& host, DownloadListView& list, AppSettings& settings,
               WinFileSystem& files, const StartupOptions& options);

    // The quick reports' and the history page's names, in the report folder.
    void PlaceScratchFiles(const std::string& folder);
    // Removes the quick reports this process made; done at exit.
    void RemoveScratchFiles() { scratch_.RemoveOwn(); }

    bool WriteReportFile(int type, const std::string& path, bool selectedOnly);
    // The quick reports, written beside the program and opened in the viewer.
    void ShowHtmlReport(bool selectedOnly);
    void ShowTextReport();

    // The automatic report and the export's files: the user's to keep, whatever their name.
    bool WriteRunReport(int type, const std::string& path);
    bool WriteRunJson(const std::string& path);
    bool WriteMetricsFile(const std::string& path);
    bool PushMetrics(const std::string& gatewayUrl);

    // The run history (RunOutputsHistory.cpp): the run appended with its alerts judged,
    // the results page, and the Speed History page.
    bool AppendRunHistory();
    bool WriteResultsPage(const std::string& path, bool historyAppended);
    void ShowSpeedHistory();

    // Files the program lives on, and the history: never a report's target.
    ProgramFiles OwnFiles() const;
    bool IsProtectedOutput(const std::string& path) const;

    // The run's warnings for the JSON document (UTF-8).
    void AddWarning(const RunWarning& warning) { warnings_.push_back(warning); }
    // The alerts of the latest run, when a history was judged.
    const std::vector<Alert>& Alerts() const { return alerts_; }
    bool AlertsJudged() const { return alertsJudged_; }

private:
    void ReportToScratch(ReportType type, const std::string& wanted, bool selectedOnly,
                         int showCommand);
    bool IsProgramFile(const std::string& path);
    bool ReportFailed(uint32_t error);
    std::string RunMetricsText();
    JsonResultsExtras RunExtras() const;
    std::string HistoryPath() const;
    void JudgeAlerts(const std::string& historyPath);
    bool HistoryFailed(uint32_t message, const std::string& path, uint32_t error);

    RunOutputsHost& host_;
    DownloadListView& list_;
    AppSettings& settings_;
    WinFileSystem& files_;
    const StartupOptions& options_;
    ScratchReports scratch_{files_};
    std::string htmlScratchPath_;
    std::string textScratchPath_;
    std::string historyScratchPath_;
    std::string lastRunDocument_;  // the run's compact JSON, as added to the history
    std::vector<Alert> alerts_;
    bool alertsJudged_ = false;
    std::vector<RunWarning> warnings_;
};

}  // namespace vm
