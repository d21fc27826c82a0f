#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "LiveRunTest.h"
#include "WinTestFiles.h"
#include "core/engine/ErrorText.h"

namespace vm {
namespace {

using test::EnvText;

// A whole run over WinINet, the kernel and the tick clock, driven like the main window:
// events through the window, the sampler every 200 ms.
class WinTestRunTest : public test::LiveRunTest {
protected:
    void SetUp() override {
        if (!ServersRunning("VM_HTTP_PORT")) GTEST_SKIP() << "test servers are not running";
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
    Add(TempFilePath("vm-run-missing.bin"));
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
    EXPECT_EQ(host.items[3].errorText.str(),
              FlattenLineBreaks(SystemErrorText(ERROR_FILE_NOT_FOUND)));
    EXPECT_EQ(host.items[4].status, DownloadStatus::Finished);
    EXPECT_EQ(host.items[4].bytes, 200000u);
    EXPECT_EQ(ProcessTransfers().Root(), 0u);
}

// The real 200 ms timer and WinINet together: the limit fires on a live transfer.
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
