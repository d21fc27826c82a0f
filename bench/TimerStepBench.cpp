// The GUI thread's cost of one 200 ms timer step of a test run, with the main window
// shown and a list of N items of which only the first is enabled. Each WM_TIMER of the
// window is timed together with the repaint it asks for, so the figure covers the step
// and the drawing of the visible rows. Under Wine the data of a rate-limited download
// arrives in bursts about once a second, so about one step in five repaints the rows;
// those steps are also reported apart.
// With GRAPH "hour" the speed graph pane is shown and the download looks an hour old: its
// trace is filled with an hour of steps (the pane then draws the most points it keeps);
// with "hidden" (the default) the pane is hidden.
// Usage: timer-step-bench.exe ITEMS URL [SECONDS] [hidden|hour]
//        (prints one line of key=value pairs)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/app/StartupOptions.h"
#include "core/base/ArgumentList.h"
#include "core/engine/TransferEvent.h"
#include "resource.h"
#include "win32/app/MainWindow.h"

namespace {

double Microseconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(ticks) * 1e6 / static_cast<double>(frequency.QuadPart);
}

double ThreadCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return ((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: timer-step-bench.exe ITEMS URL [SECONDS]\n");
        return 2;
    }
    const long itemCount = std::max(1L, std::atol(argv[1]));
    const std::string url = argv[2];
    const DWORD seconds = argc > 3 ? static_cast<DWORD>(std::atoi(argv[3])) : 6;
    const bool graphHour = argc > 4 && std::string(argv[4]) == "hour";

    INITCOMMONCONTROLSEX init = {sizeof init, 0xFF};
    InitCommonControlsEx(&init);
    vm::ArgumentList arguments;
    arguments.Parse("/nosaveload");
    const vm::StartupOptions options = vm::ReadStartupOptions(arguments);
    auto window = std::make_unique<vm::MainWindow>(arguments, options);
    if (!window->Create("Velocimark", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700)) return 1;
    ShowWindow(window->Handle(), SW_SHOWNORMAL);
    UpdateWindow(window->Handle());

    window->Settings().UseAutoStopTime = 0;
    window->Settings().UseAutoStopStable = 0;
    window->List().AddItem(vm::DownloadItem(url, "measured", 0));
    for (long i = 1; i < itemCount; ++i) {
        vm::DownloadItem item("http://127.0.0.1:9/disabled/" + std::to_string(i), "", i);
        item.disabled = 1;
        window->List().AddItem(item);
    }
    SendMessageA(window->Handle(), vm::WM_RESYNC_LIST, 0, 0);
    if ((window->Settings().ShowSpeedGraph != 0) != graphHour) {
        SendMessageA(window->Handle(), WM_COMMAND, MAKEWPARAM(ID_SPEED_GRAPH, 0), 0);
    }
    SendMessageA(window->Handle(), WM_COMMAND, MAKEWPARAM(ID_START_TEST, 0), 0);
    bool aged = !graphHour;

    // The first second (connection, first paint) is left out.
    const DWORD start = GetTickCount();
    const DWORD measureFrom = start + 1000;
    std::vector<double> steps;
    std::vector<double> redrawSteps;  // steps after transfer events: they repaint the rows
    int eventsSinceStep = 0;
    double cpuAtMeasure = -1;
    MSG msg;
    while (GetTickCount() - start < seconds * 1000 && window->IsRunning()) {
        if (!GetMessageA(&msg, nullptr, 0, 0)) break;
        vm::DownloadItem& first = window->List().ItemAt(0);
        if (!aged && first.status == vm::DownloadStatus::Downloading) {
            // An hour of steps at about 200 KB/s with a slow swing, then the live download
            // goes on from the hour's end.
            aged = true;
            first.startTick -= 3600000;
            uint64_t bytes = 0;
            for (uint32_t ms = 200; ms <= 3600000; ms += 200) {
                bytes += 40960 + static_cast<uint64_t>(8192 * std::sin(ms / 60000.0));
                window->Graph().Traces().Record(0, first.startTime, ms, bytes, 0);
            }
        }
        const bool step = msg.message == WM_TIMER && msg.hwnd == window->Handle() &&
                          msg.wParam == vm::kSampleTimerId;
        const bool measured = step && static_cast<LONG>(GetTickCount() - measureFrom) >= 0;
        if (measured && cpuAtMeasure < 0) cpuAtMeasure = ThreadCpuSeconds();
        if (msg.message == vm::WM_TRANSFER_EVENT) ++eventsSinceStep;
        LARGE_INTEGER before, after;
        QueryPerformanceCounter(&before);
        DispatchMessageA(&msg);
        if (step) RedrawWindow(window->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        QueryPerformanceCounter(&after);
        if (measured) {
            steps.push_back(Microseconds(after.QuadPart - before.QuadPart));
            if (eventsSinceStep > 0) redrawSteps.push_back(steps.back());
        }
        if (step) eventsSinceStep = 0;
    }
    const double cpu = cpuAtMeasure < 0 ? 0 : ThreadCpuSeconds() - cpuAtMeasure;
    const vm::DownloadItem& item = window->List().ItemAt(0);
    // The pane's own repaint, alone: the chart built afresh and drawn, twenty times.
    double panePaint = 0;
    HWND pane = window->Graph().Pane().Handle();
    if (graphHour && pane != nullptr && IsWindowVisible(pane)) {
        LARGE_INTEGER before, after;
        QueryPerformanceCounter(&before);
        for (int i = 0; i < 20; ++i) {
            window->Graph().Update();
            UpdateWindow(pane);
        }
        QueryPerformanceCounter(&after);
        panePaint = Microseconds(after.QuadPart - before.QuadPart) / 20;
    }
    const bool running = window->IsRunning();
    const uint64_t bytes = item.bytes;
    DestroyWindow(window->Handle());

    if (steps.empty()) {
        std::printf("items=%ld steps=0 running=%d\n", itemCount, running ? 1 : 0);
        return 1;
    }
    std::vector<double> sorted = steps;
    std::sort(sorted.begin(), sorted.end());
    auto mean = [](const std::vector<double>& values) {
        double sum = 0;
        for (double v : values) sum += v;
        return values.empty() ? 0.0 : sum / static_cast<double>(values.size());
    };
    const vm::SpeedTrace* trace = window->Graph().Traces().ForItem(0);
    const size_t graphPoints = graphHour && trace != nullptr ? trace->interval.size() : 0;
    std::printf("graph_points=%zu pane_paint_us=%.1f ", graphPoints, panePaint);
    std::printf(
        "items=%ld steps=%zu mean_us=%.1f median_us=%.1f redraw_steps=%zu "
        "redraw_mean_us=%.1f gui_cpu_s=%.3f running=%d bytes=%llu\n",
        itemCount, steps.size(), mean(steps), sorted[sorted.size() / 2], redrawSteps.size(),
        mean(redrawSteps), cpu, running ? 1 : 0, static_cast<unsigned long long>(bytes));
    return 0;
}
