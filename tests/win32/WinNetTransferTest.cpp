#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TransferTestWindow.h"

namespace vm {
namespace {

using test::EnvText;
using test::TransferTestWindow;

constexpr uint32_t kEventFlags = kTransferPostEvents | kTransferPostProgress;
constexpr uint32_t kWaitMs = 30000;
constexpr uint64_t kOneMiB = 1048576;

// Transfers against the local test servers; skipped when they are not running.
class WinNetTransferTest : public ::testing::Test {
protected:
    TransferTestWindow window;

    void SetUp() override {
        if (EnvText("VM_HTTP_PORT").empty()) GTEST_SKIP() << "test servers are not running";
    }
    static std::string Url(const char* scheme, const char* host, const char* portVariable,
                           const char* path) {
        return std::string(scheme) + "://" + host + ":" + EnvText(portVariable) + path;
    }
    std::unique_ptr<DownloadTransfer> Open(const std::string& url, bool passiveFtp = true) {
        window.events.clear();
        auto t = std::make_unique<DownloadTransfer>(ProcessTransfers());
        t->SetPassiveFtp(passiveFtp);
        t->Init(window.Id(), WM_TRANSFER_EVENT, kEventFlags);
        t->SetHeaders("Connection: Close");
        window.Attach(t.get());
        EXPECT_TRUE(t->OpenUrl(url)) << url;
        return t;
    }
    // Downloads to the end; the transfer for the caller's checks.
    std::unique_ptr<DownloadTransfer> Download(const std::string& url, bool passiveFtp = true) {
        auto t = Open(url, passiveFtp);
        EXPECT_TRUE(window.PumpUntilEnd(kWaitMs)) << url;
        return t;
    }
    // Progress is posted at most every 100 ms: a fast download may post none.
    void ExpectComplete(const DownloadTransfer& t, uint64_t bytes, const std::string& url) {
        EXPECT_EQ(window.LastCode(), EV_FINISHED) << url << " error " << t.Error();
        EXPECT_EQ(window.Count(EV_RESPONSE_ACCEPTED), 1u) << url;
        EXPECT_EQ(t.BytesRead(), bytes) << url;
    }
};

TEST_F(WinNetTransferTest, HttpWithLengthChunkedAndRedirect) {
    struct Case {
        const char* path;
        bool declared;
    } cases[] = {{"/1m.bin", true}, {"/chunked/1m.bin", false}, {"/redirect", true}};
    for (const Case& c : cases) {
        const std::string url = Url("http", "127.0.0.1", "VM_HTTP_PORT", c.path);
        auto t = Download(url);
        ExpectComplete(*t, kOneMiB, url);
        EXPECT_EQ(t->HttpStatus(), 200) << url;
        EXPECT_EQ(t->LengthUndeclared(), !c.declared) << url;
    }
}

TEST_F(WinNetTransferTest, NotFoundFailsWithTheStatusOnly) {
    const std::string url = Url("http", "127.0.0.1", "VM_HTTP_PORT", "/no-such-file.bin");
    auto t = Download(url);
    EXPECT_EQ(window.LastCode(), EV_FAILED);
    EXPECT_EQ(window.Count(EV_RESPONSE_ACCEPTED), 0u);
    EXPECT_EQ(t->Error(), 0u);
    EXPECT_EQ(t->HttpStatus(), 404);
}

TEST_F(WinNetTransferTest, RateLimitedFileKeepsProgressFlowing) {
    const std::string url = Url("http", "127.0.0.1", "VM_HTTP_PORT", "/slow/5m.bin");
    auto t = Download(url);
    ExpectComplete(*t, 5 * kOneMiB, url);
    // nginx's limit_rate sends in bursts, each read takes all that has arrived, and a
    // burst's count is posted unless one was posted within 100 ms: a count about every
    // second over the four seconds.
    EXPECT_GE(window.Count(EV_PROGRESS), 3u);
}

TEST_F(WinNetTransferTest, HttpsAcceptsDateAndNameErrorsButNotAnUntrustedCa) {
    struct Case {
        const char* port;
        bool downloads;
    } cases[] = {{"VM_HTTPS_PORT", true},
                 {"VM_HTTPS_EXPIRED_PORT", true},
                 {"VM_HTTPS_WRONGHOST_PORT", true},
                 {"VM_HTTPS_UNTRUSTED_PORT", false}};
    for (const Case& c : cases) {
        const std::string url = Url("https", "localhost", c.port, "/1m.bin");
        auto t = Download(url);
        if (c.downloads) {
            ExpectComplete(*t, kOneMiB, url);
        } else {
            EXPECT_EQ(window.LastCode(), EV_FAILED) << url;
            EXPECT_NE(t->Error(), 0u) << url;
            EXPECT_EQ(window.Count(EV_RESPONSE_ACCEPTED), 0u) << url;
        }
    }
}

TEST_F(WinNetTransferTest, FtpPassiveAndActive) {
    for (bool passive : {true, false}) {
        const std::string url = Url("ftp", "127.0.0.1", "VM_FTP_PORT", "/1m.bin");
        auto t = Download(url, passive);
        ExpectComplete(*t, kOneMiB, url + (passive ? " passive" : " active"));
        EXPECT_EQ(t->HttpStatus(), 0);
    }
    auto missing = Download(Url("ftp", "127.0.0.1", "VM_FTP_PORT", "/missing.bin"));
    EXPECT_EQ(window.LastCode(), EV_FAILED);
    EXPECT_NE(missing->Error(), 0u);
}

TEST_F(WinNetTransferTest, RefusedAndTruncatedFail) {
    auto refused = Download(Url("http", "127.0.0.1", "VM_REFUSED_PORT", "/x"));
    EXPECT_EQ(window.LastCode(), EV_FAILED);
    EXPECT_EQ(refused->Error(), 12029u);

    auto cut = Download(Url("http", "127.0.0.1", "VM_TRUNCATE_PORT", "/x"));
    EXPECT_EQ(window.LastCode(), EV_FAILED);
    EXPECT_EQ(window.Count(EV_FINISHED), 0u);
    EXPECT_EQ(cut->Error(), kErrorConnectionAborted);
    EXPECT_EQ(cut->BytesRead(), 100000u);
}

// WinINet announces the request's handle before the open completes; when the open then
// fails, the handle is ours to close (unclosed, each refused attempt kept about 8 KB): its
// closing is reported while the transfer still lives.
TEST_F(WinNetTransferTest, ARefusedOpenClosesTheRequestTheLibraryMade) {
    const size_t pendingBefore = ProcessTransfers().registry.PendingCount();
    auto refused = Open(Url("http", "127.0.0.1", "VM_REFUSED_PORT", "/x"));
    ASSERT_TRUE(window.PumpUntilEnd(kWaitMs));
    EXPECT_EQ(refused->Error(), 12029u);
    EXPECT_TRUE(window.PumpUntil([&] { return window.Count(EV_HANDLE_CLOSING) != 0; }, 5000));
    EXPECT_EQ(ProcessTransfers().registry.PendingCount(), pendingBefore);
}

// Answers that are not valid HTTP, which WinINet accepts, fail (the hostile stub).
TEST_F(WinNetTransferTest, AnswersThatAreNotHttpFail) {
    if (EnvText("VM_HOSTILE_PORT").empty()) GTEST_SKIP() << "no hostile server";
    struct Case {
        const char* path;
        uint32_t error;
        int32_t status;
    } cases[] = {
        {"/noreply", kErrorInvalidServerResponse, 0},
        {"/nothttp", kErrorInvalidServerResponse, 0},
        {"/status000", kErrorInvalidServerResponse, 0},
        {"/status700", 0, 700},
        {"/redirect-ftp", 0, 302},
        {"/redirect-file", 0, 302},
        {"/redirect-none", 0, 302},
    };
    for (const Case& c : cases) {
        const std::string url = Url("http", "127.0.0.1", "VM_HOSTILE_PORT", c.path);
        auto t = Download(url);
        EXPECT_EQ(window.LastCode(), EV_FAILED) << url;
        EXPECT_EQ(window.Count(EV_RESPONSE_ACCEPTED), 0u) << url;
        EXPECT_EQ(t->Error(), c.error) << url;
        EXPECT_EQ(t->HttpStatus(), c.status) << url;
    }
}

// vsftpd's refusals come with its reply; a refused login ends at once.
TEST_F(WinNetTransferTest, FtpRefusalsCarryTheServersReply) {
    struct Case {
        std::string url;
        uint32_t error;
        const char* replyStart;
    } cases[] = {
        {Url("ftp", "127.0.0.1", "VM_FTP_PORT", "/missing.bin"), kErrorExtendedError, "550 "},
        {Url("ftp", "127.0.0.1", "VM_FTP_PORT", "/dir"), kErrorExtendedError, "550 "},
        {Url("ftp", "127.0.0.1", "VM_FTP_PORT", "/secret.bin"), kErrorExtendedError, "550 "},
        {Url("ftp", "bob:wrong@127.0.0.1", "VM_FTP_PORT", "/1m.bin"), kErrorLoginFailure, "530 "},
        {Url("ftp", "127.0.0.1", "VM_REFUSED_PORT", "/1m.bin"), kErrorCannotConnect, ""},
    };
    for (const Case& c : cases) {
        auto t = Download(c.url);
        EXPECT_EQ(window.LastCode(), EV_FAILED) << c.url;
        EXPECT_EQ(t->Error(), c.error) << c.url;
        EXPECT_EQ(t->ServerReply().rfind(c.replyStart, 0), 0u) << c.url << ": " << t->ServerReply();
    }
}

TEST_F(WinNetTransferTest, SilentServerStaysPendingAndIsDestroyedCleanly) {
    auto t = Open(Url("http", "127.0.0.1", "VM_SILENT_PORT", "/x"));
    EXPECT_FALSE(window.PumpUntilEnd(1500));
    EXPECT_EQ(t->Phase(), TransferPhase::PendingOpen);
    const uint32_t serial = t->Serial();
    t.reset();
    window.Attach(nullptr);
    window.PumpFor(200);
    EXPECT_FALSE(ProcessTransfers().registry.IsLive(serial));
}

TEST_F(WinNetTransferTest, DestroyedMidDownloadIgnoresLateCallbacksAndEvents) {
    const std::string url = Url("http", "127.0.0.1", "VM_HTTP_PORT", "/slow/5m.bin");
    for (int round = 0; round < 3; ++round) {
        auto t = Open(url);
        window.PumpFor(300 + 100 * round);
        EXPECT_EQ(window.Count(EV_FAILED), 0u);
        const uint32_t serial = t->Serial();
        t.reset();
        window.Attach(nullptr);
        window.PumpFor(300);
        EXPECT_FALSE(ProcessTransfers().registry.IsLive(serial));
    }
    EXPECT_EQ(ProcessTransfers().RootUsers(), 0u);
    EXPECT_EQ(ProcessTransfers().Root(), 0u);
}

}  // namespace
}  // namespace vm
