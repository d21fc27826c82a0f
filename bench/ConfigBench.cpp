// Loads and saves configurations of 1,000, 10,000 and 100,000 items through the real file
// system and prints the times, the growth from 10,000 to 100,000 items (linear: about 10)
// and, as a peer from the same run, the time of reading and writing the same bytes plainly.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "core/config/PersistConfig.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Figures {
    double save = 0;
    double load = 0;
    double plain = 0;
    size_t bytes = 0;
};

// The best of several runs of each figure, so one disturbance on a shared machine does
// not decide.
Figures Measure(const std::string& path, int itemCount) {
    vm::StdFileSystem fs;
    vm::ConfigSession session;
    session.fileSystem = &fs;
    session.path = path;
    vm::AppSettings settings;
    std::vector<vm::DownloadItem> items;
    for (int i = 0; i < itemCount; ++i) {
        items.emplace_back(
            "http://speedtest.example.net/files/test-file-" + std::to_string(i) + ".bin?size=10MB",
            "Mirror " + std::to_string(i), i);
    }
    Figures best;
    for (int run = 0; run < 7; ++run) {
        Figures f;
        vm::ConfigParts save;
        save.settings = &settings;
        save.items = &items;
        Clock::time_point start = Clock::now();
        if (vm::PersistConfig(session, save, true) != vm::ConfigResult::Done) std::abort();
        f.save = Seconds(start);

        vm::AppSettings loadedSettings;
        std::vector<vm::DownloadItem> loaded;
        vm::ConfigParts load;
        load.settings = &loadedSettings;
        load.items = &loaded;
        start = Clock::now();
        if (vm::PersistConfig(session, load, false) != vm::ConfigResult::Done) std::abort();
        f.load = Seconds(start);
        if (loaded.size() != items.size() || loaded.back().url != items.back().url) std::abort();

        std::string text;
        uint32_t error = 0;
        start = Clock::now();
        if (!fs.ReadWhole(path, vm::kMaxConfigFileBytes, &text, &error)) std::abort();
        auto out = fs.CreateForWriting(path + ".plain", &error);
        if (!out || !out->Write(text) || !out->Close()) std::abort();
        f.plain = Seconds(start);
        f.bytes = text.size();
        if (run == 0) best = f;
        best.save = std::min(best.save, f.save);
        best.load = std::min(best.load, f.load);
        best.plain = std::min(best.plain, f.plain);
    }
    fs.Remove(path);
    fs.Remove(path + ".plain");
    return best;
}

}  // namespace

long MaxResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A damaged count: NumOfDownloads = 2,000,000,000 and no Download sections.
void MeasureDamagedCount(const std::string& path) {
    vm::StdFileSystem fs;
    uint32_t error = 0;
    auto out = fs.CreateForWriting(path, &error);
    if (!out || !out->Write("[General]\r\nNumOfDownloads=2000000000\r\n") || !out->Close()) {
        std::abort();
    }
    vm::ConfigSession session;
    session.fileSystem = &fs;
    session.path = path;
    vm::AppSettings settings;
    std::vector<vm::DownloadItem> items;
    vm::ConfigParts parts;
    parts.settings = &settings;
    parts.items = &items;
    const long before = MaxResidentKb();
    const Clock::time_point start = Clock::now();
    vm::PersistConfig(session, parts, false);
    std::printf("NumOfDownloads=2000000000: %zu items in %.0f ms, peak memory +%ld MB\n",
                items.size(), Seconds(start) * 1000, (MaxResidentKb() - before) / 1024);
    fs.Remove(path);
}

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    MeasureDamagedCount(folder + "/bench-damaged.cfg");
    const int counts[] = {1000, 10000, 100000};
    Figures figures[3];
    std::printf("%8s %10s %10s %10s %14s %10s\n", "items", "bytes", "save ms", "load ms",
                "plain r+w ms", "vs plain");
    for (int i = 0; i < 3; ++i) {
        figures[i] = Measure(folder + "/bench-" + std::to_string(counts[i]) + ".cfg", counts[i]);
        const Figures& f = figures[i];
        std::printf("%8d %10zu %10.2f %10.2f %14.2f %9.1fx\n", counts[i], f.bytes, f.save * 1000,
                    f.load * 1000, f.plain * 1000, (f.save + f.load) / f.plain);
    }
    std::printf("100k/10k ratio: save %.1f, load %.1f (goal at most 12); plain read+write %.1f\n",
                figures[2].save / figures[1].save, figures[2].load / figures[1].load,
                figures[2].plain / figures[1].plain);
    return 0;
}
