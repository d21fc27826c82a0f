// The run history's reader on arbitrary bytes, fed in pieces whose sizes the input picks:
// the result never depends on where the pieces end, a run is never counted twice, and the
// results page built from it keeps every tag it opens and never lets a text open one.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/report/HistoryReader.h"
#include "core/report/ResultsCharts.h"
#include "core/report/ResultsPage.h"
#include "support/Latin1Encoding.h"

namespace {

size_t Count(const std::string& text, const char* what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t piece = 1 + data[0] % 64;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    vm::HistoryReader whole;
    whole.Feed(text.data(), text.size());
    whole.Finish();
    vm::HistoryReader pieces;
    for (size_t at = 0; at < text.size(); at += piece)
        pieces.Feed(text.data() + at, std::min(piece, text.size() - at));
    pieces.Finish();
    if (whole.RunCount() != pieces.RunCount() || whole.DamagedLines() != pieces.DamagedLines() ||
        whole.TornLastLine() != pieces.TornLastLine() ||
        whole.Trends().size() != pieces.Trends().size()) {
        std::abort();
    }
    size_t lines = 1;
    for (char c : text) lines += c == '\n' ? 1 : 0;
    if (whole.RunCount() + whole.DamagedLines() > lines) std::abort();

    vm::test::Latin1Encoding encoding;
    vm::ResultsPageSource source;
    source.history = &whole;
    source.historyKept = true;
    source.encoding = &encoding;
    const std::string page = vm::BuildResultsPage(source);
    if (Count(page, "<svg ") != Count(page, "</svg>")) std::abort();
    if (Count(page, "<script") != 0 ||
        Count(page, "<g class=\"run") > vm::kMaxTrendCharts * vm::kMaxTrendPoints)
        std::abort();
    return 0;
}
