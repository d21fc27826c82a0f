#include "core/app/Commands.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "resource.h"

namespace vm {
namespace {

// States that tell every rule apart: running or not, no/one/two selected rows, rows
// hidden or shown, sorted by order or not, with and without a help file.
std::vector<CommandState> SampleStates() {
    std::vector<CommandState> states;
    for (int running = 0; running < 2; ++running) {
        for (size_t selected : {0, 1, 2}) {
            for (size_t rows : {0, 3}) {
                for (size_t items : {0, 3}) {
                    for (int order = 0; order < 2; ++order) {
                        for (int help = 0; help < 2; ++help) {
                            if (selected > rows || rows > items) continue;
                            CommandState state;
                            state.running = running != 0;
                            state.selected = selected;
                            state.rows = rows;
                            state.items = items;
                            state.sortedByOrder = order != 0;
                            state.helpFileExists = help != 0;
                            states.push_back(state);
                        }
                    }
                }
            }
        }
    }
    return states;
}

TEST(Commands, EachCommandIsEnabledExactlyWhenItsRuleSays) {
    using S = const CommandState&;
    // The commands the program greys out, each with when it may be used; every other
    // command stays usable, Add File and Properties' neighbours during a run included.
    const std::map<uint32_t, std::function<bool(S)>> rules = {
        {ID_PROPERTIES, [](S s) { return s.selected == 1; }},
        {ID_SAVE_SELECTED, [](S s) { return s.selected > 0; }},
        {ID_COPY_SELECTED, [](S s) { return s.selected > 0; }},
        {ID_DISABLE_SELECTED, [](S s) { return s.selected > 0; }},
        {ID_ENABLE_SELECTED, [](S s) { return s.selected > 0; }},
        {ID_HTML_REPORT_SELECTED, [](S s) { return s.selected > 0; }},
        {ID_DELETE_SELECTED, [](S s) { return s.selected > 0 && !s.running; }},
        {ID_HTML_REPORT_ALL, [](S s) { return s.rows > 0; }},
        {ID_AUTO_SIZE_COLUMNS, [](S s) { return s.rows > 0; }},
        {ID_FIND, [](S s) { return s.rows > 0; }},
        {ID_DELETE_ALL, [](S s) { return s.items > 0 && !s.running; }},
        {ID_START_TEST, [](S s) { return s.items > 0 && !s.running; }},
        {ID_STOP_TEST, [](S s) { return s.running; }},
        {ID_MOVE_TO_NEXT, [](S s) { return s.running; }},
        {ID_ADD_URLS_LIST, [](S s) { return !s.running; }},
        {ID_ADD_URLS_FROM_FILE, [](S s) { return !s.running; }},
        {ID_OPEN_HELP_FILE, [](S s) { return s.helpFileExists; }},
        {ID_MOVE_UP, [](S s) { return s.sortedByOrder && !s.running; }},
        {ID_MOVE_DOWN, [](S s) { return s.sortedByOrder && !s.running; }},
    };
    size_t count = 0;
    const Command* table = CommandTable(&count);
    for (size_t i = 0; i < count; ++i) {
        const auto rule = rules.find(table[i].id);
        for (const CommandState& s : SampleStates()) {
            const bool expected = rule == rules.end() || rule->second(s);
            EXPECT_EQ(IsEnabled(table[i].enabled, s), expected)
                << "command " << table[i].id << ": running " << s.running << ", selected "
                << s.selected << ", rows " << s.rows << ", items " << s.items << ", by order "
                << s.sortedByOrder << ", help " << s.helpFileExists;
        }
    }
    for (const auto& rule : rules) EXPECT_NE(FindCommand(rule.first), nullptr) << rule.first;
}

TEST(Commands, CheckMarksShowAndTurnTheirOptions) {
    const struct {
        uint32_t id;
        std::function<bool(const AppSettings&)> on;
    } checks[] = {
        {ID_SHOW_GRID_LINES, [](const AppSettings& s) { return s.ShowGridLines != 0; }},
        {ID_SHOW_TOOLTIPS, [](const AppSettings& s) { return s.ShowInfoTip != 0; }},
        {ID_SHOW_TIME_IN_GMT, [](const AppSettings& s) { return s.ShowTimeInGMT != 0; }},
        {ID_DONT_ADD_DISABLED, [](const AppSettings& s) { return s.DontAddDisabled != 0; }},
        {ID_ADD_HEADER_LINE, [](const AppSettings& s) { return s.AddExportHeaderLine != 0; }},
        {ID_SPEED_GRAPH, [](const AppSettings& s) { return s.ShowSpeedGraph != 0; }},
        {ID_KEEP_RUN_HISTORY, [](const AppSettings& s) { return !s.HistoryFile.empty(); }},
    };
    size_t checked = 0;
    size_t count = 0;
    const Command* table = CommandTable(&count);
    for (size_t i = 0; i < count; ++i) checked += table[i].check != CommandCheck::None;
    EXPECT_EQ(checked, sizeof checks / sizeof checks[0]);
    for (const auto& row : checks) {
        const Command* command = FindCommand(row.id);
        ASSERT_NE(command, nullptr) << row.id;
        AppSettings settings;
        for (int turn = 0; turn < 2; ++turn) {
            const bool before = row.on(settings);
            EXPECT_EQ(IsChecked(command->check, settings), before) << row.id;
            EXPECT_TRUE(ToggleChecked(command->check, &settings)) << row.id;
            EXPECT_NE(row.on(settings), before) << row.id;  // and back on the second turn
        }
    }
    AppSettings settings;
    EXPECT_FALSE(ToggleChecked(CommandCheck::None, &settings));
    EXPECT_FALSE(IsChecked(CommandCheck::None, settings));
}

// The values of the ID_ names in resource.h.
std::map<std::string, uint32_t> ResourceIds() {
    std::ifstream file(VM_RESOURCE_DIR "/resource.h");
    std::map<std::string, uint32_t> ids;
    const std::regex define(R"(#define\s+(ID_\w+)\s+(\d+))");
    std::string line;
    std::smatch match;
    while (std::getline(file, line)) {
        if (std::regex_search(line, match, define)) ids[match[1]] = std::stoul(match[2]);
    }
    return ids;
}

TEST(Commands, EveryMenuItemAndKeyHasOneRowAndEveryActionARow) {
    const std::map<std::string, uint32_t> ids = ResourceIds();
    ASSERT_FALSE(ids.empty()) << VM_RESOURCE_DIR;
    for (const char* name : {"menus.rc", "accelerators.rc"}) {
        std::ifstream file(std::string(VM_RESOURCE_DIR "/") + name);
        ASSERT_TRUE(file) << name;
        std::stringstream text;
        text << file.rdbuf();
        const std::string source = text.str();
        const std::regex use(R"(\b(ID_\w+)\b)");
        for (std::sregex_iterator it(source.begin(), source.end(), use), end; it != end; ++it) {
            const std::string id = (*it)[1];
            ASSERT_EQ(ids.count(id), 1u) << id << " in " << name;
            EXPECT_NE(FindCommand(ids.at(id)), nullptr) << id << " in " << name;
        }
    }
    size_t count = 0;
    const Command* table = CommandTable(&count);
    std::set<uint32_t> seen;
    std::set<CommandAction> actions;
    for (size_t i = 0; i < count; ++i) {
        EXPECT_TRUE(seen.insert(table[i].id).second) << "twice: " << table[i].id;
        actions.insert(table[i].action);
    }
    EXPECT_EQ(actions.size(), kCommandActionCount);  // no handler without a command
    EXPECT_EQ(FindCommand(0), nullptr);
}

}  // namespace
}  // namespace vm
