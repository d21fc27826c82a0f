#pragma once
#include <windows.h>
#include <wininet.h>

#include <mutex>

#include "core/platform/LatencyProber.h"

namespace vm {

// Latency probes through a synchronous WinINet session of their own (the downloads' session
// is asynchronous): each probe a new connection, timed with the performance counter.
class WinLatencyProber : public LatencyProber {
public:
    ProbeOutcome Probe(const std::string& url) override;
    void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
    uint32_t TickCount() override { return GetTickCount(); }

private:
    HINTERNET Session();

    std::mutex mutex_;
    HINTERNET session_ = nullptr;
};

}  // namespace vm
