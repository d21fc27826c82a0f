#include "core/report/RunHistory.h"

#include "core/platform/FileSystem.h"
#include "core/report/HistoryReader.h"

#include "core/base/PathRules.h"
#include "core/platform/FileSystem.h"

namespace vm {

std::string KeptHistoryName(const std::string& optionName, bool watching) {
    return optionName.empty() && watching ? std::string(kDefaultHistoryFile) : optionName;
}

std::string HistoryFilePath(const std::string& commandLineName, const std::string& optionName,
                            const std::string& programFolder, const std::string& configPath) {
    if (!commandLineName.empty()) return ResolveReportPath(programFolder, commandLineName);
    if (optionName.empty()) return std::string();
    return ResolveReportPath(FolderOf(configPath), optionName);
}

std::string HistoryLineToAppend(const std::string& compactDocument, bool fileEndsMidLine) {
    std::string line;
    line.reserve(compactDocument.size() + 2);
    if (fileEndsMidLine) line += '\n';
    line += compactDocument;
    line += '\n';
    return line;
}

bool AppendRunToHistory(AppendFile& file, const std::string& compactDocument, uint32_t* error) {
    // A line its own reader would skip, or no run at all, is not added.
    if (compactDocument.empty() || compactDocument.size() > kMaxHistoryLineBytes) {
        *error = kErrorFileTooLarge;
        return false;
    }
    char last = '\n';
    const bool midLine = file.LastByte(&last) && last != '\n';
    uint64_t before = 0;
    if (!file.Size(&before)) {
        *error = kErrorWriteFault;
        return false;
    }
    if (file.Append(HistoryLineToAppend(compactDocument, midLine), error)) return true;
    (void)file.CutBackTo(before);
    return false;
}

}  // namespace vm
