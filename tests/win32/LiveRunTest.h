#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TransferTestWindow.h"
#include "core/engine/TestRun.h"
#include "win32/platform/WinClock.h"
#include "win32/platform/WinMessageTable.h"

namespace vm::test {

class ListHost : public TestRunHost {
public:
    std::vector<DownloadItem> items;
    int runsEnded = 0;
    DownloadItem* ItemAt(size_t i) override { return i < items.size() ? &items[i] : nullptr; }
    void Refresh() override {}
    void OnRunStateChanged() override {}
    void OnRunEnded() override { ++runsEnded; }
};

// A whole run over WinINet, the kernel and the tick clock against the local test servers,
// its events delivered through a window as the main window receives them.
class LiveRunTest : public ::testing::Test {
protected:
    TransferTestWindow window;
    WinClock clock;
    WinMessageTable messages;
    AppSettings settings;
    ListHost host;
    TestRun run{host, settings, clock, messages, ProcessTransfers(), window.Id()};

    // False (and the test skipped) when the servers are not running.
    bool ServersRunning(const char* portVariable) {
        if (EnvText(portVariable).empty()) return false;
        window.handler = [this](uint32_t code, uint32_t serial) {
            run.OnTransferEvent(code, serial);
        };
        return true;
    }
    void Add(const std::string& url) {
        host.items.emplace_back(url, "", static_cast<int32_t>(host.items.size()));
    }
};

}  // namespace vm::test
