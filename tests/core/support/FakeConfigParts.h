#pragma once
#include <string>
#include <vector>

#include "core/config/ColumnLayoutExchange.h"
#include "core/config/PersistConfig.h"
#include "core/config/WindowPlacement.h"
#include "core/list/ColumnLayout.h"

namespace vm::test {

// The main window's side of the placement exchange, on a 1024 x 768 screen.
class FakeWindow : public WindowPlacementExchange {
public:
    WindowPlacement current;
    WindowPlacement loaded;
    int loads = 0;
    bool applied = false;

    WindowPlacement CurrentPlacement() override { return current; }
    void PlacementLoaded(const WindowPlacement& placement, bool apply) override {
        ++loads;
        loaded = placement;
        applied = apply;
    }
    void ScreenSize(int32_t* width, int32_t* height) override {
        *width = 1024;
        *height = 768;
    }
};

// The list's side of the column exchange: nine columns at their default widths.
class FakeColumns : public ColumnLayoutExchange {
public:
    std::vector<uint8_t> layout = {0x2C, 1, 0, 0, 0x96, 0, 1, 0, 100, 0, 2, 0,
                                   100,  0, 3, 0, 100,  0, 4, 0, 100, 0, 5, 0,
                                   120,  0, 6, 0, 110,  0, 7, 0, 110, 0, 8, 0};
    int32_t sort = 0;
    int applies = 0;

    std::vector<uint8_t> LayoutBytes() override { return layout; }
    int32_t SortCode() const override { return sort; }
    bool ApplyLayoutBytes(const std::vector<uint8_t>& bytes) override {
        ++applies;
        ColumnLayout rule(bytes.size() / kLayoutBytesPerColumn);  // the list's acceptance rule
        if (!rule.ApplyBytes(bytes.data(), bytes.size())) return false;
        layout = bytes;
        return true;
    }
    void SetSortCode(int32_t code) override { sort = code; }
};

// Settings and items kept in one file of a file system, without placement or columns.
struct ConfigOnFile {
    ConfigSession session;
    AppSettings settings;
    std::vector<DownloadItem> items;
    ConfigParts parts;

    ConfigOnFile(FileSystem& fs, const std::string& path) {
        session.fileSystem = &fs;
        session.path = path;
        parts.settings = &settings;
        parts.items = &items;
    }
    ConfigResult Load() { return PersistConfig(session, parts, false); }
    ConfigResult Save() { return PersistConfig(session, parts, true); }
};

}  // namespace vm::test
