#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/AppSettings.h"
#include "app/ColumnLayoutExchange.h"
#include "app/WindowPlacement.h"
#include "engine/DownloadItem.h"
#include "platform/FileSystem.h"

namespace vm {

// Largest configuration file read: 500,000 items of ~130 bytes. A larger file is left
// alone (see ConfigSession::saveBlocked).
constexpr size_t kMaxConfigFileBytes = 64u << 20;
// Most items a load creates, whatever NumOfDownloads says: about 100 MB of items at most,
// and every count the program itself can have saved within the file bound.
constexpr int32_t kMaxDownloadItems = 500'000;

constexpr const char kConfigFileSuffix[] = ".cfg";

// Where and whether the configuration is read and written; built at start-up.
struct ConfigSession {
    FileSystem* fileSystem = nullptr;
    std::string path;
    bool noSaveLoad = false;    // "/nosaveload": the file is neither read nor written
    bool hiddenExport = false;  // "/hidden" with an export switch: the placement is left out
    // Set by a load that found the file but could not take it whole (unreadable, above the
    // size, line or item bound): saving would replace the user's list with an empty or
    // shortened one, so it is off.
    bool saveBlocked = false;
};

// What a load fills and a save writes. Placement and columns may be absent (tests, tools).
struct ConfigParts {
    AppSettings* settings = nullptr;
    std::vector<DownloadItem>* items = nullptr;  // a load appends; the caller refills rows
    WindowPlacementExchange* placement = nullptr;
    ColumnLayoutExchange* columns = nullptr;
};

enum class ConfigResult {
    kDone,
    kSkipped,      // /nosaveload, or a save after a load that blocked saving
    kMissing,      // load: no file; defaults and an empty list
    kUnreadable,   // load: the file exists but was not taken; defaults, saving blocked
    kTruncated,    // load: items past kMaxDownloadItems exist; that many loaded, saving blocked
    kWriteFailed,  // save: the file could not be created or written (not reported)
};

// The whole load or save of the configuration file. The file is read once and written
// once; a written file holds the 26 keys of General in order, then Download0, Download1 ...
ConfigResult PersistConfig(ConfigSession& session, ConfigParts& parts, bool save);

}  // namespace vm
