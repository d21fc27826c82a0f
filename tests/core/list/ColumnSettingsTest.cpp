#include <gtest/gtest.h>

#include <vector>

#include "core/list/ColumnSettings.h"

namespace vm {
namespace {

const std::vector<int> kDefaults = {300, 150, 100, 100, 100, 100, 120, 110, 110};

std::vector<ColumnLayoutEntry> DefaultLayout() {
    std::vector<ColumnLayoutEntry> entries(kDefaults.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        entries[i].width = static_cast<int16_t>(kDefaults[i]);
        entries[i].position = static_cast<int16_t>(i);
    }
    return entries;
}

std::vector<int> RowColumns(const ColumnSettings& settings) {
    std::vector<int> columns;
    for (const ColumnSettingsRow& row : settings.Rows()) columns.push_back(row.column);
    return columns;
}

TEST(ColumnSettingsTest, RowsFollowTheDisplayOrderAndHiddenColumnsGetTheirDefaultWidth) {
    std::vector<ColumnLayoutEntry> layout = DefaultLayout();
    std::swap(layout[0].position, layout[2].position);  // Status dragged to the front
    layout[1].width = 0;                                // Name hidden
    ColumnSettings settings(kDefaults, layout);
    settings.Fill();
    EXPECT_EQ(RowColumns(settings), (std::vector<int>{2, 1, 0, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(settings.Row(0).selected);
    EXPECT_FALSE(settings.Row(1).checked);
    EXPECT_EQ(settings.RowWidth(1), 150);
    EXPECT_FALSE(settings.CanMoveUp(0));
    EXPECT_FALSE(settings.CanMoveDown(8));
    EXPECT_TRUE(settings.CanShow(1));
    EXPECT_FALSE(settings.CanHide(1));

    // Checking it again shows it with its default width.
    settings.SetChecked(1, true);
    const std::vector<ColumnLayoutEntry> committed = settings.Commit();
    EXPECT_EQ(committed[1].width, 150);
    EXPECT_EQ(committed[2].position, 0);
    EXPECT_EQ(committed[0].position, 2);
}

TEST(ColumnSettingsTest, MovesCarryCheckAndSelectionWithTheRow) {
    ColumnSettings settings(kDefaults, DefaultLayout());
    settings.Fill();
    settings.SetSelected(0, false);
    settings.SetSelected(3, true);
    settings.SetSelected(5, true);
    settings.SetChecked(5, false);
    settings.MoveUp();
    EXPECT_EQ(RowColumns(settings), (std::vector<int>{0, 1, 3, 2, 5, 4, 6, 7, 8}));
    EXPECT_TRUE(settings.Row(2).selected && settings.Row(4).selected);
    EXPECT_FALSE(settings.Row(4).checked);
    settings.MoveDown();
    settings.MoveDown();
    EXPECT_EQ(RowColumns(settings), (std::vector<int>{0, 1, 2, 4, 3, 6, 5, 7, 8}));

    // The last row has nowhere to go.
    ColumnSettings last(kDefaults, DefaultLayout());
    last.Fill();
    last.SetSelected(0, false);
    last.SetSelected(8, true);
    last.MoveDown();
    EXPECT_EQ(RowColumns(last), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(ColumnSettingsTest, OnlyWidthsFromOneTo999ForOneSelectedRowAreTaken) {
    ColumnSettings settings(kDefaults, DefaultLayout());
    settings.Fill();
    const struct {
        const char* text;
        bool taken;
        int width;
    } cases[] = {
        {"55", true, 55},     {"0", false, 55}, {"", false, 55},  {"999", true, 999},
        {"1000", false, 999}, {"1", true, 1},   {"-5", false, 1}, {"12a", false, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(settings.TypeWidth(c.text), c.taken) << c.text;
        EXPECT_EQ(settings.RowWidth(0), c.width) << c.text;
    }
    settings.SetSelected(1, true);  // two rows selected: ignored
    EXPECT_FALSE(settings.TypeWidth("77"));
    settings.SetSelected(0, false);
    settings.SetSelected(1, false);
    EXPECT_FALSE(settings.TypeWidth("77"));
}

TEST(ColumnSettingsTest, ColumnsWithOutOfRangePositionsAreStillOffered) {
    std::vector<ColumnLayoutEntry> layout = DefaultLayout();
    layout[2].position = 40;
    layout[5].position = -1;
    ColumnSettings settings(kDefaults, layout);
    settings.Fill();
    EXPECT_EQ(RowColumns(settings), (std::vector<int>{0, 1, 3, 4, 6, 7, 8, 2, 5}));
    const std::vector<ColumnLayoutEntry> committed = settings.Commit();
    std::vector<bool> seen(committed.size(), false);
    for (const ColumnLayoutEntry& e : committed) seen.at(static_cast<size_t>(e.position)) = true;
    for (bool s : seen) EXPECT_TRUE(s);
}

}  // namespace
}  // namespace vm
