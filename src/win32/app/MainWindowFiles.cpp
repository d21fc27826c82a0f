// The main window's part in keeping the user's files: the configuration's load and save
// with what went wrong said (and the numbers it refused), and the export's refusals
// before its run.
#include "win32/app/MainWindow.h"

#include <cstdio>
#include <vector>

#include "core/app/ExportStart.h"
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

// The box's words for an export refused before its run; refused names the output file.
std::string ExportRefusalText(ExportStartRefusal refusal, const ConfigSession& session,
                              const StartupOptions& options, const std::string& refused) {
    char text[2048];
    switch (refusal) {
        case ExportStartRefusal::ConfigUnreadable:
            std::snprintf(text, sizeof text, GetFormatString(IDS_CONFIG_UNREADABLE_EXPORT),
                          session.path.c_str(), ConfigProblemText(session).c_str());
            break;
        case ExportStartRefusal::SwitchWithoutValue:
            std::snprintf(text, sizeof text, GetFormatString(IDS_SWITCH_WITHOUT_VALUE_EXPORT),
                          options.switchWithoutValue.c_str());
            break;
        case ExportStartRefusal::PushUrlTooLong:
            std::snprintf(text, sizeof text, GetFormatString(IDS_PUSH_URL_TOO_LONG),
                          static_cast<int>(kMaxPushUrlLength));
            break;
        default: {
            const uint32_t message =
                refusal == ExportStartRefusal::TargetTooLong       ? IDS_EXPORT_TARGET_TOO_LONG
                : refusal == ExportStartRefusal::TargetInvalidName ? IDS_EXPORT_TARGET_INVALID_NAME
                                                                   : IDS_EXPORT_TARGET_PROGRAM_FILE;
            std::snprintf(text, sizeof text, GetFormatString(message), refused.c_str());
            break;
        }
    }
    return text;
}

}  // namespace

// An export that would write nothing useful, or write over the user's files, ends before
// its run: a script learns why from the exit code, a visible run also from a box.
bool MainWindow::ExportMayStart() {
    // A misspelt /config would run an empty list and report success for ever.
    if (NamedConfigMissing(files_, session_, options_)) {
        session_.error = ERROR_FILE_NOT_FOUND;
        session_.problem = ConfigProblem::None;
        loadResult_ = ConfigResult::Unreadable;
    }
    ExportStartFacts facts;
    facts.configUnreadable = loadResult_ == ConfigResult::Unreadable;
    facts.switchWithoutValue = !options_.switchWithoutValue.empty();
    facts.pushUrlLength = exportRequest_.pushUrl.size();
    std::string refused;
    for (const std::string& name : ExportTargetNames(exportRequest_)) {
        std::string path;
        facts.target = CheckExportTarget(files_, name, vm::ProgramFolder(), CurrentDirectory(),
                                         outputs_.OwnFiles(), &path);
        // The run history is the user's file too: no report may take its place.
        if (facts.target == ExportTargetVerdict::Accepted && outputs_.IsProtectedOutput(path)) {
            facts.target = ExportTargetVerdict::ProgramFile;
        }
        if (facts.target != ExportTargetVerdict::Accepted) {
            refused = name;
            break;
        }
    }
    const ExportStartRefusal refusal = JudgeExportStart(facts);
    if (refusal == ExportStartRefusal::None) return true;
    if (!Unattended()) {
        const std::string text = ExportRefusalText(refusal, session_, options_, refused);
        MessageBoxA(Handle(), text.c_str(), "Error", MB_ICONWARNING);
    }
    exitCode_ = static_cast<int>(ExitCodeOf(refusal));
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
