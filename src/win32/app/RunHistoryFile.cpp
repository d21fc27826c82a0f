#include "win32/app/RunHistoryFile.h"

#include "core/report/RunHistory.h"
#include "win32/platform/WinAppendFile.h"

namespace vm {

bool AppendToHistoryFile(const std::string& path, const std::string& compactDocument,
                         uint32_t* error) {
    if (path.empty()) {
        *error = ERROR_INVALID_NAME;
        return false;
    }
    std::unique_ptr<WinAppendFile> file = WinAppendFile::Open(path, error);
    return file != nullptr && AppendRunToHistory(*file, compactDocument, error);
}

bool ReadHistoryFile(const std::string& path, HistoryReader& reader, uint32_t* error) {
    const bool read = ReadFileInPieces(
        path, kMaxHistoryFileBytes, [&](const char* data, size_t size) { reader.Feed(data, size); },
        error);
    reader.Finish();
    return read || *error == ERROR_FILE_NOT_FOUND || *error == ERROR_PATH_NOT_FOUND;
}

}  // namespace vm
