#pragma once
#include <cstdint>
#include <string>

#include "core/engine/RunMeasurements.h"
#include "core/list/DownloadListView.h"  // with the option record
#include "core/platform/FileSystem.h"
#include "core/platform/TextEncoding.h"
#include "core/report/JsonExportSwitch.h"

namespace vm {

// Raised when the document's fields change in a way a reader must know of.
constexpr int kJsonFormatVersion = 1;

// What the document says besides the list.
struct JsonReportSource {
    const AppSettings* settings = nullptr;
    const RunMeasurements* measurements = nullptr;  // none: only the items' own results
    TextEncoding* encoding = nullptr;               // the system code page to UTF-8
    std::string programVersion;
};

// The status of an item as a stable word: "waiting", "connecting", "downloading",
// "finished", "failed", "connect_timeout", or "disabled" for a disabled item.
const char* StatusWord(const DownloadItem& item);
// The same word of a status alone.
const char* StatusWord(DownloadStatus status);

// Writes the JSON document of a run: every row in display order that ItemInReport takes
// (disabled items as DontAddDisabled says), as UTF-8 without a byte order mark; the file
// is replaced. False with the platform's error code when the file cannot be created or a
// write fails.
[[nodiscard]] bool WriteJsonReport(DownloadListView& list, const JsonReportSource& source,
                                   FileSystem& files, const std::string& fileName, uint32_t* error);

// The same document on one line (the run history keeps one run per line); no text in it
// can hold a line break, since the builder escapes every control character.
std::string CompactJsonReport(DownloadListView& list, const JsonReportSource& source);

}  // namespace vm
