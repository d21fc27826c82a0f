#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app/ExportRunEnd.h"
#include "core/report/MonitorSwitches.h"
#include "core/report/RunReport.h"
#include "support/RecordingRunHost.h"

namespace vm {
namespace {

using test::Export;
using RecordingHost = test::RecordingRunHost;

// Quitting is the caller's (FinishRun): the report only says what it did.
TEST(RunReport, ExportWritesAndNothingElse) {
    RecordingHost host;
    AppSettings settings;
    settings.AutoReport = 1;
    EXPECT_EQ(FinishRunReport(Export(6, "out.xml"), settings, host), ExportWrite::Written);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"write 6 C:\\prog\\out.xml"}));
}

TEST(RunReport, FailedExportSaysSo) {
    RecordingHost host;
    host.reportWrites = false;
    EXPECT_EQ(FinishRunReport(Export(1, "sub\\r.txt"), AppSettings(), host),
              ExportWrite::NotWritten);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"write 1 sub\\r.txt"}));
}

TEST(RunReport, MetricsOnlyExportWritesNoReport) {
    RecordingHost host;
    AppSettings settings;
    settings.AutoReport = 1;
    EXPECT_EQ(FinishRunReport(Export(kMetricsOnlyExportType, ""), settings, host),
              ExportWrite::Written);
    EXPECT_TRUE(host.calls.empty());
}

TEST(RunReport, JsonIsAnExportOnly) {
    AppSettings settings;
    settings.AutoReport = 1;
    settings.AutoReportOpenInViewer = 0;
    for (bool writes : {true, false}) {
        RecordingHost host;
        host.reportWrites = writes;
        EXPECT_EQ(FinishRunReport(Export(8, "r.json"), settings, host),
                  writes ? ExportWrite::Written : ExportWrite::NotWritten);
        EXPECT_EQ(host.calls, (std::vector<std::string>{"json C:\\prog\\r.json"}));
    }
    // The automatic report has no JSON type: 8 stays an unknown report type there.
    RecordingHost host;
    settings.AutoReportType = 8;
    FinishRunReport(ExportRequest(), settings, host);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"write 8 C:\\prog\\report.txt"}));
}

TEST(RunReport, AutomaticReportAndViewer) {
    struct Case {
        int autoReport, openInViewer;
        bool writes;
        std::vector<std::string> calls;
    } cases[] = {
        {0, 1, true, {}},
        {1, 0, true, {"write 5 C:\\prog\\report.txt"}},
        {1, 1, true, {"write 5 C:\\prog\\report.txt", "open C:\\prog\\report.txt"}},
        // The viewer opens whether or not the writing worked.
        {1, 1, false, {"write 5 C:\\prog\\report.txt", "open C:\\prog\\report.txt"}},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        host.reportWrites = c.writes;
        AppSettings settings;
        settings.AutoReport = c.autoReport;
        settings.AutoReportOpenInViewer = c.openInViewer;
        settings.AutoReportType = 5;
        EXPECT_EQ(FinishRunReport(ExportRequest(), settings, host), ExportWrite::NoExport);
        EXPECT_EQ(host.calls, c.calls);
    }
}

TEST(RunReport, HistoryComesFirstAndItsFailureHasItsOwnCode) {
    // The report is written whatever became of the history; a report that was not
    // written outranks a history that was not.
    struct Case {
        int type;
        bool historySucceeds, writes;
        std::vector<std::string> calls;
    } cases[] = {
        {1, true, true, {"history", "write 1 C:\\prog\\r.txt", "quit 0"}},
        {1, false, true, {"history", "write 1 C:\\prog\\r.txt", "quit 5"}},
        {1, false, false, {"history", "write 1 C:\\prog\\r.txt", "quit 1"}},
        {8, false, true, {"history", "json C:\\prog\\r.txt", "quit 5"}},
        // The page is told whether this run is already in the history it reads.
        {9, true, true, {"history", "page C:\\prog\\r.txt +history", "quit 0"}},
        {9, false, true, {"history", "page C:\\prog\\r.txt -history", "quit 5"}},
        {9, true, false, {"history", "page C:\\prog\\r.txt +history", "quit 1"}},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        host.historyKept = true;
        host.historySucceeds = c.historySucceeds;
        host.reportWrites = c.writes;
        FinishRun(Export(c.type, "r.txt"), AppSettings(), {}, host);
        EXPECT_EQ(host.calls, c.calls) << c.type << " " << c.historySucceeds << " " << c.writes;
    }
}

TEST(RunReport, ARunInTheWindowIsAddedToTheHistoryToo) {
    RecordingHost host;
    host.historyKept = true;
    host.historySucceeds = false;
    AppSettings settings;
    settings.AutoReport = 1;
    settings.AutoReportOpenInViewer = 0;
    FinishRun(ExportRequest(), settings, {}, host);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"history", "write 1 C:\\prog\\report.txt"}));
}

}  // namespace
}  // namespace vm
