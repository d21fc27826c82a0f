#include "core/app/Commands.h"

#include "core/report/RunHistory.h"
#include "resource.h"

namespace vm {
namespace {

using A = CommandAction;
using R = CommandRule;
using C = CommandCheck;

// In the main menu's order, then the graph's own menu.
constexpr Command kCommands[] = {
    // File
    {ID_START_TEST, A::StartTest, R::ItemsStopped, C::None},
    {ID_STOP_TEST, A::StopTest, R::Running, C::None},
    {ID_MOVE_TO_NEXT, A::MoveToNext, R::Running, C::None},
    {ID_ADD_URLS_LIST, A::AddUrlsList, R::Stopped, C::None},
    {ID_ADD_URLS_FROM_FILE, A::AddUrlsFromFile, R::Stopped, C::None},
    {ID_ADD_FILE, A::AddFile, R::Always, C::None},
    {ID_SAVE_SELECTED, A::SaveSelected, R::AnySelected, C::None},
    {ID_HTML_REPORT_ALL, A::HtmlReportAll, R::AnyRows, C::None},
    {ID_HTML_REPORT_SELECTED, A::HtmlReportSelected, R::AnySelected, C::None},
    {ID_TEXT_REPORT_ALL, A::TextReportAll, R::Always, C::None},
    {ID_PROPERTIES, A::Properties, R::OneSelected, C::None},
    {ID_EXIT, A::Exit, R::Always, C::None},
    // Edit
    {ID_FIND, A::Find, R::AnyRows, C::None},
    {ID_COPY_SELECTED, A::CopySelected, R::AnySelected, C::None},
    {ID_SELECT_ALL, A::SelectAll, R::Always, C::None},
    {ID_DESELECT_ALL, A::DeselectAll, R::Always, C::None},
    {ID_DISABLE_SELECTED, A::DisableSelected, R::AnySelected, C::None},
    {ID_ENABLE_SELECTED, A::EnableSelected, R::AnySelected, C::None},
    {ID_DELETE_SELECTED, A::DeleteSelected, R::AnySelectedStopped, C::None},
    {ID_DELETE_ALL, A::DeleteAll, R::ItemsStopped, C::None},
    {ID_MOVE_UP, A::MoveUp, R::MovableStopped, C::None},
    {ID_MOVE_DOWN, A::MoveDown, R::MovableStopped, C::None},
    // View
    {ID_SHOW_GRID_LINES, A::ToggleListStyle, R::Always, C::ShowGridLines},
    {ID_SHOW_TOOLTIPS, A::ToggleListStyle, R::Always, C::ShowInfoTip},
    {ID_SHOW_TIME_IN_GMT, A::ToggleTimeInGmt, R::Always, C::ShowTimeInGmt},
    {ID_SPEED_GRAPH, A::ToggleSpeedGraph, R::Always, C::ShowSpeedGraph},
    {ID_CHOOSE_COLUMNS, A::ChooseColumns, R::Always, C::None},
    {ID_AUTO_SIZE_COLUMNS, A::AutoSizeColumns, R::AnyRows, C::None},
    {ID_SPEED_HISTORY, A::SpeedHistory, R::Always, C::None},
    // Options
    {ID_ADVANCED_OPTIONS, A::AdvancedOptions, R::Always, C::None},
    {ID_DONT_ADD_DISABLED, A::ToggleReportOption, R::Always, C::DontAddDisabled},
    {ID_ADD_HEADER_LINE, A::ToggleReportOption, R::Always, C::AddExportHeaderLine},
    {ID_KEEP_RUN_HISTORY, A::ToggleRunHistory, R::Always, C::KeepRunHistory},
    {ID_RUN_EVERY, A::RunEvery, R::Always, C::None},
    // Help
    {ID_OPEN_HELP_FILE, A::OpenHelpFile, R::HelpFileExists, C::None},
    {ID_OPEN_WEB_PAGE, A::OpenWebPage, R::Always, C::None},
    {ID_CREATE_NSIS, A::CreateInstaller, R::Always, C::None},
    {ID_CREATE_NSIS_NON_ADMIN, A::CreateUserInstaller, R::Always, C::None},
    {ID_ABOUT, A::About, R::Always, C::None},
    // The speed graph's context menu
    {ID_COPY_GRAPH, A::CopyGraph, R::Always, C::None},
    {ID_SAVE_GRAPH, A::SaveGraph, R::Always, C::None},
    {ID_GRAPH_UNIT_LIST, A::ChooseGraphUnit, R::Always, C::None},
    {ID_GRAPH_UNIT_KB, A::ChooseGraphUnit, R::Always, C::None},
    {ID_GRAPH_UNIT_MBPS, A::ChooseGraphUnit, R::Always, C::None},
    // The notification-area icon's menu (Run Now waits while a run is going).
    {ID_TRAY_OPEN, A::OpenFromTray, R::Always, C::None},
    {ID_TRAY_RUN_NOW, A::RunNow, R::Always, C::None},
    {ID_TRAY_STOP_WATCHING, A::StopWatching, R::Always, C::None},
    {ID_TRAY_EXIT, A::ExitFromTray, R::Always, C::None},
};

}  // namespace

const Command* CommandTable(size_t* count) {
    *count = sizeof kCommands / sizeof kCommands[0];
    return kCommands;
}

const Command* FindCommand(uint32_t id) {
    for (const Command& command : kCommands) {
        if (command.id == id) return &command;
    }
    return nullptr;
}

bool IsEnabled(CommandRule rule, const CommandState& state) {
    switch (rule) {
        case CommandRule::Always:
            return true;
        case CommandRule::OneSelected:
            return state.selected == 1;
        case CommandRule::AnySelected:
            return state.selected > 0;
        case CommandRule::AnySelectedStopped:
            return state.selected > 0 && !state.running;
        case CommandRule::AnyRows:
            return state.rows > 0;
        case CommandRule::ItemsStopped:
            return state.items > 0 && !state.running;
        case CommandRule::Running:
            return state.running;
        case CommandRule::Stopped:
            return !state.running;
        case CommandRule::HelpFileExists:
            return state.helpFileExists;
        case CommandRule::MovableStopped:
            return state.sortedByOrder && !state.running;
    }
    return false;
}

namespace {

// The numeric option behind a check mark, or nullptr for the run history (a file name);
// one function for the settings read and the settings changed.
template <class Settings>
auto CheckedOption(CommandCheck check, Settings* settings) -> decltype(&settings->ShowGridLines) {
    switch (check) {
        case CommandCheck::ShowGridLines:
            return &settings->ShowGridLines;
        case CommandCheck::ShowInfoTip:
            return &settings->ShowInfoTip;
        case CommandCheck::ShowTimeInGmt:
            return &settings->ShowTimeInGMT;
        case CommandCheck::DontAddDisabled:
            return &settings->DontAddDisabled;
        case CommandCheck::AddExportHeaderLine:
            return &settings->AddExportHeaderLine;
        case CommandCheck::ShowSpeedGraph:
            return &settings->ShowSpeedGraph;
        case CommandCheck::None:
        case CommandCheck::KeepRunHistory:
            break;
    }
    return nullptr;
}

}  // namespace

bool IsChecked(CommandCheck check, const AppSettings& settings) {
    if (check == CommandCheck::KeepRunHistory) return !settings.HistoryFile.empty();
    const int32_t* option = CheckedOption(check, &settings);
    return option != nullptr && *option != 0;
}

bool ToggleChecked(CommandCheck check, AppSettings* settings) {
    if (check == CommandCheck::KeepRunHistory) {
        settings->HistoryFile = settings->HistoryFile.empty() ? kDefaultHistoryFile : "";
        return true;
    }
    int32_t* option = CheckedOption(check, settings);
    if (option == nullptr) return false;
    *option = *option ? 0 : 1;
    return true;
}

}  // namespace vm
