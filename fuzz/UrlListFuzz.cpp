// The URL list parser on arbitrary text: every item it appends is a whole part of one line, passes
// the acceptance rule and carries its position as its order; no more items than lines.
// Then the rows sorted by URL and by name, both ways, must be in the comparison's order.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/app/UrlList.h"
#include "core/base/TextMatch.h"
#include "core/list/DownloadListView.h"
#include "core/options/AppSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    vm::AppSettings settings;
    vm::DownloadListView list(settings, nullptr);
    list.AddItem(vm::DownloadItem("http://first/", "", 0));
    const size_t added = vm::ParseUrlList(list, text);
    if (list.ItemCount() != added + 1) std::abort();

    size_t lineEnds = 0;
    for (char c : text) lineEnds += (c == '\r' || c == '\n') ? 1 : 0;
    if (added > lineEnds + 1) std::abort();

    for (size_t i = 0; i < list.ItemCount(); ++i) {
        const vm::DownloadItem& item = list.ItemAt(i);
        if (item.order != static_cast<int32_t>(i)) std::abort();
        // URL and name are kept whole, never cut: together no longer than the text.
        if (i > 0 && item.url.size() + item.name.size() > text.size()) std::abort();
        if (!vm::IsAcceptedUrl(item.url)) std::abort();
        if (item.url.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) std::abort();
        if (!item.name.empty() && item.name[0] == ' ') std::abort();
    }

    for (int32_t code : {0, vm::kSortDescending, 1, 1 | vm::kSortDescending}) {
        list.SetSortCode(code);
        list.Reload();
        if (list.RowCount() != list.ItemCount()) std::abort();
        const bool descending = (code & vm::kSortDescending) != 0;
        for (size_t row = 1; row < list.RowCount(); ++row) {
            size_t a = 0;
            size_t b = 0;
            if (!list.ItemOfRow(row - 1, &a) || !list.ItemOfRow(row, &b)) std::abort();
            const std::string& x = (code & 1) ? list.ItemAt(a).name : list.ItemAt(a).url;
            const std::string& y = (code & 1) ? list.ItemAt(b).name : list.ItemAt(b).url;
            const int r = vm::CompareTextNoCase(x.c_str(), y.c_str());
            if (descending ? r < 0 : r > 0) std::abort();
        }
    }
    return 0;
}
