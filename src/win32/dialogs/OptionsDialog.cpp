#include "win32/dialogs/OptionsDialog.h"

#include "core/lang/StringIds.h"
#include "core/lang/StringTable.h"
#include "core/report/ReportFormat.h"
#include "resource.h"
#include "win32/window/DialogExchange.h"
#include "win32/window/FileChooser.h"
#include "core/dialogs/OptionsRules.h"

namespace vm {
namespace {

struct DependentControl {
    OptionsDependent dependent;
    int controlId;
};

constexpr DependentControl kDependentControls[] = {
    {OptionsDependent::kAutoStopTime, IDC_OPT_AUTO_STOP_TIME},
    {OptionsDependent::kAutoStopSize, IDC_OPT_AUTO_STOP_SIZE},
    {OptionsDependent::kAutoStopSizeUnit, IDC_OPT_AUTO_STOP_SIZE_UNIT},
    {OptionsDependent::kStableValue, IDC_OPT_STABLE_VALUE},
    {OptionsDependent::kStableUnit, IDC_OPT_STABLE_UNIT},
    {OptionsDependent::kRetries, IDC_OPT_RETRIES},
    {OptionsDependent::kReportFileName, IDC_OPT_REPORT_FILE},
    {OptionsDependent::kReportBrowse, IDC_OPT_REPORT_BROWSE},
    {OptionsDependent::kReportType, IDC_OPT_REPORT_TYPE},
    {OptionsDependent::kReportOpenInViewer, IDC_OPT_OPEN_REPORT},
};

// The default extension the report chooser appends to a bare name.
constexpr char kReportDefaultExtension[] = "txt";

void FillList(HWND dialog, int controlId, ComboChoices choices) {
    for (size_t i = 0; i < choices.count; ++i) {
        AddComboItem(dialog, controlId, GetString(choices.items[i].textId),
                     choices.items[i].data);
    }
}

}  // namespace

OptionsDialog::OptionsDialog(const AppSettings& live) : CommandDialog(IDD_ADVANCED_OPTIONS) {
    CopyAdvancedOptions(live, &options_);
}

void OptionsDialog::ApplyEnabling() {
    const OptionsEnabling enabling = OptionsEnablingFor(options_);
    for (const DependentControl& control : kDependentControls) {
        EnableItem(control.controlId, enabling.IsEnabled(control.dependent));
    }
}

void OptionsDialog::FillLists() {
    FillList(Handle(), IDC_OPT_AUTO_STOP_SIZE_UNIT, SizeUnitChoices());
    FillList(Handle(), IDC_OPT_FTP_MODE, FtpModeChoices());
    FillList(Handle(), IDC_OPT_STABLE_UNIT, StableUnitChoices());
    FillList(Handle(), IDC_OPT_REPORT_TYPE, ReportTypeChoices());
}

void OptionsDialog::DataExchange(bool toControls) {
    HWND dialog = Handle();
    ExchangeCheck(dialog, IDC_OPT_USE_AUTO_STOP_TIME, toControls, &options_.UseAutoStopTime);
    ExchangeInteger(dialog, IDC_OPT_AUTO_STOP_TIME, toControls, &options_.AutoStopTime);
    ExchangeCheck(dialog, IDC_OPT_USE_AUTO_STOP_SIZE, toControls, &options_.UseAutoStopSize);
    ExchangeInteger(dialog, IDC_OPT_AUTO_STOP_SIZE, toControls, &options_.AutoStopSize);
    ExchangeComboData(dialog, IDC_OPT_AUTO_STOP_SIZE_UNIT, toControls,
                      &options_.AutoStopSizeUnit);
    ExchangeCheck(dialog, IDC_OPT_USE_AUTO_STOP_STABLE, toControls, &options_.UseAutoStopStable);
    ExchangeDecimal(dialog, IDC_OPT_STABLE_VALUE, toControls, &options_.AutoStopStableValue);
    ExchangeComboData(dialog, IDC_OPT_STABLE_UNIT, toControls, &options_.AutoStopStableUnit);
    ExchangeInteger(dialog, IDC_OPT_CONNECT_TIMEOUT, toControls, &options_.ConnectTimeout);
    ExchangeComboData(dialog, IDC_OPT_FTP_MODE, toControls, &options_.FtpMode);
    ExchangeCheck(dialog, IDC_OPT_TRY_AGAIN, toControls, &options_.TryAgainOnFail);
    ExchangeInteger(dialog, IDC_OPT_RETRIES, toControls, &options_.NumOfRetries);
    ExchangeCheck(dialog, IDC_OPT_AUTO_REPORT, toControls, &options_.AutoReport);
    ExchangeText(dialog, IDC_OPT_REPORT_FILE, toControls, &options_.AutoReportFilename,
                 kMaxReportFileName);
    ExchangeComboData(dialog, IDC_OPT_REPORT_TYPE, toControls, &options_.AutoReportType);
    ExchangeCheck(dialog, IDC_OPT_OPEN_REPORT, toControls, &options_.AutoReportOpenInViewer);
}

INT_PTR OptionsDialog::OnInitDialog() {
    layout_.Capture(Handle());
    ApplyEnabling();
    FillLists();
    return CommandDialog::OnInitDialog();
}

INT_PTR OptionsDialog::OnCommand(UINT code, WPARAM wParam, LPARAM lParam) {
    if (code == 0) {
        // Every click, the check boxes' included, re-reads the controls so the enabling
        // follows at once.
        DataExchange(false);
        ApplyEnabling();
        if (LOWORD(wParam) == IDC_OPT_REPORT_BROWSE) ChooseReportFile();
    }
    return CommandDialog::OnCommand(code, wParam, lParam);
}

void OptionsDialog::ChooseReportFile() {
    std::string filters;
    if (!BuildReportFilterList(&filters)) return;
    int filterIndex = options_.AutoReportType;
    std::string path = options_.AutoReportFilename;
    if (!ChooseSaveFile(Handle(), &filterIndex, &path, filters, GetString(IDS_SELECT_SAVE_FILE),
                        kReportDefaultExtension)) {
        return;
    }
    options_.AutoReportType = filterIndex;
    options_.AutoReportFilename = path;
    DataExchange(true);
}

void OptionsDialog::Relayout() {
    HDWP batch = layout_.Begin();
    layout_.Move(&batch, IDOK, 1, 1, 0, 0);
    layout_.Move(&batch, IDCANCEL, 1, 1, 0, 0);
    layout_.Move(&batch, IDC_OPT_REPORT_GROUP, 0, 0, 1, 0);
    layout_.Move(&batch, IDC_OPT_REPORT_FILE_LABEL, 0, 0, 1, 0);  // wraps less when wider
    layout_.Move(&batch, IDC_OPT_REPORT_FILE, 0, 0, 1, 0);
    layout_.Move(&batch, IDC_OPT_REPORT_TYPE, 0, 0, 1, 0);
    layout_.Move(&batch, IDC_OPT_REPORT_BROWSE, 1, 0, 0, 0);
    layout_.End(batch);  // repaints the whole dialog
}

INT_PTR OptionsDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            Relayout();
            break;
        case WM_PAINT:
            layout_.PaintGrip();
            break;
        case WM_GETMINMAXINFO:
            // Only the report group widens; nothing moves down, so no less than opened.
            SetMinimumTrackSize(lParam, kOptionsMinWidth, kOptionsMinHeight, layout_, true, true);
            break;
        case WM_NCHITTEST:
            if (layout_.AnswerGripHitTest(lParam)) return TRUE;
            break;
        default:
            break;
    }
    return CommandDialog::DialogProc(message, wParam, lParam);
}

bool EditAdvancedOptions(HWND owner, AppSettings* live) {
    OptionsDialog dialog(*live);
    if (!dialog.DoModal(owner)) return false;
    CopyAdvancedOptions(dialog.Options(), live);
    return true;
}

}  // namespace vm
