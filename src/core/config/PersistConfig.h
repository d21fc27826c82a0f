#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/config/ColumnLayoutExchange.h"
#include "core/config/ProfileStore.h"
#include "core/config/WindowPlacement.h"
#include "core/engine/DownloadItem.h"
#include "core/options/AppSettings.h"
#include "core/platform/FileSystem.h"

namespace vm {

// Largest configuration file read and written: 256 MiB. A 32-bit process holds the file's
// text and its items at once, about twice the file (bench/config-bound-bench.sh under
// Wine, items at their longest: 256 MiB save and load in ~1.4 s each with a 536 MB peak;
// 512 MiB still loads with 1.07 GB; 768 MiB runs out of address space), so the bound keeps
// half of what a fresh process can hold in reserve for a fragmented one. A save that would
// pass it is refused, so the program never writes a file that it would not load.
constexpr size_t kMaxConfigFileBytes = 256u << 20;
// Most items a load creates and a save writes, whatever NumOfDownloads says.
constexpr int32_t kMaxDownloadItems = 500'000;

constexpr const char kConfigFileSuffix[] = ".cfg";

// What is wrong with a configuration file beyond what a platform error code says.
enum class ConfigProblem {
    None,
    NulByte,           // an 8-bit text file that holds a NUL byte
    TooManyLines,      // more lines than a load takes
    TooManyItems,      // more downloads than a load takes
    NotConfiguration,  // text with neither a [section] line nor a key=value line
};

// Where and whether the configuration is read and written; built at start-up.
struct ConfigSession {
    FileSystem* fileSystem = nullptr;
    std::string path;
    bool noSaveLoad = false;    // "/nosaveload": the file is neither read nor written
    bool hiddenExport = false;  // "/hidden" with an export switch: the placement is left out
    // Set by a load that found the file but could not take it whole (no text, above the
    // size, line or item bound): saving would replace the user's list with an empty or
    // shortened one, so it is off.
    bool saveBlocked = false;
    // Why the last load or save did not go as asked: a platform error code (0 = none),
    // and for a file that is there but is no configuration the program takes, what is
    // wrong with it.
    uint32_t error = 0;
    ConfigProblem problem = ConfigProblem::None;
    // Numbers the last load refused (not plain decimal numbers, or out of their range):
    // the file's, then the command line's; refusedCount counts them all.
    std::vector<RefusedNumber> refusedNumbers;
    size_t refusedCount = 0;
    // The file bound of loads and saves (tests lower it).
    size_t maxFileBytes = kMaxConfigFileBytes;
};

// What a load fills and a save writes. Placement and columns may be absent (tests, tools).
struct ConfigParts {
    AppSettings* settings = nullptr;
    std::vector<DownloadItem>* items = nullptr;  // a load appends; the caller refills rows
    WindowPlacementExchange* placement = nullptr;
    ColumnLayoutExchange* columns = nullptr;
};

enum class ConfigResult {
    Done,
    Skipped,      // /nosaveload, or a save after a load that blocked saving
    Missing,      // load: no file; defaults and an empty list
    Unreadable,   // load: the file exists but was not taken; defaults, saving blocked
    Truncated,    // load: items past kMaxDownloadItems exist; that many loaded, saving blocked
    WriteFailed,  // save: the file could not be created or written; the old one is kept
    TooLarge,     // save: the file would pass a load bound; the old one is kept
};

// The whole load or save of the configuration file. The file is read once and written
// once; a written file holds the 26 keys of General in order, then Download0, Download1 ...
// A load takes every Download section the file holds: those NumOfDownloads covers in its
// order (a missing one is a blank item), then the others by their number, so a save never
// drops what a hand-edited count left out.
// A UTF-16 file (byte order mark first) is read as the platform's profile functions read
// it, in the system code page; saves write 8-bit text. A save replaces the file only when
// the new one was written whole.
ConfigResult PersistConfig(ConfigSession& session, ConfigParts& parts, bool save);

}  // namespace vm
