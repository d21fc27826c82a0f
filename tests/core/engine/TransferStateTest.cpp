#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/engine/TransferState.h"
#include "support/TransferHarness.h"

namespace vm {
namespace {

// Walks a table of legal changes from its start: what can be reached, and whether every
// reachable value can still get to one of the wanted ends.
template <typename E>
struct Walk {
    std::set<int> reached;
    bool allReachEnd = true;

    Walk(int count, E start, int base, const std::set<int>& ends) {
        std::vector<int> todo{static_cast<int>(start)};
        reached.insert(todo[0]);
        while (!todo.empty()) {
            const int from = todo.back();
            todo.pop_back();
            for (int to = base; to < base + count; ++to) {
                if (IsLegalChange(static_cast<E>(from), static_cast<E>(to)) &&
                    reached.insert(to).second)
                    todo.push_back(to);
            }
        }
        for (int value : reached) {
            if (!ReachesEnd(count, value, base, ends)) allReachEnd = false;
        }
    }
    static bool ReachesEnd(int count, int value, int base, const std::set<int>& ends) {
        std::set<int> seen{value};
        std::vector<int> todo{value};
        while (!todo.empty()) {
            const int from = todo.back();
            todo.pop_back();
            if (ends.count(from) != 0) return true;
            for (int to = base; to < base + count; ++to) {
                if (IsLegalChange(static_cast<E>(from), static_cast<E>(to)) &&
                    seen.insert(to).second)
                    todo.push_back(to);
            }
        }
        return false;
    }
};

TEST(TransferState, EveryTableReachesAllItsValuesAndNeverGetsStuck) {
    // Every pending operation can complete back to None, and every wait ends.
    Walk<TransferPhase> phases(kTransferPhaseCount, TransferPhase::None, 0,
                               {static_cast<int>(TransferPhase::None)});
    EXPECT_EQ(phases.reached.size(), static_cast<size_t>(kTransferPhaseCount));
    EXPECT_TRUE(phases.allReachEnd);
    Walk<Awaiting> waits(kAwaitingCount, Awaiting::Nothing, 0,
                         {static_cast<int>(Awaiting::Nothing)});
    EXPECT_EQ(waits.reached.size(), static_cast<size_t>(kAwaitingCount));
    EXPECT_TRUE(waits.allReachEnd);
    // An item the run starts always ends as one of the three results.
    Walk<DownloadStatus> statuses(
        kDownloadStatusCount, DownloadStatus::Waiting, 1,
        {static_cast<int>(DownloadStatus::Finished), static_cast<int>(DownloadStatus::Failed),
         static_cast<int>(DownloadStatus::ConnectTimeout)});
    EXPECT_EQ(statuses.reached.size(), static_cast<size_t>(kDownloadStatusCount));
    EXPECT_TRUE(statuses.allReachEnd);
    Walk<TransferEnd> ends(
        kTransferEndCount, TransferEnd::None, 0,
        {static_cast<int>(TransferEnd::Stopped), static_cast<int>(TransferEnd::Finished),
         static_cast<int>(TransferEnd::Failed)});
    EXPECT_EQ(ends.reached.size(), static_cast<size_t>(kTransferEndCount));
    EXPECT_TRUE(ends.allReachEnd);
}

TEST(TransferState, EndsAndResultsAreFinal) {
    // An ended transfer never reads again, and only a stop (which keeps the end) follows.
    for (TransferEnd from : {TransferEnd::Stopped, TransferEnd::Finished, TransferEnd::Failed}) {
        for (int to = 0; to < kTransferEndCount; ++to) {
            EXPECT_EQ(IsLegalChange(from, static_cast<TransferEnd>(to)),
                      static_cast<TransferEnd>(to) == TransferEnd::Stopped)
                << NameOf(from) << " -> " << to;
        }
    }
    // A result is never overwritten by another: a failure must not turn into "Finished".
    for (DownloadStatus from :
         {DownloadStatus::Finished, DownloadStatus::Failed, DownloadStatus::ConnectTimeout}) {
        for (int to = 1; to <= kDownloadStatusCount; ++to) {
            EXPECT_EQ(IsLegalChange(from, static_cast<DownloadStatus>(to)),
                      from == DownloadStatus::Finished && to == static_cast<int>(from))
                << NameOf(from);
        }
    }
    // No operation starts while another is pending.
    for (int from = 1; from < kTransferPhaseCount; ++from) {
        for (int to = 1; to < kTransferPhaseCount; ++to)
            EXPECT_FALSE(
                IsLegalChange(static_cast<TransferPhase>(from), static_cast<TransferPhase>(to)));
    }
}

TEST(TransferState, NamesAreDistinctAndOutOfRangeValuesAreRefused) {
    std::set<std::string> names;
    for (int i = 0; i < kTransferPhaseCount; ++i)
        names.insert(NameOf(static_cast<TransferPhase>(i)));
    EXPECT_EQ(names.size(), static_cast<size_t>(kTransferPhaseCount));
    names.clear();
    for (int i = 1; i <= kDownloadStatusCount; ++i)
        names.insert(NameOf(static_cast<DownloadStatus>(i)));
    EXPECT_EQ(names.size(), static_cast<size_t>(kDownloadStatusCount));
    EXPECT_STREQ(NameOf(static_cast<DownloadStatus>(0)), "?");
    EXPECT_STREQ(NameOf(static_cast<TransferPhase>(9)), "?");
    EXPECT_FALSE(IsLegalChange(static_cast<DownloadStatus>(0), DownloadStatus::Connecting));
    EXPECT_FALSE(IsLegalChange(TransferPhase::None, static_cast<TransferPhase>(-1)));
}

TEST(TransferState, AnIllegalChangeStopsADebugBuild) {
    EXPECT_DEBUG_DEATH(CheckChange(false, "phase", "PendingRead", "PendingOpen"),
                       "illegal phase change PendingRead -> PendingOpen");
}

// The trace names every change in order: a refused answer (404) and a short download.
TEST(TransferState, ChangesAreTracedByName) {
    test::TransferHarness h;
    h.context.traceChanges = true;
    h.net.Respond("http://a/missing").status = 404;
    {
        DownloadTransfer t(h.context);
        t.Init(1, WM_TRANSFER_EVENT, kTransferPostEvents);
        ASSERT_TRUE(t.OpenUrl("http://a/missing"));
        h.CompleteOpen(t.Serial());
        test::PostedEvent e;
        while (h.net.PopEvent(&e)) {
            if (e.code >= kFirstInternalEvent) t.HandleInternalEvent(e.code);
        }
        EXPECT_EQ(t.End(), TransferEnd::Failed);
    }
    const std::vector<std::string> expected = {
        "transfer 1 phase None -> PendingOpen",
        "transfer 1 phase PendingOpen -> None",
        "transfer 1 end None -> Failed",
    };
    EXPECT_EQ(h.net.debugLines, expected);
}

// A failure on any thread ends the attempt's machine as failed, and the trace says so, once:
// a local file that cannot be opened and an FTP read that fails (their workers), and an
// http query whose waiting completion fails (a library thread). Stopping it afterwards
// keeps the failure.
TEST(TransferState, AFailureOnAnyThreadEndsTheMachineAndTheTraceShowsIt) {
    test::TransferHarness h;
    h.context.traceChanges = true;
    test::ScriptedResponse& ftp = h.net.Respond("ftp://a/f");
    ftp.status.reset();
    ftp.bodyBytes = 100000;
    ftp.readError = kErrorConnectionAborted;
    test::ScriptedResponse& http = h.net.Respond("http://a/q");
    http.bodyBytes = 100000;
    http.arrivalChunk = 0;
    http.queryPending = true;
    for (const char* target : {"C:\\missing", "ftp://a/f", "http://a/q"}) {
        h.net.debugLines.clear();
        auto t = std::make_unique<DownloadTransfer>(h.context);
        t->Init(1, WM_TRANSFER_EVENT, kTransferPostEvents);
        const std::string where = target;
        if (where[0] == 'C') {
            ASSERT_TRUE(t->StartFileRead(where));
        } else {
            ASSERT_TRUE(t->OpenUrl(where));
            h.CompleteOpen(t->Serial());
        }
        bool failed = false;
        for (int turn = 0; turn < 3 && !failed; ++turn) {
            ASSERT_TRUE(h.files.WaitForWorkersEnded());
            test::PostedEvent e;
            while (h.net.PopEvent(&e)) {
                if (e.code >= kFirstInternalEvent) t->HandleInternalEvent(e.code);
                failed = failed || e.code == EV_FAILED;
            }
            if (!failed && t->Phase() == TransferPhase::PendingData) {
                std::thread library([&] {
                    h.context.registry.DispatchStatus(t->Serial(), h.net.LastRequest(),
                                                      kStatusRequestComplete, 0,
                                                      kErrorConnectionAborted);
                });
                library.join();
            }
        }
        EXPECT_TRUE(failed) << target;
        t->StopTransfer();
        EXPECT_EQ(t->End(), TransferEnd::Failed) << target;
        std::vector<std::string> ends;
        for (const std::string& line : h.net.debugLines) {
            if (line.find(" end ") != std::string::npos) ends.push_back(line);
        }
        const std::string failure =
            "transfer " + std::to_string(t->Serial()) + " end None -> Failed";
        EXPECT_EQ(ends, std::vector<std::string>{failure}) << target;
    }
}

}  // namespace
}  // namespace vm
