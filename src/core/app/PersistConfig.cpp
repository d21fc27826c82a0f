#include "app/PersistConfig.h"

#include "app/ConfigKeys.h"
#include "app/IniProfileStore.h"
#include "app/SettingsExchange.h"
#include "ini/IniFile.h"
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

void SaveItems(std::vector<DownloadItem>& items, ProfileStore& store) {
    int32_t written = 0;
    for (DownloadItem& item : items) {
        if (item.deleted != 0) continue;
        ExchangeDownloadItem(item, store, written++);
    }
    store.SetSection(kGeneralSection);
    store.ExchangeInt(config_key::kNumOfDownloads, written, 0);
}

// Returns the count the file claims; at most kMaxDownloadItems are loaded.
int32_t LoadItems(std::vector<DownloadItem>& items, ProfileStore& store) {
    int32_t claimed = 0;
    store.ExchangeInt(config_key::kNumOfDownloads, claimed, 0);
    int32_t count = claimed < 0 ? 0 : claimed;
    if (count > kMaxDownloadItems) count = kMaxDownloadItems;
    items.reserve(items.size() + static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        DownloadItem item;
        ExchangeDownloadItem(item, store, i);
        item.order = i;
        items.push_back(std::move(item));
    }
    return claimed;
}

// Reads the file into the document; the answer says what the load found.
ConfigResult ReadConfigFile(ConfigSession& session, IniFile* file) {
    std::string text;
    uint32_t error = 0;
    if (!session.fileSystem->ReadWhole(session.path, kMaxConfigFileBytes, &text, &error)) {
        if (error == kErrorFileNotFound || error == kErrorPathNotFound) return ConfigResult::kMissing;
        session.saveBlocked = true;
        return ConfigResult::kUnreadable;
    }
    if (!file->Parse(std::move(text))) {
        session.saveBlocked = true;
        return ConfigResult::kUnreadable;
    }
    return ConfigResult::kDone;
}

}  // namespace

ConfigResult PersistConfig(ConfigSession& session, ConfigParts& parts, bool save) {
    if (session.noSaveLoad || (save && session.saveBlocked)) return ConfigResult::kSkipped;
    IniFile file;
    ConfigResult result = ConfigResult::kDone;
    if (!save) result = ReadConfigFile(session, &file);

    if (save && parts.items != nullptr) {
        // One growth of the document instead of many copies: about the items' text plus
        // 40 bytes of keys per item, and 2 KB for General.
        size_t textBytes = 2048;
        for (const DownloadItem& item : *parts.items) textBytes += item.url.size() + item.name.size() + 40;
        file.Reserve(textBytes, parts.items->size() * 3 + 32);
    }
    IniProfileStore store(file, save ? ProfileDirection::kSave : ProfileDirection::kLoad);
    if (parts.settings != nullptr) ExchangeAppSettings(*parts.settings, store);
    if (parts.placement != nullptr && !session.hiddenExport) ExchangePlacement(*parts.placement, store);
    if (parts.columns != nullptr) ExchangeColumns(*parts.columns, store);
    if (parts.items != nullptr) {
        if (save) {
            SaveItems(*parts.items, store);
        } else if (LoadItems(*parts.items, store) > kMaxDownloadItems &&
                   file.HasSection(DownloadSectionName(kMaxDownloadItems))) {
            // Items past the bound exist: a save would drop them. A count without them
            // is only a damaged number.
            session.saveBlocked = true;
            result = ConfigResult::kTruncated;
        }
    }
    if (!save) return result;

    uint32_t error = 0;
    std::unique_ptr<OutputFile> out = session.fileSystem->CreateForWriting(session.path, &error);
    if (out == nullptr) return ConfigResult::kWriteFailed;
    const bool written = file.WriteTo(*out);
    return out->Close() && written ? ConfigResult::kDone : ConfigResult::kWriteFailed;
}

}  // namespace vm
