#include "core/app/StartupOptions.h"

#include "core/options/OptionTable.h"

#include "core/app/WatchSchedule.h"
#include "core/base/CompanionFileName.h"
#include "core/base/NumberText.h"
#include "core/config/CommandLineProfileStore.h"
#include "core/config/SettingsExchange.h"
#include "core/platform/OutputPath.h"
#include "core/report/JsonExportSwitch.h"
#include "core/report/MonitorSwitches.h"
#include "core/report/ReportFormat.h"
#include "core/report/ResultsPageSwitch.h"

namespace vm {
namespace {

// A switch of the program's own, and whether the argument after it is its value.
struct ProgramSwitch {
    const char* name;
    bool takesValue;
};

// Every switch of the program's own; export switches and option overrides ("/" + an option
// key) are known from their own tables and all take a value. An argument that is a known
// switch is never taken as a value: "/sprom /hidden" is a /sprom without its file.
constexpr ProgramSwitch kProgramSwitches[] = {
    {switch_name::kSaveLangFile, false},
    {switch_name::kDeleteRegKey, false},
    {switch_name::kNoSaveLoad, false},
    {switch_name::kConfig, true},
    {switch_name::kHidden, false},
    {switch_name::kPrometheusFile, true},
    {switch_name::kPush, true},
    {switch_name::kStrict, false},
    {switch_name::kHistory, true},
    // Watch mode's switches: known already, so that no other switch takes them as its value.
    {switch_name::kEvery, true},
    {switch_name::kRuns, true},
    {switch_name::kEverySeconds, true},
};

// Whether the argument is a switch this program knows: its own, an export switch or an
// option override ("/" + an option key).
bool IsKnownSwitch(const char* argument) {
    for (const ProgramSwitch& known : kProgramSwitches) {
        if (ArgumentEquals(argument, known.name)) return true;
    }
    if (IsExportSwitch(argument)) return true;
    for (const OptionSpec& option : Options()) {
        if (argument[0] == '/' && ArgumentEquals(argument + 1, option.key)) return true;
    }
    return false;
}

// Whether the argument at index is there and is a value, not another switch.
bool HasValueAt(const ArgumentList& arguments, size_t index) {
    return index < arguments.Count() && !IsKnownSwitch(arguments.At(index));
}

// The value after the switch's first occurrence, kept whole (a name over its bound is
// refused where it is used, never cut); empty when the switch is absent. A switch that is
// there without a value names itself in *missing (the first such switch only).
std::string SwitchValue(const ArgumentList& arguments, const char* name, std::string* missing) {
    const int at = arguments.Find(name);
    if (at < 0) return std::string();
    const size_t valueAt = static_cast<size_t>(at) + 1;
    if (HasValueAt(arguments, valueAt)) return arguments.At(valueAt);
    if (missing->empty()) *missing = name;
    return std::string();
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
    std::string& missing = options.switchWithoutValue;
    options.configFile = SwitchValue(arguments, switch_name::kConfig, &missing);
    options.historyFile = SwitchValue(arguments, switch_name::kHistory, &missing);
    options.metricsFile = SwitchValue(arguments, switch_name::kPrometheusFile, &missing);
    options.pushUrl = SwitchValue(arguments, switch_name::kPush, &missing);
    for (const ProgramSwitch& known : kProgramSwitches) {
        if (known.takesValue) (void)SwitchValue(arguments, known.name, &missing);
    }
    options.strict = arguments.Find(switch_name::kStrict) >= 0;
    ReadWatchOptions(arguments, &options);
    int32_t type = 0;
    size_t fileIndex = 0;
    for (size_t i = 0; i < arguments.Count(); ++i) {
        // Each report type has its export switch ("/stext" is type 1 ...).
        int32_t switchType = 0;
        for (int reportType = 1; reportType <= kReportTypeCount; ++reportType) {
            if (ArgumentEquals(arguments.At(i), ReportSwitch(reportType))) switchType = reportType;
        }
        if (ArgumentEquals(arguments.At(i), kJsonExportSwitch)) switchType = kJsonExportType;
        if (ArgumentEquals(arguments.At(i), kChartExportSwitch)) switchType = kChartExportType;
        if (switchType == 0) continue;
        if (!HasValueAt(arguments, i + 1)) {
            if (missing.empty()) missing = arguments.At(i);
            continue;
        }
        // A later export switch replaces an earlier one.
        type = switchType;
        fileIndex = i + 1;
    }
    if (arguments.Count() < 2) return options;
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
    // A switch without its value: the export it was part of cannot be done as asked.
    if (!options.switchWithoutValue.empty()) return true;
    if (options.exportMode != 0) return false;
    // "/hidden" alone, or beside switches the program knows, is a normal visible start; an
    // export was meant when a switch is unknown (a misspelt one).
    for (size_t i = 0; i < arguments.Count(); ++i) {
        const char* argument = arguments.At(i);
        if (argument[0] == '/' && !IsKnownSwitch(argument)) return true;
    }
    return false;
}

bool NamedConfigMissing(FileSystem& fileSystem, const ConfigSession& session,
                        const StartupOptions& options) {
    if (options.configFile.empty() || options.noSaveLoad) return false;
    // A device ("nul.cfg") or a stream reads as an empty list, never as the file meant.
    const OutputPathProblem problem = CheckOutputPath(session.path);
    if (problem == OutputPathProblem::Device || problem == OutputPathProblem::Stream) return true;
    return problem == OutputPathProblem::None && !fileSystem.Exists(session.path);
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
