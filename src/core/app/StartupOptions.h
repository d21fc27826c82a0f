#pragma once
#include <cstdint>
#include <string>

#include "core/options/AppSettings.h"
#include "core/base/ArgumentList.h"
#include "core/config/PersistConfig.h"
#include "core/platform/FileSystem.h"

namespace vm {

// Longest file name taken from the command line (/config, export report).
constexpr size_t kMaxCommandLinePath = 259;

namespace switch_name {
constexpr const char kSaveLangFile[] = "/savelangfile";
constexpr const char kDeleteRegKey[] = "/deleteregkey";
constexpr const char kNoSaveLoad[] = "/nosaveload";
constexpr const char kConfig[] = "/config";
constexpr const char kHidden[] = "/hidden";
constexpr const char kHistory[] = "/history";
}  // namespace switch_name

// What the command line decides before the main window exists.
struct StartupOptions {
    bool saveLangFile = false;
    bool deleteRegKey = false;
    bool noSaveLoad = false;
    std::string configFile;  // empty: the file beside the executable
    int32_t exportMode = 0;  // 0 = no export, else the report type 1..7, kJsonExportType
                             // or kChartExportType
    std::string exportFile;
    bool hidden = false;     // only with an export switch
    std::string historyFile;  // "/history FILE": this session's run history
};

// Reads the switches. Export detection looks at every argument but the last (which can
// only be a file name); a later export switch replaces an earlier one. With fewer than two
// arguments there is no export mode.
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

// The option override: with two or more arguments, every "/" + option key followed by a
// value sets that option (an option switch in the last position sets 0 or "").
void ApplyCommandLineOverrides(AppSettings& settings, const ArgumentList& arguments);

// The main window's load at creation: the file, then the command-line overrides, then
// ConfirmDelete = 1 (also under /nosaveload).
ConfigResult LoadConfiguration(ConfigSession& session, ConfigParts& parts,
                               const ArgumentList& arguments);

}  // namespace vm
