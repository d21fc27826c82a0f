#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/engine/RunMeasurements.h"
#include "core/list/DownloadListView.h"  // with the option record
#include "core/platform/FileSystem.h"
#include "core/platform/TextEncoding.h"
#include "core/report/AlertRules.h"
#include "core/report/JsonExportSwitch.h"

namespace vm {

// Raised when the document's fields change in a way a reader must know of.
constexpr int kJsonFormatVersion = 1;

// Something a script should know about the run beyond its items: a stable code (a word
// such as "nothing_tested") and a sentence. The document's "warnings" list holds them.
struct RunWarning {
    std::string code;
    std::string message;
};

// The warning of a run with no item to test (an empty list, every item disabled).
constexpr const char kNothingTestedWarning[] = "nothing_tested";
// The warning of a number option that is not a plain decimal number (and was not taken).
constexpr const char kNumberRefusedWarning[] = "number_refused";

// What the document says besides the list.
struct JsonReportSource {
    const AppSettings* settings = nullptr;
    const RunMeasurements* measurements = nullptr;  // none: only the items' own results
    TextEncoding* encoding = nullptr;               // the system code page to UTF-8
    std::string programVersion;
    // Warnings of the run; the document adds nothing_tested itself when it applies.
    std::vector<RunWarning> warnings;
    // The alerts judged against the run history: the "alerts" list, left out when no
    // history was judged (nullptr).
    const std::vector<Alert>* alerts = nullptr;
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
// can hold a line break, since the builder escapes every control character. A document
// that would pass maxBytes is made with empty samples lists (the steady speeds stay);
// "" when even that passes it.
std::string CompactJsonReport(DownloadListView& list, const JsonReportSource& source,
                              size_t maxBytes = SIZE_MAX);

}  // namespace vm
