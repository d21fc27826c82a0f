// Adds URL list files of 10,000 and 100,000 lines to the download list through
// ReadUrlListFile and shows them (the full reload of the rows, sorted by URL as a fresh
// configuration is), then prints both times and their ratio. Linear work gives about 10;
// the sort adds a little, and so does a list that no longer fits the processor's caches.
// Times are the process's CPU time (on a shared machine the wall clock also counts other
// programs), best of several runs; the wall-clock times are printed beside them. Exits
// with 1 when the ratio passes 12.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <malloc.h>
#include <string>

#include "core/app/UrlList.h"
#include "core/list/DownloadListView.h"
#include "core/list/ListViewControl.h"
#include "core/options/AppSettings.h"
#include "core/platform/FileSystem.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kMaxRatio = 12.0;
constexpr int kRuns = 7;

// The on-screen list as a virtual list view costs: it keeps the row count and selection.
class CountingControl : public vm::ListViewControl {
public:
    void SetRowCount(size_t count) override { rows_ = count; }
    void RedrawVisibleRows() override {}
    size_t SelectedCount() const override { return 0; }
    bool IsRowSelected(size_t) const override { return false; }
    int64_t NextSelectedRow(int64_t) const override { return -1; }
    int64_t FocusedRow() const override { return -1; }
    void SetRowState(int64_t, uint32_t, uint32_t) override {}
    void EnsureVisible(size_t) override {}
    bool GetColumn(int, int*, int*) const override { return false; }
    void SetColumn(int, int, int, bool) override {}
    void ShowSortArrow(int, bool) override {}
    size_t Rows() const { return rows_; }

private:
    size_t rows_ = 0;
};

void WriteList(const std::string& path, int lines) {
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < lines; ++i) {
        const int key = static_cast<int>((static_cast<long long>(i) * 7919) % lines);
        out << "http://mirror" << (key % 97) << ".example.net/files/test-" << key
            << ".bin   Mirror " << i << "\r\n";
        if (i % 10 == 9) out << "not a url line\r\n";
    }
}

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Times {
    double cpu = 1e9;
    double wall = 1e9;
};

// The best of several runs, so one disturbance on a shared machine does not decide.
Times Measure(const std::string& path, int lines) {
    Times best;
    for (int run = 0; run < kRuns; ++run) {
        vm::AppSettings settings;
        vm::DownloadListView list(settings, nullptr);
        CountingControl control;
        list.AttachControl(&control);
        vm::StdFileSystem files;
        const Clock::time_point start = Clock::now();
        const double cpuStart = CpuSeconds();
        size_t added = 0;
        if (!vm::ReadUrlListFile(files, path, list, &added)) return Times{-1, -1};
        list.Reload();
        const double cpu = CpuSeconds() - cpuStart;
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        if (added != static_cast<size_t>(lines) || control.Rows() != added) return Times{-1, -1};
        best.cpu = std::min(best.cpu, cpu);
        best.wall = std::min(best.wall, wall);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    // Memory once taken from the system stays with the process, so that every run after
    // the first measures the work and not the kernel clearing fresh pages: the small list
    // gets that from the allocator anyway, the large one only this way.
    mallopt(M_MMAP_THRESHOLD, 512 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
    const std::string folder = argc > 1 ? argv[1] : ".";
    const std::string small = folder + "/urls-10000.txt";
    const std::string large = folder + "/urls-100000.txt";
    WriteList(small, 10000);
    WriteList(large, 100000);
    const Times t10 = Measure(small, 10000);
    const Times t100 = Measure(large, 100000);
    if (t10.cpu <= 0 || t100.cpu <= 0) {
        std::printf("url list: a list was not read whole\n");
        return 1;
    }
    const double ratio = t100.cpu / t10.cpu;
    std::printf("url list  10,000 lines: %8.2f ms CPU (%8.2f ms wall)\n", t10.cpu * 1000,
                t10.wall * 1000);
    std::printf("url list 100,000 lines: %8.2f ms CPU (%8.2f ms wall)\n", t100.cpu * 1000,
                t100.wall * 1000);
    std::printf("ratio 100,000 / 10,000: %8.2f CPU, %.2f wall (at most %.0f)\n", ratio,
                t100.wall / t10.wall, kMaxRatio);
    return ratio <= kMaxRatio ? 0 : 1;
}
