// The run's reports, JSON results and metrics, and the refusals that keep them off the
// program's own files.
#include "win32/app/RunOutputs.h"

#include <wininet.h>

#include <cstdio>

#include "core/base/CompanionFileName.h"
#include "core/base/PathRules.h"
#include "core/lang/LanguageFile.h"
#include "core/lang/StringTable.h"
#include "core/report/PrometheusText.h"
#include "core/report/PushgatewayUrl.h"
#include "core/report/ReportWriter.h"
#include "win32/engine/PushgatewayClient.h"
#include "win32/platform/WinTextEncoding.h"
#include "win32/window/ShellUtil.h"

namespace vm {

RunOutputs::RunOutputs(RunOutputsHost& host, DownloadListView& list, AppSettings& settings,
                       WinFileSystem& files, const StartupOptions& options)
    : host_(host), list_(list), settings_(settings), files_(files), options_(options) {}

void RunOutputs::PlaceScratchFiles(const std::string& folder) {
    htmlScratchPath_ = ResolveReportPath(folder, "testreport.html");
    textScratchPath_ = ResolveReportPath(folder, "testreport.txt");
    historyScratchPath_ = ResolveReportPath(folder, "speedhistory.html");
}

bool RunOutputs::WriteReportFile(int type, const std::string& path, bool selectedOnly) {
    uint32_t error = 0;
    const LanguageState& language = ActiveLanguageFile().State();
    if (path.empty()) {
        error = ERROR_INVALID_NAME;
    } else {
        BeginWaitCursor();
        const bool written =
            WriteReport(list_, settings_, language, files_, type, path, selectedOnly, &error);
        EndWaitCursor();
        if (written) return true;
    }
    return ReportFailed(error);
}

void RunOutputs::ShowHtmlReport(bool selectedOnly) {
    ReportToScratch(kReportHtmlHorizontal, htmlScratchPath_, selectedOnly, SW_SHOW);
}

void RunOutputs::ShowTextReport() {
    ReportToScratch(kReportText, textScratchPath_, false, SW_SHOWNORMAL);
}

void RunOutputs::ReportToScratch(ReportType type, const std::string& wanted, bool selectedOnly,
                                 int showCommand) {
    const std::string path = scratch_.PathFor(wanted);
    if (path.empty()) {
        char text[1024];
        std::snprintf(text, sizeof text, GetFormatString(IDS_SCRATCH_NAMES_TAKEN), wanted.c_str());
        MessageBoxA(host_.Owner(), text, "Error", MB_ICONWARNING);
        return;
    }
    if (!WriteReportFile(type, path, selectedOnly)) return;
    scratch_.Written(path);
    ShellOpen(host_.Owner(), path, showCommand);
}

bool RunOutputs::WriteRunReport(int type, const std::string& path) {
    if (IsProgramFile(path) || !WriteReportFile(type, path, false)) return false;
    scratch_.Disown(path);
    return true;
}

bool RunOutputs::WriteRunJson(const std::string& path) {
    if (IsProgramFile(path)) return false;
    uint32_t error = ERROR_INVALID_NAME;
    bool written = false;
    if (!path.empty()) {
        BeginWaitCursor();
        written = WriteJsonResultsFile(list_, settings_, host_.Measurements(), files_, path, &error,
                                       RunExtras());
        EndWaitCursor();
    }
    if (!written) return ReportFailed(error);
    scratch_.Disown(path);
    return true;
}

std::string RunOutputs::RunMetricsText() {
    WinTextEncoding encoding;
    MetricsSource source;
    source.settings = &settings_;
    source.measurements = host_.Measurements();
    source.encoding = &encoding;
    source.alerts = alertsJudged_ ? &alerts_ : nullptr;
    return PrometheusMetricsText(list_.Items(), source);
}

bool RunOutputs::WriteMetricsFile(const std::string& path) {
    uint32_t error = ERROR_INVALID_NAME;
    if (!path.empty() && WritePrometheusFile(RunMetricsText(), files_, path, &error)) return true;
    return ReportFailed(error);
}

bool RunOutputs::PushMetrics(const std::string& gatewayUrl) {
    WinTextEncoding encoding;
    const std::string url = PushgatewayGroupUrl(gatewayUrl, encoding.SystemToUtf8(ComputerName()));
    if (url.empty()) return ReportFailed(ERROR_INTERNET_INVALID_URL);
    BeginWaitCursor();
    const PushResult result = PushMetricsText(url, RunMetricsText());
    EndWaitCursor();
    if (result.Succeeded()) return true;
    if (result.error != 0) return ReportFailed(result.error);
    if (!host_.Unattended()) {
        char text[512];
        std::snprintf(text, sizeof text, GetFormatString(IDS_PUSH_REFUSED),
                      static_cast<int>(result.httpStatus));
        MessageBoxA(host_.Owner(), text, "Error", MB_ICONWARNING);
    }
    return false;
}

JsonResultsExtras RunOutputs::RunExtras() const {
    JsonResultsExtras extras;
    extras.alerts = alertsJudged_ ? &alerts_ : nullptr;
    extras.warnings = warnings_;
    return extras;
}

ProgramFiles RunOutputs::OwnFiles() const {
    return {host_.ConfigPath(), CompanionFileName(ProgramPath(), kLanguageFileSuffix),
            ProgramPath()};
}

bool RunOutputs::IsProtectedOutput(const std::string& path) const {
    const std::string kept[] = {ProgramPath(), host_.ConfigPath(),
                                CompanionFileName(ProgramPath(), kLanguageFileSuffix),
                                HistoryPath()};
    for (const std::string& file : kept) {
        if (IsSameFilePath(path, file)) return true;
    }
    return false;
}

// The automatic report too is refused when it would replace one of the program's files.
bool RunOutputs::IsProgramFile(const std::string& path) {
    std::string resolved;
    if (CheckExportTarget(files_, path, vm::ProgramFolder(), CurrentDirectory(), OwnFiles(),
                          &resolved) != ExportTargetVerdict::ProgramFile) {
        return false;
    }
    if (!host_.Unattended()) {
        char text[2048];
        std::snprintf(text, sizeof text, GetFormatString(IDS_EXPORT_TARGET_PROGRAM_FILE),
                      path.c_str());
        MessageBoxA(host_.Owner(), text, "Error", MB_ICONWARNING);
    }
    return true;
}

bool RunOutputs::ReportFailed(uint32_t error) {
    // An unattended export has nobody to click the box away: its exit code tells instead.
    if (!host_.Unattended()) ShowErrorBox(error, host_.Owner());
    return false;
}

}  // namespace vm
