#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "core/engine/DownloadItem.h"
#include "core/engine/DownloadTransfer.h"
#include "core/platform/FileSystem.h"
#include "support/AllocationCounter.h"
#include "support/TransferHarness.h"

namespace vm {
namespace {

using test::PostedEvent;
using test::ScriptedResponse;

class DownloadTransferTest : public ::testing::Test {
protected:
    test::TransferHarness h;
    std::vector<uint32_t> codes;  // events the receiver saw, internal steps included

    std::unique_ptr<DownloadTransfer> Make(uint32_t flags = kTransferPostEvents |
                                                            kTransferPostProgress) {
        auto t = std::make_unique<DownloadTransfer>(h.context);
        t->Init(0x55, WM_TRANSFER_EVENT, flags);
        t->SetHeaders("Connection: Close");
        return t;
    }
    // Delivers queued events to the transfer as the main window does.
    void Pump(DownloadTransfer& t) {
        PostedEvent e;
        for (int guard = 0; guard < 1000000 && h.net.PopEvent(&e); ++guard) {
            EXPECT_EQ(e.window, 0x55u);
            EXPECT_EQ(e.message, WM_TRANSFER_EVENT);
            if (e.serial != t.Serial()) continue;
            if (e.code >= kFirstInternalEvent) t.HandleInternalEvent(e.code);
            codes.push_back(e.code);
        }
    }
    size_t Count(uint32_t code) const { return std::count(codes.begin(), codes.end(), code); }
    size_t NonEmptyReads() const {
        return h.net.readSizes.size() + h.net.arrivedReads.size() -
               std::count(h.net.arrivedReads.begin(), h.net.arrivedReads.end(), 0u);
    }
    void Complete(const DownloadTransfer& t, uintptr_t result, uint32_t error) {
        h.context.registry.DispatchStatus(t.Serial(), h.net.LastRequest(), kStatusRequestComplete,
                                          result, error);
    }
    bool Has(uint32_t code) const { return Count(code) != 0; }
    // Opens, completes the open, and pumps.
    std::unique_ptr<DownloadTransfer> Run(const std::string& url) {
        auto t = Make();
        t->OpenUrl(url);
        h.CompleteOpen(t->Serial());
        Pump(*t);
        return t;
    }
    // An FTP download reads on a worker: lets it run to its end, then pumps what it posted.
    void AwaitWorker(DownloadTransfer& t) {
        EXPECT_TRUE(h.files.WaitForWorkersEnded());
        Pump(t);
    }
};

TEST_F(DownloadTransferTest, OpenFlagsByScheme) {
    struct Case {
        const char* url;
        bool passive;
        uint32_t flags;
    } cases[] = {
        {"http://a/x", true, kOpenFlagsDefault},   {"HTTPS://a/x", true, kOpenFlagsHttps},
        {"ftp://a/x", true, kOpenFlagsPassiveFtp}, {"ftp://a/x", false, kOpenFlagsDefault},
        {"gopher://a/x", true, kOpenFlagsDefault}, {"https://a/x", false, kOpenFlagsHttps},
    };
    for (const Case& c : cases) {
        h.net.Respond(c.url);
        auto t = Make();
        t->SetPassiveFtp(c.passive);
        EXPECT_TRUE(t->OpenUrl(c.url));
        EXPECT_EQ(h.net.openFlags.back(), c.flags) << c.url;
        EXPECT_EQ(h.net.openHeaders.back(), "Connection: Close");
        EXPECT_EQ(h.net.openContexts.back(), t->Serial());
        EXPECT_EQ(t->Phase(), TransferPhase::PendingOpen);
    }
}

TEST_F(DownloadTransferTest, OneRootWithAgentTimeoutsAndCallbackSharedAndClosedByTheLast) {
    auto a = Make();
    auto b = Make();
    EXPECT_EQ(h.net.rootOpens, 1);
    EXPECT_EQ(h.net.callbackInstalls, 1);
    EXPECT_EQ(h.net.agent, "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
    const std::vector<std::pair<uint32_t, uint32_t>> timeouts = {
        {2, 60000}, {5, 60000}, {6, 60000}};
    EXPECT_EQ(h.net.timeouts, timeouts);
    a.reset();
    EXPECT_FALSE(h.net.WasClosed(test::ScriptedInternet::kRoot));
    b.reset();
    EXPECT_TRUE(h.net.WasClosed(test::ScriptedInternet::kRoot));
    EXPECT_EQ(h.context.Root(), 0u);
    auto c = Make();
    EXPECT_EQ(h.net.rootOpens, 2);
}

// Progress is posted at most once per 100 ms of reading: ten reads of 30 ms post twice.
TEST_F(DownloadTransferTest, DeclaredLengthIsReadInLargeBlocksWithProgressAndFinished) {
    ScriptedResponse& r = h.net.Respond("http://a/f");
    r.contentLength = "10000000";
    r.bodyBytes = 10000000;
    r.msPerRead = 30;
    auto t = Run("http://a/f");
    ASSERT_GE(codes.size(), 4u);
    EXPECT_EQ(codes[0], EV_OPEN_COMPLETE);
    EXPECT_EQ(codes[1], EV_RESPONSE_ACCEPTED);
    EXPECT_EQ(codes.back(), EV_FINISHED);
    EXPECT_EQ(NonEmptyReads(), 10u);
    EXPECT_EQ(Count(EV_PROGRESS), 2u);
    EXPECT_EQ(t->BytesRead(), 10000000u);
    EXPECT_EQ(t->HttpStatus(), 200);
    EXPECT_FALSE(t->LengthUndeclared());
    // What has arrived is read in blocks as large as allowed, not as the query announces.
    EXPECT_EQ(*std::max_element(h.net.arrivedReads.begin(), h.net.arrivedReads.end()),
              kMaxArrivedRead);
}

TEST_F(DownloadTransferTest, UndeclaredLengthReadsToTheEndOfData) {
    const char* lengths[] = {nullptr, "0", "abc", ""};
    for (const char* length : lengths) {
        codes.clear();
        ScriptedResponse& r = h.net.Respond(std::string("http://a/") + (length ? length : "none"));
        if (length) r.contentLength = length;
        r.bodyBytes = 100000;
        auto t = Run(std::string("http://a/") + (length ? length : "none"));
        EXPECT_TRUE(t->LengthUndeclared());
        EXPECT_EQ(codes.back(), EV_FINISHED);
        EXPECT_EQ(Count(EV_FINISHED), 1u);
        EXPECT_EQ(t->BytesRead(), 100000u);
    }
}

TEST_F(DownloadTransferTest, DeclaredLengthReachedFinishesAndCountsTheReadWhole) {
    ScriptedResponse& r = h.net.Respond("http://a/f");
    r.contentLength = "10000";
    r.bodyBytes = 30000;
    r.announce = 30000;
    auto t = Run("http://a/f");
    EXPECT_EQ(codes.back(), EV_FINISHED);
    EXPECT_EQ(t->BytesRead(), 30000u);
}

TEST_F(DownloadTransferTest, ErrorStatusFailsWithoutErrorOrAcceptance) {
    ScriptedResponse& r = h.net.Respond("http://a/missing");
    r.status = 404;
    auto t = Run("http://a/missing");
    EXPECT_EQ(codes, (std::vector<uint32_t>{EV_OPEN_COMPLETE, EV_FAILED}));
    EXPECT_EQ(t->Error(), 0u);
    EXPECT_EQ(t->HttpStatus(), 404);
}

// The library's FTP reads wait on the calling thread for their whole block: they ask for
// exactly the announced count (at most a block), never for more, and each read follows a
// query of its own (the rest of a larger announcement waits for the next query).
TEST_F(DownloadTransferTest, FtpHasNoStatusAndReadsExactlyWhatIsAnnounced) {
    const uint32_t block = kMaxFtpRead;
    const struct {
        uint32_t announce;
        uint64_t bodyBytes;
        std::vector<uint32_t> reads;
    } cases[] = {
        {200000, 700000, {200000, 200000, 200000, 100000}},
        {3 * block, 2 * block + 5000, {block, block, 5000}},
    };
    for (const auto& c : cases) {
        const std::string url = "ftp://a/" + std::to_string(c.announce);
        ScriptedResponse& r = h.net.Respond(url);
        r.status.reset();
        r.bodyBytes = c.bodyBytes;
        r.announce = c.announce;
        h.net.readSizes.clear();
        h.net.queries = 0;
        codes.clear();
        auto t = Run(url);
        AwaitWorker(*t);
        EXPECT_EQ(t->HttpStatus(), 0);
        EXPECT_TRUE(Has(EV_RESPONSE_ACCEPTED));
        EXPECT_EQ(codes.back(), EV_FINISHED);
        EXPECT_EQ(t->BytesRead(), c.bodyBytes);
        EXPECT_EQ(h.net.readSizes, c.reads) << url;
        EXPECT_EQ(h.net.queries, c.reads.size() + 1) << url;  // the last one finds the end
        EXPECT_TRUE(h.net.arrivedReads.empty());
        EXPECT_TRUE(h.net.WasClosed(h.net.LastRequest()));  // by the worker, at its end
        EXPECT_FALSE(t->WholeBodySeen());                   // no length was announced
    }
}

TEST_F(DownloadTransferTest, HttpCountsEveryArrivedByteThenWaitsForMore) {
    for (bool readsWait : {false, true}) {
        codes.clear();
        const std::string url = readsWait ? "http://a/wait" : "http://a/zero";
        ScriptedResponse& r = h.net.Respond(url);
        r.contentLength = "1000000";
        r.bodyBytes = 1000000;
        r.arrived = 100000;  // then the server stalls
        r.arrivalChunk = 30000;
        r.arrivalReadsWait = readsWait;
        auto t = Run(url);
        EXPECT_EQ(t->BytesRead(), 100000u) << url;
        EXPECT_EQ(Count(EV_PROGRESS), 0u) << url;  // no time passed: the tick reads the count
        EXPECT_EQ(t->Phase(),
                  readsWait ? TransferPhase::PendingArrival : TransferPhase::PendingData);
        if (!readsWait) {
            EXPECT_EQ(h.net.debugLines.back(), "InternetQueryDataAvailable returned false");
        }
        h.net.Arrive(h.net.LastRequest(), 5000);
        // The wait ends with the count that came, which the read has yet to take.
        Complete(*t, readsWait ? h.net.LastRequest() : 1, 5000);
        Pump(*t);
        EXPECT_EQ(t->BytesRead(), 105000u) << url;
        EXPECT_FALSE(Has(EV_FINISHED) || Has(EV_FAILED)) << url;
    }
}

TEST_F(DownloadTransferTest, DataEndingBeforeTheDeclaredLengthIsAFailure) {
    ScriptedResponse& r = h.net.Respond("http://a/cut");
    r.contentLength = "100000";
    r.bodyBytes = 50000;
    auto t = Run("http://a/cut");
    EXPECT_FALSE(Has(EV_FINISHED));
    EXPECT_EQ(codes.back(), EV_FAILED);
    EXPECT_EQ(t->Error(), kErrorConnectionAborted);
    EXPECT_EQ(t->BytesRead(), 50000u);
}

TEST_F(DownloadTransferTest, EmptyReadAfterAnnouncedDataEndsTheData) {
    struct Case {
        const char* length;
        uint32_t last;
    } cases[] = {{nullptr, EV_FINISHED}, {"5000", EV_FAILED}};
    for (const Case& c : cases) {
        codes.clear();
        const std::string url = std::string("http://a/z") + (c.length ? c.length : "");
        ScriptedResponse& r = h.net.Respond(url);
        if (c.length) r.contentLength = c.length;
        r.bodyBytes = 5000;
        r.zeroReadWithData = true;
        auto t = Run(url);
        EXPECT_EQ(codes.back(), c.last) << url;
    }
}

TEST_F(DownloadTransferTest, OpenRefusedAtOnceFailsAtOnceWithItsError) {
    ScriptedResponse& r = h.net.Respond("http://a/bad");
    r.open = ScriptedResponse::Open::Refused;
    r.openError = 12006;
    auto t = Make();
    EXPECT_FALSE(t->OpenUrl("http://a/bad"));
    Pump(*t);
    EXPECT_EQ(codes, std::vector<uint32_t>{EV_FAILED});
    EXPECT_EQ(t->Error(), 12006u);
}

TEST_F(DownloadTransferTest, TextsOverTheirBoundsFailInsteadOfReachingSomethingElse) {
    const std::string atBound = "http://a/" + std::string(kMaxUrlLength - 9, 'u');
    const std::string pathOver = "C:\\" + std::string(kMaxLocalPath - 2, 'p');
    const struct {
        std::string target;
        bool local;
        bool started;
        uint32_t error;
    } kCases[] = {
        {atBound, false, true, 0},
        {atBound + "x", false, false, kErrorInternetInvalidUrl},
        {pathOver, true, false, kErrorFilenameTooLong},
    };
    for (const auto& c : kCases) {
        codes.clear();
        h.net.openedUrls.clear();
        auto t = Make();
        const bool started = c.local ? t->StartFileRead(c.target) : t->OpenUrl(c.target);
        if (c.started) {
            EXPECT_EQ(h.net.openedUrls, std::vector<std::string>{c.target});  // whole
            continue;
        }
        EXPECT_FALSE(started);
        Pump(*t);
        EXPECT_EQ(codes, std::vector<uint32_t>{EV_FAILED}) << c.target.size();
        EXPECT_EQ(t->Error(), c.error);
        EXPECT_TRUE(h.net.openedUrls.empty());  // nothing, not even a part of it, was asked for
    }
}

TEST_F(DownloadTransferTest, NoRootFailsTheOpenWithTheRootError) {
    h.net.rootFails = true;
    auto t = Make();
    EXPECT_FALSE(t->OpenUrl("http://a/x"));
    Pump(*t);
    EXPECT_EQ(codes, std::vector<uint32_t>{EV_FAILED});
    EXPECT_EQ(t->Error(), 12001u);
}

TEST_F(DownloadTransferTest, OpenCompletedAtOnceContinues) {
    ScriptedResponse& r = h.net.Respond("http://a/now");
    r.open = ScriptedResponse::Open::Immediate;
    r.bodyBytes = 1000;
    auto t = Make();
    EXPECT_TRUE(t->OpenUrl("http://a/now"));
    Pump(*t);
    EXPECT_EQ(codes.front(), EV_OPEN_COMPLETE);
    EXPECT_EQ(codes.back(), EV_FINISHED);
    EXPECT_EQ(t->BytesRead(), 1000u);
}

TEST_F(DownloadTransferTest, OpenCompletingWithAnErrorFails) {
    h.net.Respond("http://a/x");
    auto t = Make();
    t->OpenUrl("http://a/x");
    h.CompleteOpen(t->Serial(), 12029);
    Pump(*t);
    EXPECT_EQ(codes, std::vector<uint32_t>{EV_FAILED});
    EXPECT_EQ(t->Error(), 12029u);
}

TEST_F(DownloadTransferTest, ReadAndQueryErrorsFailWithTheirCode) {
    ScriptedResponse& r = h.net.Respond("http://a/r");
    r.bodyBytes = 1000;
    r.readError = 12030;
    auto t = Run("http://a/r");
    EXPECT_EQ(codes.back(), EV_FAILED);
    EXPECT_EQ(t->Error(), 12030u);
    EXPECT_TRUE(h.net.debugLines.empty());
}

// The FTP worker waits for a query or read that went pending until the library's
// completion reaches it through the callback.
TEST_F(DownloadTransferTest, PendingQueryAndReadCompleteThroughTheCallback) {
    ScriptedResponse& r = h.net.Respond("ftp://a/slow");
    r.status.reset();
    r.bodyBytes = 200000;
    r.queryPending = true;
    r.readPending = true;
    auto t = Run("ftp://a/slow");
    ASSERT_TRUE(h.net.AwaitPending(1));
    EXPECT_EQ(t->Phase(), TransferPhase::PendingData);
    Complete(*t, 1, 8192);  // the count travels in the completion's error field
    ASSERT_TRUE(h.net.AwaitPending(2));
    EXPECT_EQ(t->Phase(), TransferPhase::PendingRead);
    const uint32_t n = h.net.CompletePendingRead();
    Complete(*t, 1, 0);
    ASSERT_TRUE(h.net.AwaitPending(3));
    EXPECT_EQ(t->BytesRead(), n);
    EXPECT_EQ(t->Phase(), TransferPhase::PendingData);
    // A completion with an error fails the transfer.
    Complete(*t, 0, 12002);
    AwaitWorker(*t);
    EXPECT_EQ(codes.back(), EV_FAILED);
    EXPECT_EQ(t->Error(), 12002u);
    EXPECT_TRUE(h.net.WasClosed(h.net.LastRequest()));
}

// A waiting query or read succeeded when its result is nonzero, whatever its error field
// holds: Wine gives an FTP query the file handle as result and the count as error. A read
// may bring its count only in the error field, or none at all: an empty read is checked
// with a query, and only two in a row end the data.
TEST_F(DownloadTransferTest, WaitingCompletionsSucceedOnAnyNonzeroResult) {
    struct Case {
        bool read;  // a waiting read, else a waiting query
        bool handleResult;
        uint32_t error;
        uint64_t bytes;  // counted once the worker waits again or has ended
        uint32_t end;    // 0: still reading
    } cases[] = {
        {false, false, 4096, 4096, 0},
        {false, true, 4096, 4096, 0},
        {false, false, 0, 0, EV_FINISHED},
        {false, false, 12002, 0, EV_FAILED},
        {true, true, 4096, 4096, 0},
        {true, false, 12030, 0, EV_FAILED},
        {true, true, 0, 0, 0},
    };
    for (const Case& c : cases) {
        codes.clear();
        const std::string url = "ftp://a/" + std::to_string(&c - cases);
        ScriptedResponse& r = h.net.Respond(url);
        r.status.reset();
        r.bodyBytes = 100000;
        r.queryPending = !c.read;
        r.readPending = c.read;
        const size_t waited = h.net.pendingCalls.load() + 1;  // before the worker starts
        auto t = Run(url);
        ASSERT_TRUE(h.net.AwaitPending(waited)) << url;
        const InternetHandle request = h.net.LastRequest();
        Complete(*t, c.handleResult ? request : (c.error == 12002 || c.error == 12030 ? 0 : 1),
                 c.error);
        if (c.end != 0) {
            AwaitWorker(*t);
            EXPECT_EQ(codes.back(), c.end) << url;
            EXPECT_EQ(t->Error(), c.end == EV_FAILED ? c.error : 0u) << url;
        } else {
            ASSERT_TRUE(h.net.AwaitPending(waited + 1)) << url;
        }
        EXPECT_EQ(t->BytesRead(), c.bytes) << url;
    }
    // Two empty reads in a row: the data has ended.
    const uint64_t before = h.net.pendingCalls.load();
    ScriptedResponse& r = h.net.Respond("ftp://a/empty");
    r.status.reset();
    r.bodyBytes = 30000;
    r.readPending = true;
    auto t = Run("ftp://a/empty");
    for (uint64_t i = 1; i <= 2; ++i) {
        ASSERT_TRUE(h.net.AwaitPending(before + i));
        Complete(*t, 1, 0);
    }
    AwaitWorker(*t);
    EXPECT_EQ(codes.back(), EV_FINISHED);
}

TEST_F(DownloadTransferTest, LongReadingGivesTheMessageLoopATurnInOrder) {
    ScriptedResponse& r = h.net.Respond("http://a/fast");
    r.contentLength = "20000000";
    r.bodyBytes = 20000000;
    r.msPerRead = 10;
    auto t = Run("http://a/fast");
    EXPECT_GE(Count(EV_READ_CONTINUE), 2u);
    // Behind the waiting input, paint and timer messages, not ahead of them.
    EXPECT_EQ(h.net.afterInputPosts, Count(EV_READ_CONTINUE));
    EXPECT_EQ(codes.back(), EV_FINISHED);
    EXPECT_EQ(t->BytesRead(), 20000000u);
    // Each turn ends after at most kReadTurnMs of reading: five reads of 10 ms.
    size_t run = 0;
    for (uint32_t code : codes) {
        run = code == EV_PROGRESS ? run + 1 : 0;
        EXPECT_LE(run, kReadTurnMs / 10);
    }
}

TEST_F(DownloadTransferTest, CountsPastFourGiB) {
    ScriptedResponse& r = h.net.Respond("http://a/big");
    r.contentLength = "4295032832";  // 4 GiB + 64 KiB
    r.bodyBytes = 4295032832ULL;
    auto t = Run("http://a/big");
    EXPECT_EQ(codes.back(), EV_FINISHED);
    EXPECT_EQ(t->BytesRead(), 4295032832ULL);
    EXPECT_EQ(t->ContentLength(), 4295032832ULL);
}

TEST_F(DownloadTransferTest, EventsAreOnlyPostedWithTheEventFlagAndProgressWithItsOwn) {
    ScriptedResponse& r = h.net.Respond("http://a/q");
    r.open = ScriptedResponse::Open::Immediate;
    r.bodyBytes = 100;
    auto quiet = Make(0);
    quiet->OpenUrl("http://a/q");
    EXPECT_EQ(h.net.QueuedEvents(), 0u);
    auto noProgress = Make(kTransferPostEvents);
    noProgress->OpenUrl("http://a/q");
    Pump(*noProgress);
    EXPECT_FALSE(Has(EV_PROGRESS));
    EXPECT_EQ(codes.back(), EV_FINISHED);
}

TEST_F(DownloadTransferTest, CallbacksAfterDestructionAreIgnoredAndALateOpenIsClosed) {
    h.net.Respond("http://a/x");
    auto t = Make();
    t->OpenUrl("http://a/x");
    const uint32_t serial = t->Serial();
    const InternetHandle req = h.net.LastRequest();
    t.reset();
    h.context.registry.DispatchStatus(serial, req, kStatusRequestComplete, req, 0);
    EXPECT_EQ(h.net.QueuedEvents(), 0u);
    EXPECT_TRUE(h.net.WasClosed(req));
    // A new transfer, perhaps at the same address, never gets the old serial's callbacks.
    auto next = Make();
    EXPECT_NE(next->Serial(), serial);
    h.context.registry.DispatchStatus(serial, req, kStatusHandleClosing, 0, 0);
    EXPECT_EQ(h.net.QueuedEvents(), 0u);
}

// The FTP worker ends by itself at the size limit and at a declared length. A data end
// short of that length is a truncation, and so is one after which the server says the
// transfer failed; a time-out ends it from the window.
TEST_F(DownloadTransferTest, TheFtpWorkerEndsAtTheLimitTheLengthOrTheTimeOut) {
    const std::string aborted = "426 Failure writing network stream.";
    struct Case {
        const char* name;
        std::optional<std::string> length;
        std::optional<std::string> lastReply;
        uint64_t limit;
        uint64_t counted;
        uint32_t error;  // 0: finished
        bool whole;
    } cases[] = {
        {"limit", std::nullopt, aborted, 250000, 300000, 0, false},  // we cut it short
        {"declared", "300000", std::nullopt, UINT64_MAX, 300000, 0, true},
        {"truncated", "900000", std::nullopt, UINT64_MAX, 500000, kErrorConnectionAborted, false},
        {"aborted", std::nullopt, aborted + "\r\n", UINT64_MAX, 500000, kErrorExtendedError, false},
        {"complete", std::nullopt, "226 Transfer complete.\r\n", UINT64_MAX, 500000, 0, false},
    };
    const uint32_t start = h.clock.tick;
    for (const Case& c : cases) {
        codes.clear();
        h.net.lastResponse.reset();
        const std::string url = std::string("ftp://a/") + c.name;
        ScriptedResponse& r = h.net.Respond(url);
        r.status.reset();
        r.contentLength = c.length;
        r.closeReply = c.lastReply;
        r.msPerCloseHere = 700;  // the close waits for the server's reply
        r.bodyBytes = 500000;
        r.announce = 100000;
        auto t = Make();
        t->SetYieldAtBytes(c.limit);
        t->OpenUrl(url);
        h.CompleteOpen(t->Serial());
        Pump(*t);
        AwaitWorker(*t);
        EXPECT_EQ(codes.back(), c.error != 0 ? EV_FAILED : EV_FINISHED) << c.name;
        EXPECT_EQ(t->BytesRead(), c.counted) << c.name;
        EXPECT_EQ(t->WholeBodySeen(), c.whole) << c.name;
        EXPECT_EQ(t->Error(), c.error) << c.name;
        EXPECT_EQ(t->ServerReply(), c.error == kErrorExtendedError ? aborted : "") << c.name;
        // The data ended before the close: the time to the close is not the download's.
        EXPECT_EQ(t->DataTick(), start + 700 * (&c - cases)) << c.name;
    }
    h.net.lastResponse.reset();
    ScriptedResponse& r = h.net.Respond("ftp://a/silent");
    r.status.reset();
    r.bodyBytes = 500000;
    r.queryPending = true;
    codes.clear();
    const size_t waited = h.net.pendingCalls.load() + 1;
    auto t = Run("ftp://a/silent");
    ASSERT_TRUE(h.net.AwaitPending(waited));
    EXPECT_TRUE(t->FailTimedOut());
    EXPECT_EQ(t->Error(), kErrorInternetTimeout);
    AwaitWorker(*t);
    EXPECT_FALSE(Has(EV_FAILED));  // the window ended it: the worker only closes its handle
    EXPECT_TRUE(h.net.WasClosed(h.net.LastRequest()));
    EXPECT_FALSE(t->FailTimedOut());
}

TEST_F(DownloadTransferTest, APendingReadKeepsItsBufferUntilTheHandleCloses) {
    ScriptedResponse& r = h.net.Respond("ftp://a/p");
    r.bodyBytes = 100000;
    r.readPending = true;
    auto t = Run("ftp://a/p");
    ASSERT_TRUE(h.net.AwaitPending(1));
    const InternetHandle req = h.net.LastRequest();
    t.reset();
    EXPECT_TRUE(h.files.WaitForWorkersEnded());
    EXPECT_TRUE(h.net.WasClosed(req));  // the stopped worker still closes its handle
    EXPECT_EQ(h.context.registry.RetiredCount(), 1u);
    h.net.CompletePendingRead();  // the library writes into the buffer after the close
    h.context.registry.DispatchStatus(1, req, kStatusHandleClosing, 0, 0);
    EXPECT_EQ(h.context.registry.RetiredCount(), 0u);
    EXPECT_EQ(h.net.QueuedEvents(), 0u);  // a stopped worker posts nothing
}

// A stop while an http(s) call waits keeps the slot it writes into until the handle
// reports that it is closing, which for a stalled body is never: only a waiting read of a
// count keeps the read buffer; a waiting query or no-wait read writes a count at most.
TEST_F(DownloadTransferTest, AStoppedHttpsCallKeepsOnlyWhatTheLibraryWritesInto) {
    struct Case {
        const char* url;
        bool readWaits;  // else nothing arrives and the read of arrivals waits
        bool bufferKept;
    } cases[] = {{"https://a/read", true, true}, {"https://a/arrivals", false, false}};
    for (const Case& c : cases) {
        ScriptedResponse& r = h.net.Respond(c.url);
        r.contentLength = "100000";
        r.bodyBytes = 100000;
        if (c.readWaits) {
            r.arrivalChunk = 0;  // reads of arrivals find none: the query announces, the read waits
            r.readPending = true;
        } else {
            r.arrived = 0;
            r.arrivalReadsWait = true;
        }
        auto t = Run(c.url);
        ASSERT_EQ(t->Phase(),
                  c.readWaits ? TransferPhase::PendingRead : TransferPhase::PendingArrival)
            << c.url;
        const InternetHandle req = h.net.LastRequest();
        const long before = test::LiveHeapBytes();
        t->StopTransfer();
        t.reset();
        EXPECT_TRUE(h.net.WasClosed(req));
        EXPECT_EQ(h.context.registry.RetiredCount(), 1u);
        EXPECT_EQ(before - test::LiveHeapBytes() < long{kMaxArrivedRead}, c.bufferKept) << c.url;
        if (c.readWaits) h.net.CompletePendingRead();
        h.context.registry.DispatchStatus(0, req, kStatusHandleClosing, 0, 0);
        EXPECT_EQ(h.context.registry.RetiredCount(), 0u);
    }
}

TEST_F(DownloadTransferTest, HandleClosingIsReported) {
    h.net.Respond("http://a/x");
    auto t = Make();
    t->OpenUrl("http://a/x");
    h.context.registry.DispatchStatus(t->Serial(), 1, kStatusHandleClosing, 0, 0);
    h.context.registry.DispatchStatus(t->Serial(), 1, kStatusConnectionClosed, 0, 0);
    Pump(*t);
    EXPECT_EQ(codes, std::vector<uint32_t>{EV_HANDLE_CLOSING});
}

TEST(ParseContentLength, Texts) {
    struct Case {
        const char* text;
        bool ok;
        uint64_t value;
    } cases[] = {
        {"0", true, 0},
        {"1234", true, 1234},
        {" 6000000000 ", true, 6000000000ULL},
        {"18446744073709551615", true, UINT64_MAX},
        {"18446744073709551616", false, 0},
        {"", false, 0},
        {"12a", false, 0},
        {"-5", false, 0},
    };
    for (const Case& c : cases) {
        uint64_t v = 0;
        EXPECT_EQ(ParseContentLength(c.text, &v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

}  // namespace
}  // namespace vm
