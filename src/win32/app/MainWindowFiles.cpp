// The main window's part in keeping the user's files: the configuration's load and save
// with what went wrong said (and the numbers it refused), and the export's refusals
// before its run.
#include "win32/app/MainWindow.h"

#include <cstdio>
#include <vector>

#include "core/app/ExitCode.h"
#include "core/app/ExportTarget.h"
#include "core/base/CompanionFileName.h"
#include "core/lang/LanguageFile.h"
#include "core/lang/StringTable.h"
#include "core/report/MonitorSwitches.h"
#include "win32/platform/WinTextEncoding.h"
#include "win32/window/ShellUtil.h"

namespace vm {
namespace {

// Why the configuration was not taken or not written, in words.
std::string ConfigProblemText(const ConfigSession& session) {
    switch (session.problem) {
        case ConfigProblem::NulByte:
            return GetString(IDS_CONFIG_NUL_BYTE);
        case ConfigProblem::TooManyLines:
            return GetString(IDS_CONFIG_TOO_MANY_LINES);
        case ConfigProblem::NotConfiguration:
            return GetString(IDS_CONFIG_NOT_A_CONFIGURATION);
        default:
            break;
    }
    char code[64];
    std::snprintf(code, sizeof code, GetFormatString(IDS_ERROR_CODE),
                  static_cast<int>(session.error));
    return std::string(code) + " " + SystemErrorText(session.error);
}

}  // namespace

// An export that would write nothing useful, or write over the user's files, ends before
// its run: a script learns why from the exit code, a visible run also from a box.
bool MainWindow::ExportMayStart() {
    char text[2048];
    ExitCode code = ExitCode::Success;
    // A misspelt /config would run an empty list and report success for ever.
    if (NamedConfigMissing(files_, session_, options_)) {
        session_.error = ERROR_FILE_NOT_FOUND;
        session_.problem = ConfigProblem::None;
        loadResult_ = ConfigResult::Unreadable;
    }
    if (loadResult_ == ConfigResult::Unreadable) {
        code = ExitCode::ConfigUnreadable;
        std::snprintf(text, sizeof text, GetFormatString(IDS_CONFIG_UNREADABLE_EXPORT),
                      session_.path.c_str(), ConfigProblemText(session_).c_str());
    } else if (!options_.switchWithoutValue.empty()) {
        code = ExitCode::NoExportToDo;
        std::snprintf(text, sizeof text, GetFormatString(IDS_SWITCH_WITHOUT_VALUE_EXPORT),
                      options_.switchWithoutValue.c_str());
    } else {
        // The report and the metrics file are checked alike; a metrics-only run has no report.
        std::vector<std::string> names;
        if (exportRequest_.type != kMetricsOnlyExportType) names.push_back(exportRequest_.fileName);
        if (!exportRequest_.metricsFile.empty()) names.push_back(exportRequest_.metricsFile);
        ExportTargetVerdict verdict = ExportTargetVerdict::Accepted;
        std::string refused;
        for (const std::string& name : names) {
            std::string path;
            verdict = CheckExportTarget(files_, name, vm::ProgramFolder(), CurrentDirectory(),
                                        outputs_.OwnFiles(), &path);
            // The run history is the user's file too: no report may take its place.
            if (verdict == ExportTargetVerdict::Accepted && outputs_.IsProtectedOutput(path)) {
                verdict = ExportTargetVerdict::ProgramFile;
            }
            if (verdict != ExportTargetVerdict::Accepted) {
                refused = name;
                break;
            }
        }
        if (verdict != ExportTargetVerdict::Accepted) {
            code = ExitCode::ReportNotWritten;
            const uint32_t message =
                verdict == ExportTargetVerdict::TooLong       ? IDS_EXPORT_TARGET_TOO_LONG
                : verdict == ExportTargetVerdict::InvalidName ? IDS_EXPORT_TARGET_INVALID_NAME
                                                              : IDS_EXPORT_TARGET_PROGRAM_FILE;
            std::snprintf(text, sizeof text, GetFormatString(message), refused.c_str());
        } else if (exportRequest_.pushUrl.size() > kMaxPushUrlLength) {
            // A cut address would push somewhere else.
            code = ExitCode::PushFailed;
            std::snprintf(text, sizeof text, GetFormatString(IDS_PUSH_URL_TOO_LONG),
                          static_cast<int>(kMaxPushUrlLength));
        } else {
            return true;
        }
    }
    if (!Unattended()) MessageBoxA(Handle(), text, "Error", MB_ICONWARNING);
    exitCode_ = static_cast<int>(code);
    PostQuitMessage(exitCode_);
    return false;
}

void MainWindow::ShowConfigProblem() {
    char text[2048];
    if (loadResult_ == ConfigResult::Truncated) {
        std::snprintf(text, sizeof text, GetFormatString(IDS_CONFIG_TRUNCATED),
                      session_.path.c_str(), static_cast<int>(kMaxDownloadItems));
    } else {
        std::snprintf(text, sizeof text, GetFormatString(IDS_CONFIG_UNREADABLE),
                      session_.path.c_str(), ConfigProblemText(session_).c_str());
    }
    MessageBoxA(Handle(), text, "Velocimark", MB_ICONWARNING);
}

void MainWindow::SayConfigNotSaved() {
    if (Unattended()) return;
    char text[2048];
    std::snprintf(text, sizeof text, GetFormatString(IDS_CONFIG_NOT_SAVED), session_.path.c_str(),
                  ConfigProblemText(session_).c_str());
    // At the window's destruction the box has no owner left to stand on.
    MessageBoxA(shutDown_ ? nullptr : Handle(), text, "Error", MB_ICONWARNING);
}

void MainWindow::SaveAtExit() {
    if (savedAtExit_ || exportRequest_.type != 0) return;
    savedAtExit_ = true;
    ExchangeConfiguration(true);
}

void MainWindow::TakeRefusedNumbers() {
    if (session_.refusedCount == 0) return;
    WinTextEncoding encoding;
    for (const RefusedNumber& refused : session_.refusedNumbers) {
        refusedTexts_.push_back(
            DescribeRefusedNumber(refused, GetFormatString(IDS_NUMBER_REFUSED)));
        outputs_.AddWarning({kNumberRefusedWarning, encoding.SystemToUtf8(refusedTexts_.back())});
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

}  // namespace vm
