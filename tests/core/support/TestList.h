#pragma once
#include <cstdint>
#include <string>

#include "core/list/DownloadListView.h"
#include "core/list/SortCode.h"
#include "core/options/AppSettings.h"
#include "support/FakeListControl.h"
#include "support/FakeTimeText.h"
#include "support/FakeTranslation.h"

namespace vm::test {

// A download list as the reports see it: built-in texts, a fixed time-of-day format, a
// fake list control, rows in download order. Shared by the list, report and JSON tests,
// the report fuzz target and the CSV tool; a test fixture derives from it.
class TestList {
public:
    explicit TestList(int32_t sortCode = kColumnOrder) {
        list.AttachControl(&control);
        list.SetSortCode(sortCode);
    }
    TestList(const TestList&) = delete;
    TestList& operator=(const TestList&) = delete;

    // Appends the item, numbered after the last one.
    DownloadItem& Add(DownloadItem item) {
        item.order = static_cast<int32_t>(list.ItemCount());
        return list.AddItem(item);
    }
    DownloadItem& Add(const std::string& url, const std::string& name) {
        return Add(DownloadItem(url, name, 0));
    }

    ScopedTranslation builtinTexts{nullptr};
    AppSettings settings;
    FakeTimeText timeText;
    FakeListControl control;
    DownloadListView list{settings, &timeText};
};

}  // namespace vm::test
