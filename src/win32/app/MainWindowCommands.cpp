// The main window's commands: the handler bound to each action of the command table, the
// enabling rules and check marks applied to the menus and the toolbar, and the commands
// that write the selected rows to a file the user picks or to the clipboard.
#include "win32/app/MainWindow.h"

#include "core/app/Commands.h"
#include "core/lang/StringTable.h"
#include "core/report/ReportFormat.h"
#include "resource.h"
#include "win32/platform/Clipboard.h"
#include "win32/platform/TempFile.h"
#include "win32/window/FileChooser.h"
#include "win32/window/ShellUtil.h"

namespace vm {
namespace {

constexpr char kClipboardTempPrefix[] = "cp";
constexpr char kSaveDefaultExtension[] = "txt";

}  // namespace

// One handler per action of the command table, in the table's action order.
struct MainWindow::CommandHandlers {
    using Handler = void (*)(MainWindow& window, const Command& command);
    struct Binding {
        CommandAction action;
        Handler run;
    };
    using W = MainWindow&;
    using C = const Command&;
    using A = CommandAction;

    static constexpr Binding kBindings[] = {
        {A::StartTest,
         [](W w, C) {
             if (w.run_ != nullptr && w.list_.ItemCount() > 0) w.run_->StartTest();
         }},
        {A::StopTest,
         [](W w, C) {
             if (w.IsRunning()) w.run_->StopTest();
         }},
        {A::MoveToNext,
         [](W w, C) {
             if (w.run_ != nullptr) w.run_->MoveToNextDownload();
         }},
        {A::DisableSelected, [](W w, C) { w.listCommands_.SetSelectedDisabled(true); }},
        {A::EnableSelected, [](W w, C) { w.listCommands_.SetSelectedDisabled(false); }},
        {A::DeleteSelected, [](W w, C) { w.listCommands_.DeleteSelected(); }},
        {A::DeleteAll, [](W w, C) { w.listCommands_.DeleteAll(); }},
        {A::SaveSelected, [](W w, C) { w.SaveSelectedItems(); }},
        {A::CopySelected, [](W w, C) { w.CopySelectedItems(); }},
        {A::AddUrlsList, [](W w, C) { w.listCommands_.AddUrlsList(); }},
        {A::AddUrlsFromFile, [](W w, C) { w.listCommands_.AddUrlsFromFile(); }},
        {A::AddFile, [](W w, C) { w.listCommands_.AddFile(); }},
        {A::Find, [](W w, C) { w.listCommands_.OpenFind(); }},
        {A::ChooseColumns, [](W w, C) { w.listCommands_.ChooseColumns(); }},
        {A::Exit, [](W w, C) { SendMessageA(w.Handle(), WM_CLOSE, 0, 0); }},
        {A::SelectAll, [](W w, C) { w.list_.SelectAll(); }},
        {A::DeselectAll, [](W w, C) { w.list_.DeselectAll(); }},
        {A::ToggleListStyle,
         [](W w, C c) {
             w.ToggleChecked(c);
             w.ApplyListStyles();
         }},
        {A::ToggleTimeInGmt,
         [](W w, C c) {
             w.ToggleChecked(c);
             w.RefreshList();
         }},
        {A::ToggleReportOption, [](W w, C c) { w.ToggleChecked(c); }},
        // Off forgets the file's name; on starts the file beside the configuration.
        {A::ToggleRunHistory, [](W w, C c) { w.ToggleChecked(c); }},
        {A::SpeedHistory, [](W w, C) { w.outputs_.ShowSpeedHistory(); }},
        {A::HtmlReportAll, [](W w, C) { w.outputs_.ShowHtmlReport(false); }},
        {A::HtmlReportSelected, [](W w, C) { w.outputs_.ShowHtmlReport(true); }},
        {A::TextReportAll, [](W w, C) { w.outputs_.ShowTextReport(); }},
        {A::AutoSizeColumns, [](W w, C) { w.listControl_.AutoSizeColumns(); }},
        {A::MoveUp, [](W w, C) { w.listCommands_.MoveSelected(true); }},
        {A::MoveDown, [](W w, C) { w.listCommands_.MoveSelected(false); }},
        {A::CreateInstaller, [](W w, C) { w.CreateInstaller(IDR_INSTALLER_MACHINE); }},
        {A::CreateUserInstaller, [](W w, C) { w.CreateInstaller(IDR_INSTALLER_USER); }},
        {A::OpenHelpFile, [](W w, C) { ShellOpen(w.Handle(), w.helpFilePath_, SW_SHOWNORMAL); }},
        {A::OpenWebPage, [](W w, C) { ShellOpen(w.Handle(), kProductWebAddress); }},
        {A::AdvancedOptions, [](W w, C) { w.OpenAdvancedOptions(); }},
        {A::Properties, [](W w, C) { w.OpenProperties(); }},
        {A::About, [](W w, C) { w.OpenAbout(); }},
        {A::ToggleSpeedGraph, [](W w, C) { w.graph_.Toggle(); }},
        {A::CopyGraph, [](W w, C) { w.graph_.Copy(); }},
        {A::SaveGraph, [](W w, C) { w.graph_.Save(); }},
        {A::ChooseGraphUnit, [](W w, C c) { w.graph_.ChooseUnit(c.id); }},
        {A::RunEvery, [](W w, C) { w.watch_.OpenDialog(); }},
        {A::OpenFromTray, [](W w, C) { w.watch_.OpenFromTray(); }},
        {A::RunNow, [](W w, C) { w.watch_.RunNow(); }},
        {A::StopWatching, [](W w, C) { w.watch_.Stop(); }},
        {A::ExitFromTray, [](W w, C) { w.watch_.ExitFromTray(); }},
    };

    // Every action bound once, at its own place.
    static constexpr bool InActionOrder() {
        if (sizeof kBindings / sizeof kBindings[0] != kCommandActionCount) return false;
        for (size_t i = 0; i < kCommandActionCount; ++i) {
            if (static_cast<size_t>(kBindings[i].action) != i) return false;
        }
        return true;
    }

    static void Run(MainWindow& window, const Command& command) {
        // A new action without its handler does not build.
        static_assert(InActionOrder(), "bind one handler to each CommandAction, in its order");
        kBindings[static_cast<size_t>(command.action)].run(window, command);
    }
};

void MainWindow::OnCommand(UINT code, WPARAM wParam, LPARAM) {
    if (code != 0 && code != 1) return;  // menus, toolbar and accelerators only
    const Command* command = FindCommand(LOWORD(wParam));
    if (command == nullptr) return;
    CommandHandlers::Run(*this, *command);
}

void MainWindow::ToggleChecked(const Command& command) {
    vm::ToggleChecked(command.check, &settings_);
    UpdateCommandStates();
}

void MainWindow::UpdateCommandStates(HMENU popup) {
    CommandState state;
    state.running = IsRunning();
    state.selected = list_.SelectedCount();
    state.rows = list_.RowCount();
    state.items = list_.ItemCount();
    state.sortedByOrder = list_.SortCode() == kColumnOrder;
    state.helpFileExists = helpFileExists_;
    HMENU menu = popup != nullptr ? popup : chrome_.menuBar;
    const bool checks = popup == nullptr && chrome_.menuBar != nullptr;
    size_t count = 0;
    const Command* table = CommandTable(&count);
    for (size_t i = 0; i < count; ++i) {
        const Command& command = table[i];
        if (command.enabled != CommandRule::Always) {
            const bool enabled = IsEnabled(command.enabled, state);
            if (menu != nullptr) {
                EnableMenuItem(menu, command.id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
            }
            if (chrome_.toolbar != nullptr) {
                SendMessageA(chrome_.toolbar, TB_ENABLEBUTTON, command.id, MAKELPARAM(enabled, 0));
            }
        }
        if (checks && command.check != CommandCheck::None) {
            const bool on = IsChecked(command.check, settings_);
            CheckMenuItem(chrome_.menuBar, command.id,
                          MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
        }
    }
    if (checks) DrawMenuBar(Handle());
}

void MainWindow::SaveSelectedItems() {
    std::string filters;
    BuildReportFilterList(&filters);  // too long a translation leaves the dialog without filters
    int filterIndex = settings_.SaveFilterIndex;
    std::string path;
    const bool chosen = ChooseSaveFile(Handle(), &filterIndex, &path, filters,
                                       GetString(IDS_SELECT_SAVE_FILE), kSaveDefaultExtension);
    if (chosen) {
        settings_.SaveFilterIndex = filterIndex;
        outputs_.WriteReportFile(filterIndex, path, true);
    }
    // The closed chooser (or an error box) leaves the focus on the frame; the list is where
    // the user was.
    SetFocus(listControl_.Handle());
}

void MainWindow::CopySelectedItems() {
    std::string path;
    const uint32_t tempError = CreateTempFile(kClipboardTempPrefix, &path);
    if (tempError != 0) {
        ShowErrorBox(tempError, Handle());
        return;
    }
    if (outputs_.WriteReportFile(kReportTabDelimited, path, true)) {
        uint32_t error = 0;
        if (!OpenClipboard(Handle())) {
            error = GetLastError();
            if (error == 0) error = ERROR_ACCESS_DENIED;
        } else {
            error = CopyFileToClipboard(path);
        }
        if (error != 0) ShowErrorBox(error, Handle());
    }
    files_.Remove(path);
}

}  // namespace vm
