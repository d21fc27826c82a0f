#include "core/app/StartupOptions.h"

#include "core/config/CommandLineProfileStore.h"
#include "core/base/CompanionFileName.h"
#include "core/config/SettingsExchange.h"
#include "core/report/JsonExportSwitch.h"
#include "core/report/ResultsPageSwitch.h"
#include "core/report/ReportFormat.h"

namespace vm {
namespace {

std::string Bounded(const char* text) {
    std::string value = text;
    if (value.size() > kMaxCommandLinePath) value.resize(kMaxCommandLinePath);
    return value;
}

}  // namespace

StartupOptions ReadStartupOptions(const ArgumentList& arguments) {
    StartupOptions options;
    options.saveLangFile = arguments.Find(switch_name::kSaveLangFile) >= 0;
    options.deleteRegKey = arguments.Find(switch_name::kDeleteRegKey) >= 0;
    options.noSaveLoad = arguments.Find(switch_name::kNoSaveLoad) >= 0;
    const int config = arguments.Find(switch_name::kConfig);
    if (config >= 0 && static_cast<size_t>(config) + 1 < arguments.Count()) {
        options.configFile = Bounded(arguments.At(static_cast<size_t>(config) + 1));
    }
    const int history = arguments.Find(switch_name::kHistory);
    if (history >= 0 && static_cast<size_t>(history) + 1 < arguments.Count()) {
        options.historyFile = Bounded(arguments.At(static_cast<size_t>(history) + 1));
    }
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
    if (type != 0) {
        options.exportMode = type;
        options.exportFile = Bounded(arguments.At(fileIndex));
        options.hidden = arguments.Find(switch_name::kHidden) >= 0;
    }
    return options;
}

std::string ResolvePath(const std::string& path, const std::string& directory) {
    const bool hasDrive = path.size() >= 2 && path[1] == ':';
    const bool fromRoot = !path.empty() && (path[0] == '\\' || path[0] == '/');
    if (hasDrive || fromRoot || directory.empty()) return path;
    const char last = directory.back();
    return directory + (last == '\\' || last == '/' ? "" : "\\") + path;
}

ConfigSession MakeConfigSession(FileSystem& fileSystem, const std::string& executablePath,
                                const std::string& currentDirectory, const StartupOptions& options) {
    ConfigSession session;
    session.fileSystem = &fileSystem;
    session.path = options.configFile.empty()
                       ? CompanionFileName(executablePath, kConfigFileSuffix)
                       : ResolvePath(options.configFile, currentDirectory);
    session.noSaveLoad = options.noSaveLoad;
    session.hiddenExport = options.hidden && options.exportMode != 0;
    return session;
}

void ApplyCommandLineOverrides(AppSettings& settings, const ArgumentList& arguments) {
    if (arguments.Count() < 2) return;
    CommandLineProfileStore store(arguments);
    ExchangeAppSettings(settings, store);
}

ConfigResult LoadConfiguration(ConfigSession& session, ConfigParts& parts,
                               const ArgumentList& arguments) {
    const ConfigResult result = PersistConfig(session, parts, false);
    if (parts.settings != nullptr) {
        ApplyCommandLineOverrides(*parts.settings, arguments);
        parts.settings->ConfirmDelete = 1;
    }
    return result;
}

}  // namespace vm
