#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app/ExportRunEnd.h"
#include "core/report/MonitorSwitches.h"
#include "support/RecordingRunHost.h"

namespace vm {
namespace {

using test::Export;
using RecordingHost = test::RecordingRunHost;

DownloadItem Item(DownloadStatus status, bool slow = false, int32_t disabled = 0) {
    DownloadItem item("http://a/", "", 0);
    item.status = status;
    item.belowMinSpeed = slow;
    item.disabled = disabled;
    return item;
}

TEST(ExitCodes, NumbersAreTheDocumentedOnes) {
    // Scripts and the README depend on these numbers.
    const struct {
        ExitCode code;
        int number;
    } table[] = {
        {ExitCode::Success, 0},          {ExitCode::ReportNotWritten, 1},
        {ExitCode::ConfigUnreadable, 2}, {ExitCode::NoExportToDo, 3},
        {ExitCode::RunInterrupted, 4},   {ExitCode::HistoryNotWritten, 5},
        {ExitCode::PushFailed, 6},       {ExitCode::WindowNotCreated, 7},
        {ExitCode::ItemFailed, 10},      {ExitCode::ItemSlow, 11},
        {ExitCode::AlertFiring, 12},
    };
    for (const auto& row : table) EXPECT_EQ(static_cast<int>(row.code), row.number);
}

TEST(ExitCodes, FirstThatAppliesWinsAndItemsCountOnlyWhenStrict) {
    // Each flag alone, then with every flag after it in the order set as well: the flag
    // itself must still win.
    const struct {
        bool ExportOutcome::*flag;
        ExitCode code;
        ExitCode lenient;  // without /strict
    } order[] = {
        {&ExportOutcome::configUnreadable, ExitCode::ConfigUnreadable, ExitCode::ConfigUnreadable},
        {&ExportOutcome::noExportToDo, ExitCode::NoExportToDo, ExitCode::NoExportToDo},
        {&ExportOutcome::reportNotWritten, ExitCode::ReportNotWritten, ExitCode::ReportNotWritten},
        {&ExportOutcome::runInterrupted, ExitCode::RunInterrupted, ExitCode::RunInterrupted},
        {&ExportOutcome::historyNotWritten, ExitCode::HistoryNotWritten,
         ExitCode::HistoryNotWritten},
        {&ExportOutcome::pushFailed, ExitCode::PushFailed, ExitCode::PushFailed},
        {&ExportOutcome::itemFailed, ExitCode::ItemFailed, ExitCode::Success},
        {&ExportOutcome::itemSlow, ExitCode::ItemSlow, ExitCode::Success},
        {&ExportOutcome::alertFiring, ExitCode::AlertFiring, ExitCode::Success},
    };
    const size_t count = sizeof order / sizeof order[0];
    for (size_t i = 0; i < count; ++i) {
        ExportOutcome alone;
        alone.*order[i].flag = true;
        EXPECT_EQ(ChooseExitCode(alone, true), order[i].code) << i;
        EXPECT_EQ(ChooseExitCode(alone, false), order[i].lenient) << i;
        ExportOutcome withLater = alone;
        for (size_t k = i + 1; k < count; ++k) withLater.*order[k].flag = true;
        EXPECT_EQ(ChooseExitCode(withLater, true), order[i].code) << i;
    }
    EXPECT_EQ(ChooseExitCode(ExportOutcome(), true), ExitCode::Success);
}

TEST(ExitCodes, ItemsJudged) {
    const struct {
        std::vector<DownloadItem> items;
        bool failed, slow;
    } cases[] = {
        // Nothing tested (an empty list, every item disabled): a monitor must not pass.
        {{}, true, false},
        {{Item(DownloadStatus::Finished)}, false, false},
        {{Item(DownloadStatus::Finished, true)}, false, true},
        {{Item(DownloadStatus::Failed), Item(DownloadStatus::Finished, true)}, true, true},
        {{Item(DownloadStatus::ConnectTimeout)}, true, false},
        // Stopped before its turn: it did not finish.
        {{Item(DownloadStatus::Waiting)}, true, false},
        // Disabled items are not run, whatever they still show.
        {{Item(DownloadStatus::Waiting, false, 1), Item(DownloadStatus::Failed, true, 1)},
         true,
         false},
        {{Item(DownloadStatus::Failed, false, 1), Item(DownloadStatus::Finished)}, false, false},
    };
    for (const auto& c : cases) {
        ExportOutcome outcome;
        JudgeRunItems(c.items, outcome);
        EXPECT_EQ(outcome.itemFailed, c.failed);
        EXPECT_EQ(outcome.itemSlow, c.slow);
    }
    std::vector<DownloadItem> deleted = {Item(DownloadStatus::Failed)};
    deleted[0].deleted = 1;
    ExportOutcome outcome;
    deleted.push_back(Item(DownloadStatus::Finished));
    JudgeRunItems(deleted, outcome);
    EXPECT_FALSE(outcome.itemFailed);
}

TEST(FinishRun, ExportWritesThenQuitsAndNothingElse) {
    RecordingHost host;
    AppSettings settings;
    settings.AutoReport = 1;
    FinishRun(Export(6, "out.xml"), settings, {}, host);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"write 6 C:\\prog\\out.xml", "quit 0"}));
}

TEST(FinishRun, FailedExportQuitsWithOne) {
    RecordingHost host;
    host.reportWrites = false;
    FinishRun(Export(1, "sub\\r.txt"), AppSettings(), {}, host);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"write 1 sub\\r.txt", "quit 1"}));
    // JSON alike.
    RecordingHost json;
    json.reportWrites = false;
    FinishRun(Export(8, "r.json"), AppSettings(), {}, json);
    EXPECT_EQ(json.calls, (std::vector<std::string>{"json C:\\prog\\r.json", "quit 1"}));
}

// The end of the session cuts a run short: its report is still written, and the code says
// the run is incomplete unless the report itself failed.
TEST(FinishRun, AnInterruptedRunSaysSoUnlessItsReportFailed) {
    const struct {
        bool reportWrites;
        bool strict;
        int code;
    } cases[] = {{true, false, 4}, {true, true, 4}, {false, false, 1}};
    for (const auto& c : cases) {
        RecordingHost host;
        host.interrupted = true;
        host.reportWrites = c.reportWrites;
        ExportRequest request = Export(1, "r.txt");
        request.strict = c.strict;
        FinishRun(request, AppSettings(), {Item(DownloadStatus::Failed)}, host);
        EXPECT_EQ(host.calls.back(), "quit " + std::to_string(c.code));
    }
}

TEST(FinishRun, NoExportNeverQuits) {
    RecordingHost host;
    ExportRequest request;
    request.metricsFile = "m.prom";  // only an export run writes metrics
    request.strict = true;
    FinishRun(request, AppSettings(), {Item(DownloadStatus::Failed)}, host);
    EXPECT_TRUE(host.calls.empty());
}

TEST(FinishRun, EveryOutputIsTriedAndTheCodeSaysWhatFailed) {
    const std::vector<DownloadItem> failedAndSlow = {Item(DownloadStatus::Failed),
                                                     Item(DownloadStatus::Finished, true)};
    const std::vector<DownloadItem> slow = {Item(DownloadStatus::Finished, true)};
    const std::vector<DownloadItem> good = {Item(DownloadStatus::Finished)};
    const struct {
        int32_t type;
        bool reportWrites, metricsWrites, pushWorks, strict;
        const std::vector<DownloadItem>* items;
        int code;
    } cases[] = {
        {5, true, true, true, true, &good, 0},
        {5, true, true, true, false, &failedAndSlow, 0},
        {5, true, true, true, true, &failedAndSlow, 10},
        {5, true, true, true, true, &slow, 11},
        {5, true, true, false, true, &failedAndSlow, 6},
        {5, true, true, false, false, &good, 6},           // a failed push counts without /strict
        {5, true, false, false, true, &failedAndSlow, 1},  // the metrics file is a report
        {5, false, true, false, true, &failedAndSlow, 1},
        {kMetricsOnlyExportType, true, true, true, true, &slow, 11},
    };
    for (const auto& c : cases) {
        RecordingHost host;
        host.reportWrites = c.reportWrites;
        host.metricsWrites = c.metricsWrites;
        host.pushWorks = c.pushWorks;
        ExportRequest request = Export(c.type, "r.txt");
        request.metricsFile = "m.prom";
        request.pushUrl = "http://gw:9091";
        request.strict = c.strict;
        FinishRun(request, AppSettings(), *c.items, host);
        std::vector<std::string> expected;
        if (c.type != kMetricsOnlyExportType) expected.push_back("write 5 C:\\prog\\r.txt");
        expected.push_back("metrics C:\\prog\\m.prom");
        expected.push_back("push http://gw:9091");
        expected.push_back("quit " + std::to_string(c.code));
        EXPECT_EQ(host.calls, expected);
    }
}

}  // namespace
}  // namespace vm
