// Times every report type and every column sort on 100,000 download items, against a
// plain buffered write of the same bytes measured in the same run.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/list/DownloadListView.h"
#include "core/list/ItemCells.h"
#include "core/platform/FileSystem.h"
#include "core/report/ReportWriter.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kItems = 100000;
constexpr int kRuns = 3;

class IsoTimeText : public vm::TimeTextSource {
public:
    bool UtcToLocal(vm::FileTime utc, vm::FileTime* local) override {
        *local = utc;
        return true;
    }
    size_t ShortDate(const vm::CalendarTime& t, char* out, size_t size) override {
        const int n = std::snprintf(out, size, "%02u/%02u/%04u", t.day, t.month, t.year);
        return n > 0 && static_cast<size_t>(n) < size ? static_cast<size_t>(n) : 0;
    }
    size_t TimeOfDay(const vm::CalendarTime& t, char* out, size_t size) override {
        const int n = std::snprintf(out, size, "%02u:%02u:%02u", t.hour, t.minute, t.second);
        return n > 0 && static_cast<size_t>(n) < size ? static_cast<size_t>(n) : 0;
    }
};

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void FillList(vm::DownloadListView& list) {
    list.Items().reserve(kItems);
    for (size_t i = 0; i < kItems; ++i) {
        vm::DownloadItem item("http://speed" + std::to_string(i % 17) + ".example.com/files/" +
                                  std::to_string((i * 7919) % kItems) + "/100MB.bin",
                              "Mirror " + std::to_string(i % 251), static_cast<int32_t>(i));
        item.status = (i % 10 == 0) ? vm::DownloadStatus::Failed : vm::DownloadStatus::Finished;
        if (item.status == vm::DownloadStatus::Failed) item.serverStatus = 404;
        item.bytes = static_cast<uint64_t>(i) * 104729 % 100000007;
        item.startTime = 0x01DA000000000000ULL + (i * 7777) % 100000 * 10000000ULL;
        item.startTick = 1000;
        item.RecomputeSpeed(1000 + static_cast<uint32_t>((i * 31) % 60000 + 500));
        item.disabled = (i % 50 == 0);
        list.AddItem(item);
    }
    list.Reload();
}

// Writes content in 64 KiB blocks through stdio: the peer of a report of the same size.
double PlainWrite(const std::string& path, const std::string& content) {
    const Clock::time_point start = Clock::now();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return 0;
    constexpr size_t kBlock = 64 * 1024;
    for (size_t at = 0; at < content.size(); at += kBlock) {
        const size_t n = content.size() - at < kBlock ? content.size() - at : kBlock;
        if (std::fwrite(content.data() + at, 1, n, f) != n) break;
    }
    std::fclose(f);
    return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    const std::string reportPath = dir + "/bench-report.out";
    const std::string plainPath = dir + "/bench-plain.out";

    vm::AppSettings settings;
    settings.DontAddDisabled = 0;
    settings.AddExportHeaderLine = 1;
    IsoTimeText timeText;
    vm::DownloadListView list(settings, &timeText);
    vm::LanguageState language;
    vm::StdFileSystem files;
    FillList(list);

    // Rows in download order read the items in storage order; rows sorted by URL read
    // them in a scattered order, which costs cache misses.
    auto timeReport = [&](int type, int32_t sortCode) -> double {
        list.Sort(sortCode, false);
        double best = 1e9;
        for (int run = 0; run < kRuns; ++run) {
            uint32_t error = 0;
            const Clock::time_point start = Clock::now();
            if (!vm::WriteReport(list, settings, language, files, type, reportPath, false,
                                 &error)) {
                std::printf("type %d failed with error %u\n", type, error);
                std::exit(1);
            }
            const double t = Seconds(start);
            if (t < best) best = t;
        }
        return best;
    };

    std::printf("Reports of %zu items, best of %d runs; ratio = report / plain write\n", kItems,
                kRuns);
    std::printf("%-4s %10s %9s | %-20s | %-20s\n", "", "", "plain", "rows in download order",
                "rows sorted by URL");
    std::printf("%-4s %10s %9s | %10s %9s | %10s %9s\n", "type", "bytes", "write ms", "report ms",
                "ratio", "report ms", "ratio");
    double worst = 0;
    double worstSorted = 0;
    for (int type = vm::kFirstReportType; type <= vm::kLastReportType; ++type) {
        const double inOrder = timeReport(type, vm::kColumnOrder);
        const double byUrl = timeReport(type, vm::kColumnUrl);
        std::string content;
        uint32_t error = 0;
        if (!files.ReadWhole(reportPath, static_cast<size_t>(1) << 31, &content, &error)) {
            std::printf("cannot read the report back (error %u)\n", error);
            return 1;
        }
        double plain = 1e9;
        for (int run = 0; run < kRuns; ++run) {
            const double t = PlainWrite(plainPath, content);
            if (t < plain) plain = t;
        }
        const double ratio = plain > 0 ? inOrder / plain : 0;
        const double ratioSorted = plain > 0 ? byUrl / plain : 0;
        if (ratio > worst) worst = ratio;
        if (ratioSorted > worstSorted) worstSorted = ratioSorted;
        std::printf("%-4d %10zu %9.1f | %10.1f %8.2fx | %10.1f %8.2fx\n", type, content.size(),
                    plain * 1000, inOrder * 1000, ratio, byUrl * 1000, ratioSorted);
    }
    std::printf("worst ratio %.2fx in download order, %.2fx sorted by URL (goal: 3x or less)\n",
                worst, worstSorted);

    // What every report pays before writing a byte: the nine cell texts of every item.
    double cells = 1e9;
    size_t total = 0;
    for (int run = 0; run < kRuns; ++run) {
        vm::CellBuffer buffer;
        const vm::CellContext context = list.CellTextContext();
        total = 0;
        const Clock::time_point start = Clock::now();
        for (const vm::DownloadItem& item : list.Items()) {
            for (int column = 0; column < vm::kDownloadColumnCount; ++column) {
                total += std::strlen(ItemCellText(item, column, buffer, context));
            }
        }
        const double t = Seconds(start);
        if (t < cells) cells = t;
    }
    std::printf("cell texts alone: %.1f ms for %zu bytes\n\n", cells * 1000, total);

    std::printf("Sorting %zu rows, from download order (best of %d runs)\n", kItems, kRuns);
    std::printf("%-6s %-20s %12s %12s\n", "column", "", "ascending ms", "descending ms");
    static const char* const kNames[] = {"URL",           "Name",         "Status",
                                         "Speed (Bytes)", "Speed (Bits)", "Downloaded",
                                         "Start Time",    "Duration",     "Download Order"};
    for (int column = 0; column < vm::kDownloadColumnCount; ++column) {
        double times[2] = {1e9, 1e9};
        for (int direction = 0; direction < 2; ++direction) {
            for (int run = 0; run < kRuns; ++run) {
                list.Sort(vm::kColumnOrder, false);
                const Clock::time_point start = Clock::now();
                list.Sort(column | (direction ? vm::kSortDescending : 0), false);
                const double t = Seconds(start);
                if (t < times[direction]) times[direction] = t;
            }
        }
        std::printf("%-6d %-20s %12.1f %12.1f\n", column, kNames[column], times[0] * 1000,
                    times[1] * 1000);
    }
    std::remove(reportPath.c_str());
    std::remove(plainPath.c_str());
    return 0;
}
