// The cost of the microsecond clock per timer step. A step of a test run reads the clocks,
// recomputes the item's speeds, takes a sample, and the list redraws the item's row; a
// fast download also stamps every block it counts (1 MiB blocks at 1.3 GB/s: about 260 a
// step). Today's step read the tick alone; now it reads the tick and QueryPerformanceCounter.
// A block is stamped where its read completes, and the least a read costs is the copy of
// its bytes out of the library, so each block is copied here too. Both steps run in the
// same process, alternately, and the ratio of their times is printed (goal: at most 1.05),
// with the cost of one read of each clock (Wine's QueryPerformanceCounter is a system call,
// about 60-80 times the tick's cost).
// Usage: clock_cost_bench.exe [ROUNDS]     (prints key=value lines)
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/engine/DownloadItem.h"
#include "core/engine/SpeedRules.h"
#include "core/engine/SteadySpeed.h"
#include "core/list/ItemCells.h"
#include "win32/platform/WinClock.h"

namespace {

constexpr int kBlocksPerStep = 260;
constexpr int kStepsPerRound = 20;
constexpr size_t kBlockBytes = 1048576;

// The step before the microsecond clock: the millisecond tick for everything.
class TickOnlyClock : public vm::WinClock {
public:
    uint64_t MicroCount() override { return 0; }
};

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// One timer step's clock reads and the work around them; returns a checksum.
uint64_t Step(vm::Clock& clock, vm::DownloadItem& item, std::vector<vm::SpeedSample>& samples,
              std::atomic<uint32_t>& dataTick, std::atomic<uint64_t>& dataMicro) {
    static std::vector<char> from(kBlockBytes, 1), to(kBlockBytes);
    for (int block = 0; block < kBlocksPerStep; ++block) {  // the transfer's stamps
        std::memcpy(to.data(), from.data(), kBlockBytes);
        from[block % kBlockBytes] = to[(block * 7) % kBlockBytes];
        dataTick.store(clock.TickCount());
        dataMicro.store(clock.MicroCount());
        item.bytes += 1048576;
    }
    item.RecomputeSpeed(clock.TickCount(), clock.MicroCount());
    vm::ShiftHistory(item);
    vm::SpeedSample sample;
    sample.ms = item.duration;
    sample.us = item.durationUs;
    sample.bytes = item.bytes;
    if (samples.size() < 64) samples.push_back(sample);
    vm::CellBuffer buffer;
    vm::CellContext context;
    uint64_t sum = 0;
    for (int column = 0; column <= vm::kColumnOrder; ++column) {
        sum += static_cast<unsigned char>(vm::ItemCellText(item, column, buffer, context)[0]);
    }
    return sum + dataTick.load() + dataMicro.load();
}

double TimeSteps(vm::Clock& clock, uint64_t* checksum) {
    vm::DownloadItem item("http://127.0.0.1/5m.bin", "timed", 0);
    item.status = vm::DownloadStatus::Downloading;
    item.startTime = 0x01D9000000000000ULL;
    item.startTick = clock.TickCount();
    item.startMicro = clock.MicroCount();
    std::vector<vm::SpeedSample> samples;
    std::atomic<uint32_t> dataTick{0};
    std::atomic<uint64_t> dataMicro{0};
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    for (int i = 0; i < kStepsPerRound; ++i)
        *checksum += Step(clock, item, samples, dataTick, dataMicro);
    QueryPerformanceCounter(&after);
    return Seconds(before, after) / kStepsPerRound;
}

double ReadCost(vm::Clock& clock, bool micro, uint64_t* checksum) {
    constexpr int kReads = 1000000;
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    for (int i = 0; i < kReads; ++i) *checksum += micro ? clock.MicroCount() : clock.TickCount();
    QueryPerformanceCounter(&after);
    return Seconds(before, after) / kReads;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    vm::WinClock now;
    TickOnlyClock before;
    uint64_t checksum = 0;
    std::vector<double> today, micro;
    for (int round = 0; round < rounds; ++round) {  // alternately, so both see the same load
        today.push_back(TimeSteps(before, &checksum));
        micro.push_back(TimeSteps(now, &checksum));
    }
    const double tickRead = ReadCost(now, false, &checksum);
    const double microRead = ReadCost(now, true, &checksum);
    std::printf(
        "step_today_us=%.3f step_micro_us=%.3f ratio=%.3f tick_read_ns=%.1f "
        "micro_read_ns=%.1f blocks_per_step=%d checksum=%llu\n",
        Median(today) * 1e6, Median(micro) * 1e6, Median(micro) / Median(today), tickRead * 1e9,
        microRead * 1e9, kBlocksPerStep, static_cast<unsigned long long>(checksum % 1000));
    return 0;
}
