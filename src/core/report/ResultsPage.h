#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/platform/FileSystem.h"
#include "core/platform/TextEncoding.h"
#include "core/report/HistoryReader.h"

namespace vm {

// Bounds of the page beside the charts' own: trends for this many URLs (the latest run's
// first), speed charts for this many items of the run.
constexpr size_t kMaxTrendCharts = 20;
constexpr size_t kMaxItemCharts = 30;

struct ResultsPageSource {
    const HistoryReader* history = nullptr;  // the runs, with the one the page is about
    const RunRecord* run = nullptr;          // that run; nullptr: the history's last one
    bool historyKept = false;                // false: the history holds this run alone
    TextEncoding* encoding = nullptr;        // the translated texts to UTF-8
};

// The page: one self-contained HTML document in UTF-8 (inline style and SVG, no script, a
// content security policy that lets it load nothing), readable in light and dark themes
// and printable. Its size is bounded whatever the history's length.
std::string BuildResultsPage(const ResultsPageSource& source);

// Writes the page whole or not at all (WriteFileReplacing); false with the platform's
// error code.
[[nodiscard]] bool WriteResultsPage(const ResultsPageSource& source, FileSystem& files,
                                    const std::string& path, uint32_t* error);

}  // namespace vm
