#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/list/ItemCells.h"
#include "support/TestList.h"

namespace vm {
namespace {

// The list starts in its own default order (by URL) here.
class DownloadListViewTest : public ::testing::Test, protected test::TestList {
protected:
    DownloadListViewTest() : TestList(kDefaultSortCode) {}

    DownloadItem& Add(const std::string& name, uint64_t bytes = 0) {
        DownloadItem item("http://host/" + name, name, 0);
        item.bytes = bytes;
        return TestList::Add(item);
    }

    // Item names in row order.
    std::vector<std::string> RowNames() {
        std::vector<std::string> names;
        for (size_t row = 0; row < list.RowCount(); ++row) {
            size_t index = 0;
            EXPECT_TRUE(list.ItemOfRow(row, &index));
            names.push_back(list.ItemAt(index).name);
        }
        return names;
    }
    std::vector<std::string> StorageNames() {
        std::vector<std::string> names;
        for (const DownloadItem& item : list.Items()) names.push_back(item.name);
        return names;
    }
    std::vector<int32_t> Orders() {
        std::vector<int32_t> orders;
        for (const DownloadItem& item : list.Items()) orders.push_back(item.order);
        return orders;
    }
    std::vector<std::string> SelectedNames() {
        std::vector<std::string> names;
        for (size_t row : control.Selected()) names.push_back(RowNames()[row]);
        return names;
    }
};

using Names = std::vector<std::string>;

TEST_F(DownloadListViewTest, ReloadListsItemsInStorageOrderAndSelectsRowZero) {
    Add("b");
    Add("a");
    Add("c");
    list.SetSortCode(kColumnOrder);
    list.Reload();
    EXPECT_EQ(RowNames(), (Names{"b", "a", "c"}));
    EXPECT_EQ(control.state.size(), 3u);
    EXPECT_EQ(control.Selected(), (std::vector<size_t>{0}));
    EXPECT_EQ(control.FocusedRow(), 0);
}

TEST_F(DownloadListViewTest, SortRulesByColumn) {
    // Byte counts whose texts sort differently from their values.
    Add("beta", 10240);
    Add("Alpha", 2048);
    Add("gamma", 307200);
    Add("alpha2", 0);
    for (DownloadItem& item : list.Items()) item.status = DownloadStatus::Finished;
    list.Reload();
    struct Case {
        int32_t code;
        Names rows;
    } cases[] = {
        {kColumnName, {"Alpha", "alpha2", "beta", "gamma"}},
        {kColumnName | kSortDescending, {"gamma", "beta", "alpha2", "Alpha"}},
        {kColumnDownloaded, {"alpha2", "Alpha", "beta", "gamma"}},
        {kColumnDownloaded | kSortDescending, {"gamma", "beta", "Alpha", "alpha2"}},
        {kColumnOrder, {"beta", "Alpha", "gamma", "alpha2"}},
        {kColumnOrder | kSortDescending, {"alpha2", "gamma", "Alpha", "beta"}},
    };
    for (const Case& c : cases) {
        list.Sort(c.code, false);
        EXPECT_EQ(RowNames(), c.rows) << c.code;
        EXPECT_EQ(list.SortCode(), c.code);
        EXPECT_EQ(list.AppliedSortCode(), c.code);
        EXPECT_EQ(control.arrowColumn, SortColumn(c.code));
        EXPECT_EQ(control.arrowDescending, SortIsDescending(c.code));
    }
}

TEST_F(DownloadListViewTest, TextSortIgnoresCaseAndKeepsEqualRowsInPlace) {
    Add("same");
    Add("SAME");
    Add("Same");
    Add("[x");  // '[' sorts before every letter folded to lower case
    list.Reload();
    list.Sort(kColumnName, false);
    EXPECT_EQ(RowNames(), (Names{"[x", "same", "SAME", "Same"}));
}

TEST_F(DownloadListViewTest, HeaderClicksToggleTheSameColumnAndStartAnotherAscending) {
    Add("b");
    Add("a");
    list.Reload();
    list.Sort(kColumnName, true);  // from the default, URL ascending
    EXPECT_EQ(list.SortCode(), kColumnName);
    EXPECT_EQ(RowNames(), (Names{"a", "b"}));
    list.Sort(kColumnName, true);
    EXPECT_EQ(list.SortCode(), kColumnName | kSortDescending);
    EXPECT_EQ(RowNames(), (Names{"b", "a"}));
    EXPECT_TRUE(control.arrowDescending);
    list.Sort(kColumnStatus, true);
    EXPECT_EQ(list.SortCode(), kColumnStatus);
    EXPECT_EQ(control.arrowColumn, kColumnStatus);
    list.Sort(kSortKeepCurrent, false);
    EXPECT_EQ(list.SortCode(), kColumnStatus);
}

TEST_F(DownloadListViewTest, LoadedSortCodeTakesEffectAtTheNextReload) {
    Add("a");
    Add("c");
    Add("b");
    list.SetSortCode(kColumnName | kSortDescending);  // as stored: 4097
    EXPECT_EQ(list.AppliedSortCode(), 0);
    list.Reload();
    EXPECT_EQ(RowNames(), (Names{"c", "b", "a"}));
    EXPECT_EQ(control.arrowColumn, kColumnName);
    EXPECT_TRUE(control.arrowDescending);
    EXPECT_EQ(control.Selected(), (std::vector<size_t>{0}));
}

TEST_F(DownloadListViewTest, StoredSortCodeOfAMissingColumnKeepsTheOrder) {
    Add("b");
    Add("a");
    list.SetSortCode(kSortColumnMask | kSortDescending);
    list.Reload();
    EXPECT_EQ(RowNames(), (Names{"b", "a"}));
    EXPECT_EQ(control.arrowColumn, -1);
}

TEST_F(DownloadListViewTest, SelectionFollowsItsItemsThroughASort) {
    Add("c");
    Add("a");
    Add("b");
    list.SetSortCode(kColumnOrder);
    list.Reload();
    control.Select({0, 2});  // c and b
    control.SetRowState(2, kRowFocused, kRowFocused);
    list.Sort(kColumnName, false);
    EXPECT_EQ(RowNames(), (Names{"a", "b", "c"}));
    EXPECT_EQ(SelectedNames(), (Names{"b", "c"}));
    EXPECT_EQ(control.FocusedRow(), 1);
}

TEST_F(DownloadListViewTest, DeleteSelectedCompactsAndRenumbers) {
    for (const char* name : {"a", "b", "c", "d", "e"}) Add(name);
    list.SetSortCode(kColumnName | kSortDescending);
    list.Reload();
    control.Select({0, 2});  // e and c
    EXPECT_EQ(list.DeleteSelected(), 2u);
    EXPECT_EQ(StorageNames(), (Names{"a", "b", "d"}));
    EXPECT_EQ(Orders(), (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(RowNames(), (Names{"d", "b", "a"}));
    EXPECT_EQ(control.Selected(), (std::vector<size_t>{0}));
    control.Select({});
    EXPECT_EQ(list.DeleteSelected(), 0u);
    EXPECT_EQ(list.ItemCount(), 3u);
}

TEST_F(DownloadListViewTest, DeleteAllEmptiesStorageAndRows) {
    Add("a");
    list.Reload();
    list.DeleteAllItems();
    EXPECT_EQ(list.ItemCount(), 0u);
    EXPECT_EQ(list.RowCount(), 0u);
    EXPECT_EQ(control.state.size(), 0u);
}

struct MoveCase {
    const char* what;
    bool up;
    std::vector<size_t> selected;
    Names storage;
    std::vector<size_t> selectedAfter;
};

TEST_F(DownloadListViewTest, MoveSelectedExchangesNeighboursAndRenumbers) {
    const MoveCase cases[] = {
        {"rows 3 and 5 of 6 up", true, {2, 4}, {"a", "c", "b", "e", "d", "f"}, {1, 3}},
        {"rows 3 and 5 of 6 down", false, {2, 4}, {"a", "b", "d", "c", "f", "e"}, {3, 5}},
        {"block in the middle up", true, {2, 3}, {"a", "c", "d", "b", "e", "f"}, {1, 2}},
        {"block at the top stays", true, {0, 1}, {"a", "b", "c", "d", "e", "f"}, {0, 1}},
        {"block at the bottom stays", false, {4, 5}, {"a", "b", "c", "d", "e", "f"}, {4, 5}},
        {"top item with one below", true, {0, 3}, {"a", "b", "d", "c", "e", "f"}, {0, 2}},
    };
    for (const MoveCase& c : cases) {
        list.DeleteAllItems();
        for (const char* name : {"a", "b", "c", "d", "e", "f"}) Add(name);
        list.SetSortCode(kColumnOrder);
        list.Reload();
        control.Select({});
        for (size_t row : c.selected) control.SetRowState(row, kRowSelected, kRowSelected);
        c.up ? list.MoveSelectedUp() : list.MoveSelectedDown();
        EXPECT_EQ(StorageNames(), c.storage) << c.what;
        EXPECT_EQ(Orders(), (std::vector<int32_t>{0, 1, 2, 3, 4, 5})) << c.what;
        EXPECT_EQ(RowNames(), c.storage) << c.what;  // rows stay, contents moved
        EXPECT_EQ(control.Selected(), c.selectedAfter) << c.what;
    }
}

TEST_F(DownloadListViewTest, MovingWorksOnlyWhileSortedByOrderAscending) {
    for (const char* name : {"a", "b", "c"}) Add(name);
    list.SetSortCode(kColumnOrder | kSortDescending);
    list.Reload();
    control.Select({1});
    EXPECT_FALSE(list.CanMoveItems());
    EXPECT_FALSE(list.MoveSelectedUp());
    EXPECT_EQ(StorageNames(), (Names{"a", "b", "c"}));
}

TEST_F(DownloadListViewTest, DisableSelectedSetsTheFlagAndRedraws) {
    Add("a");
    Add("b");
    list.SetSortCode(kColumnOrder);
    list.Reload();
    control.Select({1});
    const int redraws = control.redraws;
    list.SetSelectedDisabled(true);
    EXPECT_EQ(list.ItemAt(1).disabled, 1);
    EXPECT_EQ(list.ItemAt(0).disabled, 0);
    EXPECT_EQ(control.redraws, redraws + 1);
    list.SetSelectedDisabled(false);
    EXPECT_EQ(list.ItemAt(1).disabled, 0);
}

TEST_F(DownloadListViewTest, RebuildWithoutResortKeepsRowsAndAppendsNewItems) {
    Add("b");
    Add("a");
    list.SetSortCode(kColumnName);
    list.Reload();
    control.Select({1});  // b
    Add("0");
    list.ItemAt(1).deleted = 1;  // a loses its row
    list.RebuildRows(false);
    EXPECT_EQ(RowNames(), (Names{"b", "0"}));
    EXPECT_EQ(SelectedNames(), (Names{"b"}));
}

TEST_F(DownloadListViewTest, RefreshRepaintsWithoutRelisting) {
    Add("a");
    list.Reload();
    const int counts = control.setRowCounts;
    const int redraws = control.redraws;
    list.ItemAt(0).status = DownloadStatus::Downloading;
    list.Refresh();
    EXPECT_EQ(control.setRowCounts, counts);
    EXPECT_EQ(control.redraws, redraws + 1);
    CellBuffer buffer;
    EXPECT_STREQ(list.RowCellText(0, kColumnStatus, buffer), "Downloading");
    EXPECT_EQ(list.RowImage(0), kImageRunning);
    EXPECT_STREQ(list.RowCellText(5, kColumnStatus, buffer), "");
}

// A run's changes are shown once per timer step, and never while the list is hidden: the
// change waits for the first step after the list is shown.
TEST_F(DownloadListViewTest, RunChangesRepaintOncePerStepAndOnlyWhenShown) {
    Add("a");
    list.Reload();
    struct Step {
        bool shown;
        int changes;
        bool repainted;
    } steps[] = {{true, 0, false},    {true, 1000, true}, {true, 0, false},
                 {false, 500, false}, {false, 0, false},  {true, 0, true}};
    for (const Step& step : steps) {
        control.shown = step.shown;
        const int before = control.redraws;
        for (int i = 0; i < step.changes; ++i) list.MarkChanged();
        EXPECT_EQ(list.RefreshIfChanged(), step.repainted) << (&step - steps);
        EXPECT_EQ(control.redraws - before, step.repainted ? 1 : 0) << (&step - steps);
    }
}

TEST_F(DownloadListViewTest, ImagesAndDrawColoursByItemState) {
    DownloadItem item;
    const std::pair<DownloadStatus, int> images[] = {
        {DownloadStatus::Waiting, kImageIdle},
        {DownloadStatus::Connecting, kImageRunning},
        {DownloadStatus::Downloading, kImageRunning},
        {DownloadStatus::Finished, kImageFinished},
        {DownloadStatus::Failed, kImageFailed},
        {DownloadStatus::ConnectTimeout, kImageFailed},
    };
    for (const auto& [status, image] : images) {
        item.status = status;
        EXPECT_EQ(DownloadListView::ItemImage(item), image);
        // Slow has its own image, and only once finished.
        item.belowMinSpeed = true;
        EXPECT_EQ(DownloadListView::ItemImage(item),
                  status == DownloadStatus::Finished ? kImageSlow : image);
        item.belowMinSpeed = false;
    }
    uint32_t text = 7;
    uint32_t back = 7;
    EXPECT_FALSE(DownloadListView::ItemDrawColors(item, &text, &back));
    item.disabled = 1;
    EXPECT_TRUE(DownloadListView::ItemDrawColors(item, &text, &back));
    EXPECT_EQ(text, 0u);
    EXPECT_EQ(back, kDisabledRowBackground);
}

TEST_F(DownloadListViewTest, ReportAndListHooks) {
    DownloadItem item;
    EXPECT_TRUE(DownloadListView::ItemListed(item));
    item.deleted = 1;
    EXPECT_FALSE(DownloadListView::ItemListed(item));
    item.deleted = 0;
    item.disabled = 1;
    settings.DontAddDisabled = 1;
    EXPECT_FALSE(list.ItemInReport(item));
    settings.DontAddDisabled = 0;
    EXPECT_TRUE(list.ItemInReport(item));
    for (int column = 0; column < kDownloadColumnCount; ++column) {
        EXPECT_TRUE(DownloadListView::ColumnSearchable(column));
    }
    EXPECT_FALSE(DownloadListView::ColumnSearchable(kDownloadColumnCount));
}

TEST_F(DownloadListViewTest, ProgressTextEveryFiftyItems) {
    for (int i = 0; i < 120; ++i) Add("x");
    EXPECT_EQ(control.progressTexts, (Names{"Loading... 50", "Loading... 100"}));
}

TEST_F(DownloadListViewTest, LayoutGoesThroughTheControl) {
    // Name hidden, Status moved to the front.
    std::vector<uint8_t> stored = list.LayoutBytes();
    ASSERT_EQ(stored.size(), 36u);
    stored[1 * 4] = 0;      // Name width 0
    stored[2 * 4 + 2] = 0;  // Status position 0
    stored[0 * 4 + 2] = 2;  // URL position 2
    ASSERT_TRUE(list.ApplyLayoutBytes(stored.data(), stored.size()));
    EXPECT_EQ(control.columns[1].width, 0);
    EXPECT_EQ(control.columns[2].position, 0);
    EXPECT_EQ(list.ComputeVisibleOrder(), (std::vector<int>{2, 0, 3, 4, 5, 6, 7, 8}));

    // Saving reads the control back; an unreadable column is stored as zeros.
    control.columns[8].width = 250;
    control.columns[7].readable = false;
    const std::vector<uint8_t> saved = list.LayoutBytes();
    EXPECT_EQ(saved[8 * 4], 250);
    EXPECT_EQ(saved[7 * 4], 0);
    EXPECT_EQ(saved[7 * 4 + 2], 0);
    // An unreadable column is hidden.
    EXPECT_EQ(list.ComputeVisibleOrder(), (std::vector<int>{2, 0, 3, 4, 5, 6, 8}));

    std::vector<uint8_t> bad(36, 0);
    EXPECT_FALSE(list.ApplyLayoutBytes(bad.data(), bad.size()));
    EXPECT_EQ(control.columns[1].width, 0);
}

// ---- Find ----

class DownloadListFindTest : public DownloadListViewTest {
protected:
    void SetUp() override {
        DownloadListViewTest::SetUp();
        for (const char* name : {"alpha", "Beta", "gamma", "BETA two", "delta"}) Add(name);
        list.SetSortCode(kColumnOrder);
        list.Reload();
        control.Select({});
    }
    FindRequest Request(const char* text, bool down = true, bool matchCase = false,
                        bool wholeWord = false) {
        FindRequest r;
        r.text = text;
        r.down = down;
        r.matchCase = matchCase;
        r.wholeWord = wholeWord;
        return r;
    }
};

TEST_F(DownloadListFindTest, MatchingRules) {
    struct Case {
        const char* what;
        FindRequest request;
        int64_t row;  // -1: no match
    } cases[] = {
        {"lower case finds upper case", Request("beta"), 1},
        {"match case refuses other case", Request("beta", true, true), -1},
        {"match case finds same case", Request("BETA", true, true), 3},
        {"whole word needs the whole cell", Request("beta", true, false, true), 1},
        {"whole word refuses a part", Request("two", true, false, true), -1},
        {"whole word match case", Request("BETA two", true, true, true), 3},
        {"status column searched", Request("waiting"), 0},
        {"empty text matches the first row", Request(""), 0},
        {"URL searched", Request("HOST/DELTA"), 4},
    };
    for (const auto& c : cases) {
        control.Select({});
        EXPECT_EQ(list.FindNext(c.request), c.row >= 0) << c.what;
        if (c.row >= 0) {
            EXPECT_EQ(control.Selected(), (std::vector<size_t>{static_cast<size_t>(c.row)}))
                << c.what;
            EXPECT_EQ(control.FocusedRow(), c.row) << c.what;
            EXPECT_EQ(control.lastEnsured, c.row) << c.what;
        } else {
            EXPECT_TRUE(control.Selected().empty()) << c.what;
        }
    }
}

TEST_F(DownloadListFindTest, HiddenColumnsAreStillSearched) {
    std::vector<uint8_t> stored = list.LayoutBytes();
    stored[1 * 4] = 0;  // hide Name
    ASSERT_TRUE(list.ApplyLayoutBytes(stored.data(), stored.size()));
    list.ItemAt(2).SetUrl("ftp://elsewhere/");
    EXPECT_TRUE(list.FindNext(Request("gamma", true, false, true)));
    EXPECT_EQ(control.Selected(), (std::vector<size_t>{2}));
}

TEST_F(DownloadListFindTest, SearchWrapsAroundInBothDirections) {
    control.Select({3});
    EXPECT_TRUE(list.FindNext(Request("beta")));
    EXPECT_EQ(control.Selected(), (std::vector<size_t>{1}));  // wrapped to the top
    EXPECT_TRUE(list.FindNext(Request("beta")));
    EXPECT_EQ(control.Selected(), (std::vector<size_t>{3}));

    control.Select({0});
    EXPECT_TRUE(list.FindNext(Request("host", false)));
    EXPECT_EQ(control.Selected(), (std::vector<size_t>{4}));  // up from row 0: the last row

    control.Select({2});
    EXPECT_TRUE(list.FindNext(Request("gamma")));  // the only match, found again
    EXPECT_EQ(control.Selected(), (std::vector<size_t>{2}));
    EXPECT_TRUE(list.FindNext(Request("gamma", false)));
    EXPECT_EQ(control.Selected(), (std::vector<size_t>{2}));
}

TEST_F(DownloadListFindTest, NoMatchChangesNothing) {
    control.Select({1, 2});
    EXPECT_FALSE(list.FindNext(Request("nowhere")));
    EXPECT_EQ(control.Selected(), (std::vector<size_t>{1, 2}));
    list.DeleteAllItems();
    EXPECT_FALSE(list.FindNext(Request("")));
}

TEST(DownloadListTextTest, CompareTextNoCase) {
    EXPECT_EQ(CompareTextNoCase("abc", "ABC"), 0);
    EXPECT_LT(CompareTextNoCase("abc", "ABD"), 0);
    EXPECT_GT(CompareTextNoCase("b", "A"), 0);
    EXPECT_LT(CompareTextNoCase("ab", "abc"), 0);
    EXPECT_LT(CompareTextNoCase("_", "a"), 0);     // letters fold to lower case
    EXPECT_GT(CompareTextNoCase("\xE4", "z"), 0);  // high bytes compare unsigned
}

// ---- Many items ----

TEST_F(DownloadListViewTest, HundredThousandItems) {
    constexpr size_t kCount = 100000;
    list.Items().reserve(kCount);
    for (size_t i = 0; i < kCount; ++i) {
        DownloadItem item;
        item.order = static_cast<int32_t>(i);
        item.url = "http://h/" + std::to_string((i * 7919) % kCount);
        item.name = (i % 3) ? "Name" : "name";
        item.bytes = (i * 104729) % 1000003;
        item.duration = static_cast<uint32_t>((i * 31) % 5000 + 1);
        item.status = (i % 2) ? DownloadStatus::Finished : DownloadStatus::Failed;
        item.startTime = 0x01D0000000000000ULL + (i * 13) % 1000 * 10000000ULL;
        item.RecomputeSpeed(0);
        list.AddItem(item);
    }
    list.Reload();
    ASSERT_EQ(list.RowCount(), kCount);
    for (int column = 0; column < kDownloadColumnCount; ++column) {
        for (int32_t flag : {0, kSortDescending}) {
            list.Sort(column | flag, false);
            for (size_t row = 1; row < kCount; row += 97) {
                size_t a = 0;
                size_t b = 0;
                ASSERT_TRUE(list.ItemOfRow(row - 1, &a));
                ASSERT_TRUE(list.ItemOfRow(row, &b));
                const int r = list.CompareItems(column, list.ItemAt(a), list.ItemAt(b));
                ASSERT_TRUE(flag ? r >= 0 : r <= 0) << column << " row " << row;
            }
        }
    }
    list.SetSortCode(kColumnOrder);
    list.Reload();
    control.Select({kCount - 1});
    EXPECT_TRUE(list.FindNext(FindRequest{"http://h/0", true, true, true}));
    EXPECT_EQ(control.Selected(), (std::vector<size_t>{0}));
    control.SetRowState(kAllRows, kRowSelected, kRowSelected);
    control.SetRowState(0, 0, kRowSelected);
    EXPECT_EQ(list.DeleteSelected(), kCount - 1);
    EXPECT_EQ(list.ItemCount(), 1u);
    EXPECT_EQ(list.ItemAt(0).order, 0);
}

}  // namespace
}  // namespace vm
