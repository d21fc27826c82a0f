#include "core/app/UrlList.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/base/TextUtil.h"
#include "core/base/UrlKind.h"
#include "core/config/PersistConfig.h"
#include "core/lang/StringTable.h"
#include "core/list/DownloadListView.h"
#include "core/platform/FileSystem.h"

namespace vm {

bool IsAcceptedUrl(const std::string& url) {
    const size_t scheme = url.find("://");
    if (scheme != std::string::npos && scheme >= kMinSchemeLength && scheme <= kMaxSchemeLength) {
        return true;
    }
    return IsLocalPath(url);
}

bool ParseUrlListLine(const std::string& line, UrlListLine* out) {
    size_t separator = std::string::npos;
    if (!line.empty() && line[0] == '"') {
        const size_t closingQuote = line.find('"', 1);
        if (closingQuote == std::string::npos) {
            out->url.assign(line);  // no closing quote: the whole line, quote included
        } else {
            out->url.assign(line, 1, closingQuote - 1);
            separator = line.find(' ', closingQuote + 1);
        }
    } else {
        separator = line.find(' ');
        out->url.assign(line, 0, separator);
    }
    out->name.clear();
    if (separator != std::string::npos) {
        // The spaces after the separating one are skipped; the rest, trailing spaces
        // included, is the name.
        const size_t start = line.find_first_not_of(' ', separator);
        if (start != std::string::npos) {
            out->name.assign(line, start, std::string::npos);
        }
    }
    return IsAcceptedUrl(out->url);
}

size_t ParseUrlList(DownloadListView& list, const std::string& text) {
    const size_t end = std::strlen(text.c_str());
    const std::string shortened = end < text.size() ? text.substr(0, end) : std::string();
    const std::string& lines = end < text.size() ? shortened : text;
    // The list never grows past what a configuration load takes back, so that what is
    // added can also be saved and read again.
    const size_t limit = static_cast<size_t>(kMaxDownloadItems);
    if (list.ItemCount() >= limit) return 0;
    // One item per line at most: room for all of them up front spares the copies of a
    // growing array, which dominate long lists.
    size_t lineEnds = 0;
    for (char c : lines) lineEnds += (c == '\n' || c == '\r') ? 1 : 0;
    list.Items().reserve(list.ItemCount() + std::min(lineEnds + 1, limit - list.ItemCount()));
    size_t added = 0;
    size_t position = 0;
    std::string line;
    UrlListLine parsed;
    // Whole lines: a URL cut at a line bound would fetch something else.
    while (ReadLine(lines, &position, &line, std::string::npos)) {
        if (list.ItemCount() >= limit) break;
        if (!ParseUrlListLine(line, &parsed)) continue;
        DownloadItem item;
        item.order = static_cast<int32_t>(list.ItemCount());
        item.url = parsed.url;
        item.name = parsed.name;
        list.AddItem(std::move(item));
        ++added;
    }
    return added;
}

bool ReadUrlListFile(FileSystem& files, const std::string& path, DownloadListView& list,
                     size_t* added) {
    std::string content;
    uint32_t error = 0;
    if (added != nullptr) *added = 0;
    if (!files.ReadWhole(path, kMaxUrlListFileBytes, &content, &error)) return false;
    const size_t count = ParseUrlList(list, content);
    if (added != nullptr) *added = count;
    return true;
}

bool AddLocalFile(DownloadListView& list, const std::string& path) {
    if (list.ItemCount() >= static_cast<size_t>(kMaxDownloadItems)) return false;
    DownloadItem item(path, FileNamePart(path), static_cast<int32_t>(list.ItemCount()));
    list.AddItem(std::move(item));
    return true;
}

const char* AddFileFilterName() {
    const char* translated = GetString(IDS_URL_INPUT_HINT);
    return translated[0] != '\0' ? translated : GetString(IDS_ADD_FILE_FILTER);
}

}  // namespace vm
