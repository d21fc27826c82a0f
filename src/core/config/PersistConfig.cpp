#include "core/config/PersistConfig.h"

#include "core/base/PathRules.h"
#include "core/config/IniProfileStore.h"
#include "core/config/SettingsExchange.h"
#include "core/ini/IniFile.h"
#include "core/ini/ProfileText.h"
#include "core/options/ConfigKeys.h"
#include "core/platform/CodePage.h"
#include "core/platform/FileReplacement.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>

namespace vm {
namespace {

constexpr uint32_t kErrorPathNotFound = 3;  // ERROR_PATH_NOT_FOUND: a folder of the path is missing

void ExchangePlacement(WindowPlacementExchange& window, ProfileStore& store) {
    uint8_t bytes[kWindowPlacementBytes] = {};
    size_t count = sizeof bytes;
    if (!store.IsLoading()) {
        WindowPlacement placement = window.CurrentPlacement();
        placement.length = kWindowPlacementBytes;
        EncodePlacement(placement, bytes);
        store.ExchangeBinary(config_key::kWinPos, bytes, &count);
        return;
    }
    store.ExchangeBinary(config_key::kWinPos, bytes, &count);
    const WindowPlacement placement = DecodePlacement(bytes);
    int32_t width = 0;
    int32_t height = 0;
    window.ScreenSize(&width, &height);
    window.PlacementLoaded(placement, PlacementIsPlausible(placement, width, height));
}

void ExchangeColumns(ColumnLayoutExchange& list, ProfileStore& store) {
    std::vector<uint8_t> bytes = list.LayoutBytes();
    size_t count = bytes.size();
    int32_t sort = store.IsLoading() ? 0 : list.SortCode();
    const bool present = store.ExchangeBinary(config_key::kColumns, bytes.data(), &count);
    store.ExchangeInt(config_key::kSort, sort, 0);
    if (!store.IsLoading()) return;
    list.SetSortCode(sort);
    if (present) list.ApplyLayoutBytes(bytes);
}

size_t SavedItemCount(const std::vector<DownloadItem>& items) {
    size_t count = 0;
    for (const DownloadItem& item : items) count += item.deleted == 0 ? 1 : 0;
    return count;
}

void SaveItems(std::vector<DownloadItem>& items, ProfileStore& store) {
    int32_t written = 0;
    for (DownloadItem& item : items) {
        if (item.deleted != 0) continue;
        ExchangeDownloadItem(item, store, written++);
    }
    store.SetSection(kGeneralSection);
    store.ExchangeInt(config_key::kNumOfDownloads, written, 0);
}

// The index of a section named as "Download%d" formats it (any letter case), or -1.
int64_t DownloadSectionIndex(std::string_view name) {
    constexpr std::string_view kPrefix = "Download";
    if (name.size() <= kPrefix.size() || !IniEqualNoCase(name.substr(0, kPrefix.size()), kPrefix)) {
        return -1;
    }
    const std::string_view digits = name.substr(kPrefix.size());
    if (digits.size() > 10 || (digits.size() > 1 && digits[0] == '0')) return -1;
    int64_t index = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        index = index * 10 + (c - '0');
    }
    return index <= INT32_MAX ? index : -1;
}

// One past the highest Download section the file holds: a count above it has nothing
// behind it but blank items.
int64_t DownloadSectionsEnd(const IniFile& file) {
    int64_t end = 0;
    file.ForEachSection([&end](std::string_view name) {
        const int64_t index = DownloadSectionIndex(name);
        if (index >= end) end = index + 1;
    });
    return end;
}

// The numbers of the Download sections at or above `from`, ascending, each once.
std::vector<int64_t> DownloadSectionsFrom(const IniFile& file, int64_t from) {
    std::vector<int64_t> indexes;
    file.ForEachSection([&indexes, from](std::string_view name) {
        const int64_t index = DownloadSectionIndex(name);
        if (index >= from) indexes.push_back(index);
    });
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    return indexes;
}

// Returns how many items the file holds: its count (cut at its last Download section),
// then every section past the count. At most kMaxDownloadItems are loaded.
int64_t LoadItems(std::vector<DownloadItem>& items, ProfileStore& store, const IniFile& file) {
    int32_t claimed = 0;
    store.ExchangeInt(config_key::kNumOfDownloads, claimed, 0);
    int64_t counted = claimed < 0 ? 0 : claimed;
    const int64_t sectionsEnd = DownloadSectionsEnd(file);
    if (counted > sectionsEnd) counted = sectionsEnd;
    const std::vector<int64_t> beyond = DownloadSectionsFrom(file, counted);
    const int64_t held = counted + static_cast<int64_t>(beyond.size());
    const int32_t count = held > kMaxDownloadItems ? kMaxDownloadItems : static_cast<int32_t>(held);
    items.reserve(items.size() + static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const int64_t section = i < counted ? i : beyond[static_cast<size_t>(i - counted)];
        DownloadItem item;
        ExchangeDownloadItem(item, store, static_cast<int32_t>(section));
        item.order = i;
        items.push_back(std::move(item));
    }
    return held;
}

// Whether a key=value line can be one: the key is a name (letters, digits, blanks and
// "_.-$"), not a fragment of JSON or prose such as `{"url":"http://x/?a` or "Note: a".
bool IsKeyLine(std::string_view line) {
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    bool named = false;
    for (char c : line.substr(0, equals)) {
        const bool alnum =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum && c != ' ' && c != '\t' && c != '_' && c != '.' && c != '-' && c != '$') {
            return false;
        }
        named = named || alnum;
    }
    return named;
}

// A file with text but neither a [section] line nor a key=value line is something else
// the user keeps under that name (a run history, notes): it must never be saved over.
bool LooksLikeConfiguration(std::string_view text) {
    bool blank = true;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
        if (line.substr(0, 3) == "\xEF\xBB\xBF") {  // a UTF-8 byte order mark
            line.remove_prefix(3);
            while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
                line.remove_prefix(1);
            }
        }
        if (line.empty()) continue;
        blank = false;
        if ((line.front() == '[' && line.find(']') != std::string_view::npos) || IsKeyLine(line)) {
            return true;
        }
    }
    return blank;
}

// Reads the file into the document; the answer says what the load found.
ConfigResult ReadConfigFile(ConfigSession& session, IniFile* file) {
    std::string bytes;
    uint32_t error = 0;
    // A name the platform would shorten or refuse names some other file, or none.
    if (session.path.size() > kMaxPath) {
        error = kErrorFilenameTooLong;
    } else if (session.fileSystem->ReadWhole(session.path, session.maxFileBytes, &bytes, &error)) {
        error = 0;
    } else if (error == kErrorFileNotFound || error == kErrorPathNotFound) {
        return ConfigResult::Missing;
    }
    if (error != 0) {
        session.error = error;
        session.saveBlocked = true;
        return ConfigResult::Unreadable;
    }
    std::string text;
    ProfileEncoding encoding = ProfileEncoding::Ansi;
    if (!DecodeProfileText(std::move(bytes), SystemCodePage(), &text, &encoding)) {
        session.problem = ConfigProblem::NulByte;
    } else if (!LooksLikeConfiguration(text)) {
        session.problem = ConfigProblem::NotConfiguration;
    } else if (!file->Parse(std::move(text))) {
        session.problem = ConfigProblem::TooManyLines;
    } else {
        return ConfigResult::Done;
    }
    session.error = kErrorInvalidData;
    session.saveBlocked = true;
    return ConfigResult::Unreadable;
}

}  // namespace

ConfigResult PersistConfig(ConfigSession& session, ConfigParts& parts, bool save) {
    if (session.noSaveLoad || (save && session.saveBlocked)) return ConfigResult::Skipped;
    session.error = 0;
    session.problem = ConfigProblem::None;
    IniFile file;
    ConfigResult result = ConfigResult::Done;
    if (!save) result = ReadConfigFile(session, &file);

    if (save && parts.items != nullptr) {
        // One growth of the document instead of many copies: about the items' text plus
        // 40 bytes of keys per item (fewer than each takes), and 2 KB for General.
        size_t itemBytes = 0;
        for (const DownloadItem& item : *parts.items) {
            if (item.deleted == 0) itemBytes += item.url.size() + item.name.size() + 40;
        }
        // Refused before a document that large is built at all.
        if (itemBytes > session.maxFileBytes || SavedItemCount(*parts.items) > kMaxDownloadItems) {
            session.error = kErrorFileTooLarge;
            return ConfigResult::TooLarge;
        }
        file.Reserve(itemBytes + 2048, parts.items->size() * 3 + 32);
    }
    IniProfileStore store(file, save ? ProfileDirection::Save : ProfileDirection::Load);
    if (parts.settings != nullptr) ExchangeAppSettings(*parts.settings, store);
    if (parts.placement != nullptr && !session.hiddenExport) {
        ExchangePlacement(*parts.placement, store);
    }
    if (parts.columns != nullptr) ExchangeColumns(*parts.columns, store);
    if (parts.items != nullptr) {
        if (save) {
            SaveItems(*parts.items, store);
        } else if (LoadItems(*parts.items, store, file) > kMaxDownloadItems) {
            // Items past the bound exist: a save would drop them.
            session.saveBlocked = true;
            session.problem = ConfigProblem::TooManyItems;
            result = ConfigResult::Truncated;
        }
    }
    if (!save) {
        session.refusedNumbers = store.RefusedNumbers();
        session.refusedCount = store.RefusedCount();
        return result;
    }

    // What the next start would refuse to load must not replace what it can.
    if (file.LineCount() > kMaxIniLines || file.SerializedSize() > session.maxFileBytes) {
        session.error = kErrorFileTooLarge;
        return ConfigResult::TooLarge;
    }
    uint32_t error = 0;
    const bool written = session.path.size() <= kMaxPath &&
                         WriteFileReplacing(
                             *session.fileSystem, session.path,
                             [&file](OutputFile& out) { return file.WriteTo(out); }, &error);
    if (written) return ConfigResult::Done;
    session.error = error != 0 ? error : kErrorFilenameTooLong;
    return ConfigResult::WriteFailed;
}

}  // namespace vm
