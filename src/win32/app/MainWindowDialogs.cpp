// The main window's dialogs: Advanced Options, item Properties and About, and the
// installer script made with the configuration saved first.
#include "core/lang/StringTable.h"
#include "core/list/PathTexts.h"
#include "win32/app/MainWindow.h"
#include "win32/dialogs/AboutDialog.h"
#include "win32/dialogs/OptionsDialog.h"
#include "win32/dialogs/PropertiesDialog.h"
#include "win32/installer/InstallerCommand.h"
#include "win32/window/ShellUtil.h"

namespace vm {
namespace {

// The server that answered the item's latest attempt, after the list's own rows.
void AddPathRows(PropertiesDialog& dialog, const ItemMeasurements* measured) {
    const PathIdentity server = measured != nullptr ? measured->server : PathIdentity();
    dialog.AddRow(GetString(IDS_PATH_SERVER_ADDRESS), ServerAddressText(server));
    dialog.AddRow(GetString(IDS_PATH_CACHE), CacheText(server));
}

}  // namespace

void MainWindow::OpenAdvancedOptions() {
    // The engine reads the live options afresh, so a running test follows the change.
    EditAdvancedOptions(Handle(), &settings_);
    SetFocus(listControl_.Handle());
}

void MainWindow::OpenProperties() {
    if (list_.SelectedCount() != 1) return;
    size_t index = 0;
    const int64_t row = list_.NextSelectedRow(kAllRows);
    if (row < 0 || !list_.ItemOfRow(static_cast<size_t>(row), &index)) return;
    PropertiesDialog dialog(list_.ItemAt(index), list_.CellTextContext());
    AddPathRows(dialog, run_ != nullptr ? run_->Measurements().ForItem(index) : nullptr);
    if (dialog.DoModal(Handle())) {
        // The list may have changed under a running test while the dialog was open.
        if (index < list_.ItemCount()) {
            DownloadItem& item = list_.ItemAt(index);
            item.SetUrl(dialog.Url());
            item.SetName(dialog.Name());
            RefreshList();
        }
    }
    SetFocus(listControl_.Handle());
}

void MainWindow::OpenAbout() {
    ShowAboutDialog(Handle());
    SetFocus(listControl_.Handle());
}

void MainWindow::CreateInstaller(int templateId) {
    WinInstallerHost host(Handle(), [this] { ExchangeConfiguration(true); });
    CreateInstallerScript(host, templateId, ProgramFolder());
}

}  // namespace vm
