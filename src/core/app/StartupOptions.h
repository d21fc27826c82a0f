#pragma once
#include <cstdint>
#include <string>

#include "core/base/ArgumentList.h"
#include "core/config/PersistConfig.h"
#include "core/options/AppSettings.h"
#include "core/platform/FileSystem.h"

namespace vm {

// Longest file name the command line can name (/config, export report). Longer names are
// kept whole and refused where they are used: a cut one would name some other file.
constexpr size_t kMaxCommandLinePath = 259;
// Longest Pushgateway address: a longer one is refused before the run, never cut.
constexpr size_t kMaxPushUrlLength = 2047;

namespace switch_name {
constexpr const char kSaveLangFile[] = "/savelangfile";
constexpr const char kDeleteRegKey[] = "/deleteregkey";
constexpr const char kNoSaveLoad[] = "/nosaveload";
constexpr const char kConfig[] = "/config";
constexpr const char kHidden[] = "/hidden";
constexpr const char kHistory[] = "/history";
// Watching: the whole run again every MINUTES (or SECONDS, for tests and demonstrations),
// hidden, until /runs N runs or the end of the session.
constexpr const char kEvery[] = "/every";
constexpr const char kEverySeconds[] = "/everyseconds";
constexpr const char kRuns[] = "/runs";
}  // namespace switch_name

// Most runs "/runs" asks for.
constexpr uint32_t kMaxWatchRuns = 1000000;

// What the command line decides before the main window exists.
struct StartupOptions {
    bool saveLangFile = false;
    bool deleteRegKey = false;
    bool noSaveLoad = false;
    std::string configFile;  // empty: the file beside the executable
    int32_t exportMode = 0;  // 0 = no export, else the report type 1..7, kJsonExportType,
                             // kChartExportType or kMetricsOnlyExportType
    std::string exportFile;
    bool hidden = false;      // only with an export switch
    std::string metricsFile;  // "/sprom FILE"
    std::string pushUrl;      // "/push URL"
    bool strict = false;      // "/strict"
    std::string historyFile;  // "/history FILE": this session's run history
    // The first switch that takes a value but has none: it is last, or the next argument is
    // a switch the program knows. Empty when every such switch has its value.
    std::string switchWithoutValue;
    uint32_t everySeconds = 0;  // "/every MINUTES" x 60 or "/everyseconds SECONDS"; 0: once
    uint32_t runLimit = 0;      // "/runs N"; 0: until the end of the session
    bool watchRefused = false;  // a value of /every, /everyseconds or /runs was not a number
                                // in its range: nothing is run (NoExportToDo)
};

// Reads the switches. A switch that takes a value (/config, /history, /sprom, /push, the
// export switches ...) takes the next argument unless that is itself a known switch; one
// without its value is left out and named in switchWithoutValue. A later export switch
// replaces an earlier one. With fewer than two arguments there is no export mode. "/sprom FILE" or
// "/push URL" without an export switch make an export run of type kMetricsOnlyExportType.
StartupOptions ReadStartupOptions(const ArgumentList& arguments);

// The configuration session for these options: the "/config" file or the file beside the
// program. A relative "/config" name is taken relative to the current directory at start-up
// and made absolute here, since file dialogs move the current directory before the save at
// exit.
ConfigSession MakeConfigSession(FileSystem& fileSystem, const std::string& executablePath,
                                const std::string& currentDirectory, const StartupOptions& options);

// The path itself when it has a drive ("C:...") or starts at a root ("\...", "/..."),
// else the directory, a backslash and the path.
std::string ResolvePath(const std::string& path, const std::string& directory);

// Whether the argument is one of the export switches ("/stext" ... "/sjson", "/schart").
bool IsExportSwitch(const char* argument);

// A start asked to stay hidden whose export cannot be done as asked: a switch without its
// value (an export switch, /sprom, /push, /history, /config ...), or no export at all
// beside a switch the program does not know, such as a misspelt one. Nobody could see or
// close its window, so it ends at once with NoExportToDo. "/hidden" alone, or with known
// switches only, starts visibly as without it.
bool HiddenWithoutExport(const ArgumentList& arguments, const StartupOptions& options);

// Whether "/config" names a file that is not there (or a device or a stream, which read as
// an empty list): a run that nobody watches must not run the empty list of a misspelt name.
// False without "/config" and under "/nosaveload".
bool NamedConfigMissing(FileSystem& fileSystem, const ConfigSession& session,
                        const StartupOptions& options);

// The option override: with two or more arguments, every "/" + option key followed by a
// value sets that option (an option switch in the last position sets 0 or ""). The numbers
// it refuses are added to the session's when one is given.
void ApplyCommandLineOverrides(AppSettings& settings, const ArgumentList& arguments,
                               ConfigSession* session = nullptr);

// The main window's load at creation: the file, then the command-line overrides, then
// ConfirmDelete = 1 (also under /nosaveload).
ConfigResult LoadConfiguration(ConfigSession& session, ConfigParts& parts,
                               const ArgumentList& arguments);

}  // namespace vm
