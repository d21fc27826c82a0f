// The push client against the local test servers: what a gateway that is not there,
// silent or refusing does to a push. The real Pushgateway is in the end-to-end test.
#include <windows.h>
#include <gtest/gtest.h>
#include <wininet.h>

#include <cstdlib>
#include <string>

#include "win32/engine/PushgatewayClient.h"

namespace vm {
namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

class PushgatewayClient : public ::testing::Test {
protected:
    void SetUp() override {
        if (Env("VM_HTTP_PORT").empty()) GTEST_SKIP() << "test servers not running";
    }
    static std::string At(const char* portKey, const char* path) {
        return "http://127.0.0.1:" + Env(portKey) + path;
    }
};

TEST_F(PushgatewayClient, FailuresAreReportedNotWaitedFor) {
    const struct {
        std::string url;
        uint32_t error, otherError;  // with no HTTP status: either
        uint32_t httpStatus;         // 0: none
    } cases[] = {
        {At("VM_REFUSED_PORT", "/metrics/job/velocimark"), ERROR_INTERNET_CANNOT_CONNECT,
         ERROR_INTERNET_CANNOT_CONNECT, 0},
        // Accepts the connection and never answers: the request's receive time-out ends it
        // (Wine says 12030, Windows 12002), or else our wait for the thread.
        {At("VM_SILENT_PORT", "/metrics/job/velocimark"), ERROR_INTERNET_TIMEOUT,
         ERROR_INTERNET_CONNECTION_ABORTED, 0},
        // A server that answers the PUT without taking it (nginx serves files only).
        {At("VM_HTTP_PORT", "/1m.bin"), 0, 0, 405},
        {"ftp://127.0.0.1/metrics", ERROR_INTERNET_INVALID_URL, ERROR_INTERNET_INVALID_URL, 0},
        {"not a url", ERROR_INTERNET_INVALID_URL, ERROR_INTERNET_INVALID_URL, 0},
    };
    for (const auto& c : cases) {
        const DWORD start = GetTickCount();
        const PushResult result = PushMetricsText(c.url, "velocimark_x 1\n", 1500);
        const DWORD elapsed = GetTickCount() - start;
        EXPECT_FALSE(result.Succeeded()) << c.url;
        EXPECT_EQ(result.httpStatus, c.httpStatus) << c.url;
        if (c.httpStatus == 0) {
            EXPECT_TRUE(result.error == c.error || result.error == c.otherError)
                << c.url << ": " << result.error;
        }
        EXPECT_LT(elapsed, 1500u + 5000u + 2000u) << c.url;
    }
}

TEST_F(PushgatewayClient, ComputerNameIsThere) {
    const std::string name = ComputerName();
    EXPECT_FALSE(name.empty());
    EXPECT_LE(name.size(), static_cast<size_t>(MAX_COMPUTERNAME_LENGTH));
}

}  // namespace
}  // namespace vm
