// The configuration file bound: saves and loads lists of items at their longest fields
// (URL 4094, name 254 characters) whose files are 64 to 768 MiB, and prints the
// times and the process's peak memory. Built for 32-bit Windows and run under Wine, it
// shows what a file the size of kMaxConfigFileBytes costs the program, and whether a
// 32-bit process can hold a larger one at all.
#include <chrono>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#endif

#include "core/config/PersistConfig.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The working set at its peak so far, in MB (0 where the platform does not say).
long PeakMegabytes() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        return static_cast<long>(counters.PeakWorkingSetSize >> 20);
    }
#endif
    return 0;
}

constexpr size_t kItemBytes = 4094 + 254 + 70;  // one saved item at its longest

void Measure(const std::string& path, size_t megabytes) {
    const size_t bound = megabytes << 20;
    vm::StdFileSystem fs;
    vm::ConfigSession session;
    session.fileSystem = &fs;
    session.path = path;
    session.maxFileBytes = bound;
    vm::AppSettings settings;
    std::vector<vm::DownloadItem> items;
    const size_t count = (bound - 4096) / kItemBytes;
    const std::string url = "http://" + std::string(4094 - 7, 'u');
    const std::string name(254, 'n');
    for (size_t i = 0; i < count; ++i) items.emplace_back(url, name, static_cast<int32_t>(i));
    vm::ConfigParts save;
    save.settings = &settings;
    save.items = &items;
    Clock::time_point start = Clock::now();
    const vm::ConfigResult saved = vm::PersistConfig(session, save, true);
    const double saveSeconds = Seconds(start);
    items = std::vector<vm::DownloadItem>();

    std::vector<vm::DownloadItem> loaded;
    vm::ConfigParts load;
    load.settings = &settings;
    load.items = &loaded;
    start = Clock::now();
    const vm::ConfigResult result = vm::PersistConfig(session, load, false);
    const double loadSeconds = Seconds(start);
    std::printf(
        "%6zu MiB %8zu items  save %-2d %6.2f s  load %-2d %6.2f s (%zu items)  peak %ld MB\n",
        megabytes, count, static_cast<int>(saved), saveSeconds, static_cast<int>(result),
        loadSeconds, loaded.size(), PeakMegabytes());
    std::fflush(stdout);
    fs.Remove(path);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    std::printf("results: 0 done, 3 unreadable, 5 write failed, 6 too large\n");
    for (size_t megabytes : {64, 128, 256, 512, 768}) {
        try {
            Measure(folder + "\\bound.cfg", megabytes);
        } catch (const std::bad_alloc&) {
            std::printf("%6zu MiB: out of memory (peak %ld MB)\n", megabytes, PeakMegabytes());
            return 0;
        }
    }
    return 0;
}
