#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "TransferTestWindow.h"
#include "engine/ErrorText.h"
#include "engine/TestRun.h"
#include "engine/WinClock.h"
#include "engine/WinMessageTable.h"

namespace vm {
namespace {

using test::EnvText;

class ListHost : public TestRunHost {
  public:
    std::vector<DownloadItem> items;
    int runsEnded = 0;
    DownloadItem* ItemAt(size_t i) override { return i < items.size() ? &items[i] : nullptr; }
    void Refresh() override {}
    void OnRunStateChanged() override {}
    void OnRunEnded() override { ++runsEnded; }
};

// A whole run over WinINet, the kernel and the tick clock, driven like the main window:
// events through the window, the sampler every 200 ms.
class WinTestRunTest : public ::testing::Test {
  protected:
    test::TransferTestWindow window;
    WinClock clock;
    WinMessageTable messages;
    AppSettings settings;
    ListHost host;
    TestRun run{host, settings, clock, messages, ProcessTransfers(), window.Id()};

    void SetUp() override {
        if (EnvText("VM_HTTP_PORT").empty())
            GTEST_SKIP() << "test servers are not running";
        window.handler = [this](uint32_t code, uint32_t serial) {
            run.OnTransferEvent(code, serial);
        };
    }
    void Add(const std::string& url) {
        host.items.emplace_back(url, "", static_cast<int32_t>(host.items.size()));
    }
    bool RunToEnd(uint32_t timeoutMs) {
        run.StartTest();
        const DWORD start = GetTickCount();
        while (run.IsRunning() && GetTickCount() - start < timeoutMs) {
            window.PumpFor(200);
            run.OnSampleTick();
        }
        return !run.IsRunning();
    }
    static std::string Http(const char* path) { return EnvText("VM_HTTP_URL") + path; }
};

TEST_F(WinTestRunTest, ItemsEndAsTheirServersBehave) {
    settings.UseAutoStopTime = 0;
    settings.ConnectTimeout = 1;
    settings.TryAgainOnFail = 1;
    settings.NumOfRetries = 1;
    Add("http://127.0.0.1:" + EnvText("VM_SILENT_PORT") + "/x");
    Add(Http("/1m.bin"));
    Add(Http("/missing.bin"));
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    Add(std::string(temp) + "vm-run-missing.bin");
    Add(Http("/chunked/200k.bin"));
    ASSERT_TRUE(RunToEnd(30000));
    EXPECT_EQ(host.runsEnded, 1);

    EXPECT_EQ(host.items[0].status, DownloadStatus::ConnectTimeout);
    EXPECT_EQ(host.items[0].retries, 1u);
    EXPECT_EQ(host.items[1].status, DownloadStatus::Finished);
    EXPECT_EQ(host.items[1].bytes, 1048576u);
    EXPECT_TRUE(host.items[1].HasStarted());
    EXPECT_EQ(host.items[2].status, DownloadStatus::Failed);
    EXPECT_EQ(host.items[2].serverStatus, 404);
    EXPECT_EQ(host.items[2].retries, 1u);
    EXPECT_EQ(host.items[3].status, DownloadStatus::Failed);
    EXPECT_EQ(host.items[3].errorCode, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(host.items[3].errorText, FlattenLineBreaks(SystemErrorText(ERROR_FILE_NOT_FOUND)));
    EXPECT_EQ(host.items[4].status, DownloadStatus::Finished);
    EXPECT_EQ(host.items[4].bytes, 200000u);
    EXPECT_EQ(ProcessTransfers().Root(), 0u);
}

TEST_F(WinTestRunTest, TimeLimitStopsARateLimitedDownload) {
    settings.UseAutoStopTime = 1;
    settings.AutoStopTime = 2;
    Add(Http("/slow/5m.bin"));
    ASSERT_TRUE(RunToEnd(15000));
    const DownloadItem& item = host.items[0];
    EXPECT_EQ(item.status, DownloadStatus::Finished);
    EXPECT_GE(item.duration, 2000u);
    EXPECT_LT(item.duration, 3000u);
    EXPECT_GT(item.bytes, 0u);
    EXPECT_LT(item.bytes, 5u * 1048576);
}

}  // namespace
}  // namespace vm
