#pragma once
#include <cstddef>
#include <cstdint>

#include "core/options/AppSettings.h"

namespace vm {

// What a command does. The window binds one handler to each action, in this order; a
// command whose action serves several ids (the graph's units) reads its id.
enum class CommandAction : uint8_t {
    StartTest,
    StopTest,
    MoveToNext,
    DisableSelected,
    EnableSelected,
    DeleteSelected,
    DeleteAll,
    SaveSelected,
    CopySelected,
    AddUrlsList,
    AddUrlsFromFile,
    AddFile,
    Find,
    ChooseColumns,
    Exit,
    SelectAll,
    DeselectAll,
    ToggleListStyle,
    ToggleTimeInGmt,
    ToggleReportOption,
    ToggleRunHistory,
    SpeedHistory,
    HtmlReportAll,
    HtmlReportSelected,
    TextReportAll,
    AutoSizeColumns,
    MoveUp,
    MoveDown,
    CreateInstaller,
    CreateUserInstaller,
    OpenHelpFile,
    OpenWebPage,
    AdvancedOptions,
    Properties,
    About,
    ToggleSpeedGraph,
    CopyGraph,
    SaveGraph,
    ChooseGraphUnit,
    // Watching links: the dialog, and the notification-area icon's menu.
    RunEvery,
    OpenFromTray,
    RunNow,
    StopWatching,
    ExitFromTray,
    Count,
};
constexpr size_t kCommandActionCount = static_cast<size_t>(CommandAction::Count);

// When a command is enabled; the rules read only a CommandState.
enum class CommandRule : uint8_t {
    Always,
    OneSelected,         // exactly one row selected
    AnySelected,         // a row selected
    AnySelectedStopped,  // a row selected and no run going
    AnyRows,             // the list shows a row
    ItemsStopped,        // the list holds an item and no run is going
    Running,
    Stopped,
    HelpFileExists,
    MovableStopped,  // sorted by Download Order and no run going
};

// The option a command's menu item shows as a check mark.
enum class CommandCheck : uint8_t {
    None,
    ShowGridLines,
    ShowInfoTip,
    ShowTimeInGmt,
    DontAddDisabled,
    AddExportHeaderLine,
    ShowSpeedGraph,
    KeepRunHistory,
};

// What the enabling rules look at, taken from the window when its commands are updated.
struct CommandState {
    bool running = false;
    size_t selected = 0;  // selected rows
    size_t rows = 0;      // rows the list shows
    size_t items = 0;     // items the list holds, hidden ones too
    bool sortedByOrder = false;
    bool helpFileExists = false;
};

// One menu, toolbar or accelerator command.
struct Command {
    uint32_t id;
    CommandAction action;
    CommandRule enabled;
    CommandCheck check;
};

// Every command of the main menu, the list's and the graph's context menus, the toolbar
// and the accelerators.
const Command* CommandTable(size_t* count);
// The command of an id, or nullptr for an id that is none of them.
const Command* FindCommand(uint32_t id);

[[nodiscard]] bool IsEnabled(CommandRule rule, const CommandState& state);
// Whether the check mark is on; false for CommandCheck::None.
[[nodiscard]] bool IsChecked(CommandCheck check, const AppSettings& settings);
// Turns the option of a check mark over. The run history's switch names the default file
// when it turns on and forgets the name when it turns off. Returns false for None.
bool ToggleChecked(CommandCheck check, AppSettings* settings);

}  // namespace vm
