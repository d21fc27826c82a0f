// Downloads one URL with the program's transfer, the way a test run does (events through
// a window that also runs the 200 ms timer of the main window), and prints the figures:
// bytes, time from the accepted response to the last data (to the stop, with a time
// limit), rate, CPU time.
// Usage: transfer-bench.exe URL [TIMEOUT_SECONDS]; VM_BENCH_NO_PROGRESS=1 posts no
// EV_PROGRESS; VM_BENCH_TIME_LIMIT_MS=N ends the download at the first tick N ms or more
// after the response was accepted, as the time limit does ("result=timelimit").
// A local path is read by the local-file worker; VM_BENCH_SIZE_LIMIT=N ends it at N bytes
// as the size limit does (for a source that never ends).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/base/UrlKind.h"
#include "core/engine/DownloadTransfer.h"
#include "core/engine/TransferEvent.h"
#include "limits/ProcessCpu.h"
#include "win32/engine/HandleCloser.h"
#include "win32/engine/ProcessTransfers.h"
#include "win32/engine/WinLocalFileApi.h"

namespace {

vm::DownloadTransfer* gTransfer = nullptr;
bool gEnded = false;
bool gFailed = false;
DWORD gAcceptedTick = 0;
DWORD gEndTick = 0;
bool gTimeLimited = false;
unsigned gProgressEvents = 0;
DWORD gTimeLimitMs = 0;
uint64_t gBytesAtLimit = 0;

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 200;

void OnTick() {
    if (gTimeLimitMs == 0 || gEnded || gAcceptedTick == 0 || gTransfer == nullptr) return;
    const DWORD now = GetTickCount();
    if (now - gAcceptedTick < gTimeLimitMs) return;
    gBytesAtLimit = gTransfer->BytesRead();
    gTransfer->StopTransfer();
    gEndTick = now;
    gEnded = true;
    gTimeLimited = true;
}

LRESULT CALLBACK BenchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        OnTick();
        return 0;
    }
    if (message != vm::WM_TRANSFER_EVENT) return DefWindowProcA(window, message, wParam, lParam);
    const auto code = static_cast<uint32_t>(wParam);
    if (gTransfer == nullptr || gTransfer->Serial() != static_cast<uint32_t>(lParam)) return 0;
    if (code >= vm::kFirstInternalEvent) gTransfer->HandleInternalEvent(code);
    switch (code) {
        case vm::EV_RESPONSE_ACCEPTED:
            gAcceptedTick = GetTickCount();
            break;
        case vm::EV_PROGRESS:
            ++gProgressEvents;
            break;
        case vm::EV_FINISHED:
        case vm::EV_FAILED:
            gEndTick = GetTickCount();
            gEnded = true;
            gFailed = code == vm::EV_FAILED;
            break;
        default:
            break;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: transfer-bench URL [TIMEOUT_SECONDS]\n");
        return 2;
    }
    const DWORD timeoutMs = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) * 1000 : 600000;
    if (const char* limit = std::getenv("VM_BENCH_TIME_LIMIT_MS"))
        gTimeLimitMs = static_cast<DWORD>(std::atoi(limit));
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &BenchWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VelocimarkBench";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  wc.hInstance, nullptr);
    SetTimer(window, kTickTimer, kTickMs, nullptr);
    const double cpuBefore = ProcessCpuSeconds();
    const DWORD start = GetTickCount();
    auto transfer = std::make_unique<vm::DownloadTransfer>(vm::ProcessTransfers());
    gTransfer = transfer.get();
    transfer->Init(reinterpret_cast<uintptr_t>(window), vm::WM_TRANSFER_EVENT,
                   vm::kTransferPostEvents |
                       (std::getenv("VM_BENCH_NO_PROGRESS") ? 0u : vm::kTransferPostProgress));
    transfer->SetHeaders("Connection: Close");
    if (const char* limit = std::getenv("VM_BENCH_SIZE_LIMIT"))
        transfer->SetYieldAtBytes(std::strtoull(limit, nullptr, 10));
    if (vm::IsLocalPath(argv[1])) {
        transfer->StartFileRead(argv[1]);
    } else {
        transfer->OpenUrl(argv[1]);
    }
    MSG msg;
    while (!gEnded && GetTickCount() - start < timeoutMs) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        while (!gEnded && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    const uint64_t bytes = gTimeLimited ? gBytesAtLimit : transfer->BytesRead();
    // A finished download lasts from its accepted response to its last data, both stamped
    // where they happened, as the program times an item: the FTP worker reports the end
    // only after its close.
    const bool finished = gEnded && !gTimeLimited && !gFailed && transfer->AcceptedTick() != 0;
    const DWORD dataMs = transfer->DataTick() - transfer->AcceptedTick();
    const uint32_t error = transfer->Error();
    gTransfer = nullptr;
    transfer.reset();
    // As the program does: no handle may still be closing when the process ends. The CPU
    // time includes the close and the removal of an FTP cache copy, as the minimal loop's
    // does: the worker asks for them before it reports the end.
    (void)vm::WaitForWorkers(10000);
    (void)vm::WaitForBackgroundCloses(10000);
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    DWORD ms = gEnded && gAcceptedTick != 0 ? gEndTick - gAcceptedTick : 0;
    if (finished) ms = dataMs;
    const double mib = bytes / 1048576.0;
    std::printf(
        "result=%s bytes=%llu ms=%lu rate_mib_s=%.1f cpu_s=%.3f progress_events=%u error=%u\n",
        !gEnded        ? "timeout"
        : gTimeLimited ? "timelimit"
        : gFailed      ? "failed"
                       : "finished",
        static_cast<unsigned long long>(bytes), static_cast<unsigned long>(ms),
        ms != 0 ? mib / (ms / 1000.0) : 0.0, cpu, gProgressEvents, error);
    return gEnded && !gFailed ? 0 : 1;  // a time limit is a normal end
}
