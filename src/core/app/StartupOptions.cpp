#include "core/app/StartupOptions.h"

#include "core/options/OptionTable.h"

#include "core/app/WatchSchedule.h"
#include "core/base/CompanionFileName.h"
#include "core/base/NumberText.h"
#include "core/config/CommandLineProfileStore.h"
#include "core/config/SettingsExchange.h"
#include "core/report/JsonExportSwitch.h"
#include "core/report/MonitorSwitches.h"
#include "core/report/ReportFormat.h"
#include "core/report/ResultsPageSwitch.h"

namespace vm {
namespace {

std::string Bounded(const char* text, size_t limit = kMaxCommandLinePath) {
    std::string value = text;
    if (value.size() > limit) value.resize(limit);
    return value;
}

// The argument after the switch; empty when the switch is absent or last.
std::string SwitchValue(const ArgumentList& arguments, const char* name, size_t limit) {
    const int at = arguments.Find(name);
    if (at < 0 || static_cast<size_t>(at) + 1 >= arguments.Count()) return std::string();
    return Bounded(arguments.At(static_cast<size_t>(at) + 1), limit);
}

// A watch switch's value: a plain decimal number from 1 to the limit. false when the switch
// is there and its value is not; *value stays 0 when the switch is absent.
bool ReadWatchNumber(const ArgumentList& arguments, const char* name, uint32_t limit,
                     uint32_t* value) {
    const int at = arguments.Find(name);
    if (at < 0) return true;
    int32_t number = 0;
    if (static_cast<size_t>(at) + 1 >= arguments.Count() ||
        !ParsePlainDecimalInt(arguments.At(static_cast<size_t>(at) + 1), &number) || number < 1 ||
        static_cast<uint32_t>(number) > limit) {
        return false;
    }
    *value = static_cast<uint32_t>(number);
    return true;
}

void ReadWatchOptions(const ArgumentList& arguments, StartupOptions* options) {
    uint32_t minutes = 0;
    uint32_t seconds = 0;
    const bool read =
        ReadWatchNumber(arguments, switch_name::kEvery, kMaxWatchMinutes, &minutes) &&
        ReadWatchNumber(arguments, switch_name::kEverySeconds, kMaxWatchSeconds, &seconds) &&
        ReadWatchNumber(arguments, switch_name::kRuns, kMaxWatchRuns, &options->runLimit);
    if (!read) {
        options->watchRefused = true;
        return;
    }
    options->everySeconds = seconds > 0 ? seconds : minutes * 60;
    // "/runs N" alone asks for N runs: one interval needs a watch to count them in.
    if (options->everySeconds == 0) options->runLimit = 0;
}

}  // namespace

StartupOptions ReadStartupOptions(const ArgumentList& arguments) {
    StartupOptions options;
    options.saveLangFile = arguments.Find(switch_name::kSaveLangFile) >= 0;
    options.deleteRegKey = arguments.Find(switch_name::kDeleteRegKey) >= 0;
    options.noSaveLoad = arguments.Find(switch_name::kNoSaveLoad) >= 0;
    const int config = arguments.Find(switch_name::kConfig);
    if (config >= 0 && static_cast<size_t>(config) + 1 < arguments.Count()) {
        options.configFile = arguments.At(static_cast<size_t>(config) + 1);
    }
    const int history = arguments.Find(switch_name::kHistory);
    if (history >= 0 && static_cast<size_t>(history) + 1 < arguments.Count()) {
        options.historyFile = arguments.At(static_cast<size_t>(history) + 1);
    }
    ReadWatchOptions(arguments, &options);
    if (arguments.Count() < 2) return options;
    int32_t type = 0;
    size_t fileIndex = 0;
    for (size_t i = 0; i + 1 < arguments.Count(); ++i) {
        // Each report type has its export switch ("/stext" is type 1 ...).
        for (int reportType = 1; reportType <= kReportTypeCount; ++reportType) {
            if (ArgumentEquals(arguments.At(i), ReportSwitch(reportType))) {
                type = reportType;
                fileIndex = i + 1;
            }
        }
        if (ArgumentEquals(arguments.At(i), kJsonExportSwitch)) {
            type = kJsonExportType;
            fileIndex = i + 1;
        }
        if (ArgumentEquals(arguments.At(i), kChartExportSwitch)) {
            type = kChartExportType;
            fileIndex = i + 1;
        }
    }
    // Kept whole like the export file: a name over the bound is refused, never cut.
    options.metricsFile = SwitchValue(arguments, switch_name::kPrometheusFile, std::string::npos);
    options.pushUrl = SwitchValue(arguments, switch_name::kPush, kMaxPushUrlLength);
    options.strict = arguments.Find(switch_name::kStrict) >= 0;
    // Metrics alone make an export run too: a monitoring system may want nothing else; and
    // so does a watch, whose runs go into the history.
    if (type == 0 &&
        (!options.metricsFile.empty() || !options.pushUrl.empty() || options.everySeconds > 0)) {
        type = kMetricsOnlyExportType;
        options.exportMode = type;
        options.hidden = arguments.Find(switch_name::kHidden) >= 0;
    } else if (type != 0) {
        options.exportMode = type;
        options.exportFile = arguments.At(fileIndex);
        options.hidden = arguments.Find(switch_name::kHidden) >= 0;
    }
    // A watch from the command line runs hidden: the window watches in the window.
    if (options.everySeconds > 0) options.hidden = true;
    return options;
}

namespace {

// Whether the argument is a switch this program knows: its own, an export switch or an
// option override ("/" + an option key).
bool IsKnownSwitch(const char* argument) {
    static const char* const kProgramSwitches[] = {
        switch_name::kSaveLangFile, switch_name::kDeleteRegKey, switch_name::kNoSaveLoad,
        switch_name::kConfig,       switch_name::kHidden,       switch_name::kPrometheusFile,
        switch_name::kPush,         switch_name::kStrict,       switch_name::kHistory,
        switch_name::kEvery,        switch_name::kEverySeconds, switch_name::kRuns,
    };
    for (const char* name : kProgramSwitches) {
        if (ArgumentEquals(argument, name)) return true;
    }
    if (IsExportSwitch(argument)) return true;
    for (const OptionSpec& option : Options()) {
        if (argument[0] == '/' && ArgumentEquals(argument + 1, option.key)) return true;
    }
    return false;
}

}  // namespace

bool IsExportSwitch(const char* argument) {
    for (int reportType = 1; reportType <= kReportTypeCount; ++reportType) {
        if (ArgumentEquals(argument, ReportSwitch(reportType))) return true;
    }
    return ArgumentEquals(argument, kJsonExportSwitch) ||
           ArgumentEquals(argument, kChartExportSwitch);
}

bool HiddenWithoutExport(const ArgumentList& arguments, const StartupOptions& options) {
    // A watch that cannot say how often would run unseen for ever, or not at all.
    if (options.watchRefused) return true;
    if (arguments.Find(switch_name::kHidden) < 0) return false;
    if (options.exportMode != 0 &&
        !ArgumentEquals(options.exportFile.c_str(), switch_name::kHidden)) {
        return false;
    }
    // "/hidden" alone, or beside switches the program knows, is a normal visible start; an
    // export was meant when an export switch lost its file name or a switch is unknown.
    for (size_t i = 0; i < arguments.Count(); ++i) {
        const char* argument = arguments.At(i);
        if (argument[0] != '/') continue;
        if (IsExportSwitch(argument) || !IsKnownSwitch(argument)) return true;
    }
    return false;
}

std::string ResolvePath(const std::string& path, const std::string& directory) {
    const bool hasDrive = path.size() >= 2 && path[1] == ':';
    const bool fromRoot = !path.empty() && (path[0] == '\\' || path[0] == '/');
    if (hasDrive || fromRoot || directory.empty()) return path;
    const char last = directory.back();
    return directory + (last == '\\' || last == '/' ? "" : "\\") + path;
}

ConfigSession MakeConfigSession(FileSystem& fileSystem, const std::string& executablePath,
                                const std::string& currentDirectory,
                                const StartupOptions& options) {
    ConfigSession session;
    session.fileSystem = &fileSystem;
    session.path = options.configFile.empty() ? CompanionFileName(executablePath, kConfigFileSuffix)
                                              : ResolvePath(options.configFile, currentDirectory);
    session.noSaveLoad = options.noSaveLoad;
    session.hiddenExport = options.hidden && options.exportMode != 0;
    return session;
}

void ApplyCommandLineOverrides(AppSettings& settings, const ArgumentList& arguments,
                               ConfigSession* session) {
    if (arguments.Count() < 2) return;
    CommandLineProfileStore store(arguments);
    ExchangeAppSettings(settings, store);
    if (session == nullptr) return;
    for (const RefusedNumber& refused : store.RefusedNumbers()) {
        if (session->refusedNumbers.size() < kMaxRefusedNumbersKept) {
            session->refusedNumbers.push_back(refused);
        }
    }
    session->refusedCount += store.RefusedCount();
}

ConfigResult LoadConfiguration(ConfigSession& session, ConfigParts& parts,
                               const ArgumentList& arguments) {
    const ConfigResult result = PersistConfig(session, parts, false);
    if (parts.settings != nullptr) {
        ApplyCommandLineOverrides(*parts.settings, arguments, &session);
        parts.settings->ConfirmDelete = 1;
    }
    return result;
}

}  // namespace vm
