#include "win32/dialogs/OptionsDialog.h"

#include "core/dialogs/OptionsRules.h"
#include "core/lang/StringIds.h"
#include "core/lang/StringTable.h"
#include "core/options/OptionTable.h"
#include "core/report/ReportFormat.h"
#include "resource.h"
#include "win32/window/DialogExchange.h"
#include "win32/window/FileChooser.h"

namespace vm {
namespace {

constexpr OptionControl kControls[] = {
    {"UseAutoStopTime", IDC_OPT_USE_AUTO_STOP_TIME, ControlKind::Check},
    {"AutoStopTime", IDC_OPT_AUTO_STOP_TIME, ControlKind::Number},
    {"UseAutoStopSize", IDC_OPT_USE_AUTO_STOP_SIZE, ControlKind::Check},
    {"AutoStopSize", IDC_OPT_AUTO_STOP_SIZE, ControlKind::Number},
    {"AutoStopSizeUnit", IDC_OPT_AUTO_STOP_SIZE_UNIT, ControlKind::List},
    {"UseAutoStopStable", IDC_OPT_USE_AUTO_STOP_STABLE, ControlKind::Check},
    {"AutoStopStableValue", IDC_OPT_STABLE_VALUE, ControlKind::Decimal},
    {"AutoStopStableUnit", IDC_OPT_STABLE_UNIT, ControlKind::List},
    {"ConnectTimeout", IDC_OPT_CONNECT_TIMEOUT, ControlKind::Number},
    {"FtpMode", IDC_OPT_FTP_MODE, ControlKind::List},
    {"TryAgainOnFail", IDC_OPT_TRY_AGAIN, ControlKind::Check},
    {"NumOfRetries", IDC_OPT_RETRIES, ControlKind::Number},
    {"AutoReport", IDC_OPT_AUTO_REPORT, ControlKind::Check},
    {"AutoReportFilename", IDC_OPT_REPORT_FILE, ControlKind::Text},
    {"AutoReportFilename", IDC_OPT_REPORT_BROWSE, ControlKind::Button},
    {"AutoReportType", IDC_OPT_REPORT_TYPE, ControlKind::List},
    {"AutoReportOpenInViewer", IDC_OPT_OPEN_REPORT, ControlKind::Check},
    {"DefaultConnections", IDC_OPT_CONNECTIONS, ControlKind::Number},
    {"DefaultRepeat", IDC_OPT_REPEAT, ControlKind::Number},
    {"DefaultLatencyProbe", IDC_OPT_LATENCY_PROBE, ControlKind::Check},
};

void ExchangeControl(HWND dialog, const OptionControl& control, bool toControls,
                     AppSettings* options) {
    const OptionSpec* option = FindOption(control.key);
    if (option == nullptr) return;
    switch (control.kind) {
        case ControlKind::Check:
            ExchangeCheck(dialog, control.controlId, toControls, &(options->*option->number));
            break;
        case ControlKind::Number:
            ExchangeInteger(dialog, control.controlId, toControls, &(options->*option->number));
            break;
        case ControlKind::List:
            ExchangeComboData(dialog, control.controlId, toControls, &(options->*option->number));
            break;
        case ControlKind::Decimal:
            ExchangeDecimal(dialog, control.controlId, toControls, &(options->*option->decimal));
            break;
        case ControlKind::Text:
            ExchangeText(dialog, control.controlId, toControls, &(options->*option->text),
                         option->bound - 1);
            break;
        case ControlKind::Button:
            break;
    }
}

// The default extension the report chooser appends to a bare name.
constexpr char kReportDefaultExtension[] = "txt";

void FillList(HWND dialog, int controlId, ComboChoices choices) {
    for (size_t i = 0; i < choices.count; ++i) {
        AddComboItem(dialog, controlId, GetString(choices.items[i].textId), choices.items[i].data);
    }
}

}  // namespace

OptionControls OptionsDialogControls() {
    return {kControls, sizeof kControls / sizeof kControls[0]};
}

OptionsDialog::OptionsDialog(const AppSettings& live) : CommandDialog(IDD_ADVANCED_OPTIONS) {
    CopyAdvancedOptions(live, &options_);
}

void OptionsDialog::ApplyEnabling() {
    for (const OptionControl& control : kControls) {
        EnableItem(control.controlId, OptionEnabled(options_, control.key));
    }
}

void OptionsDialog::FillLists() {
    FillList(Handle(), IDC_OPT_AUTO_STOP_SIZE_UNIT, SizeUnitChoices());
    FillList(Handle(), IDC_OPT_FTP_MODE, FtpModeChoices());
    FillList(Handle(), IDC_OPT_STABLE_UNIT, StableUnitChoices());
    FillList(Handle(), IDC_OPT_REPORT_TYPE, ReportTypeChoices());
}

void OptionsDialog::DataExchange(bool toControls) {
    for (const OptionControl& control : kControls) {
        ExchangeControl(Handle(), control, toControls, &options_);
    }
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
        case WM_GETMINMAXINFO: {
            // Only the report group widens; nothing moves down, so no less than opened.
            const SIZE minimum =
                DialogUnitsWindowSize(Handle(), kOptionsMinWidthDlu, kOptionsMinHeightDlu);
            SetMinimumTrackSize(lParam, minimum.cx, minimum.cy, layout_, true, true);
            break;
        }
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
