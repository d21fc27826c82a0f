#pragma once
#include <cstdint>
#include <string>

namespace vm {

// Longest AutoReportFilename kept (a path of 260 bytes with its NUL).
constexpr size_t kMaxReportFileName = 259;
// Most runs an alert rule looks back over.
constexpr int32_t kMaxAlertRuns = 1000;

// The one option record. The engine reads it afresh whenever it needs an option, so an
// edit applies to a running test at once. Names are the configuration keys; each stored
// field has its row in core/options/OptionTable.cpp, and its initial value is that row's
// default (a test checks them).
struct AppSettings {
    // The block the Advanced Options dialog edits as a whole.
    int32_t UseAutoStopTime = 1;
    int32_t UseAutoStopSize = 0;
    int32_t UseAutoStopStable = 0;
    int32_t AutoStopTime = 20;     // seconds
    int32_t AutoStopSize = 5000;   // in AutoStopSizeUnit
    int32_t AutoStopSizeUnit = 2;  // 2 = KB, 3 = MB
    int32_t FtpMode = 2;           // 1 = active, 2 = passive
    int32_t ConnectTimeout = 20;   // seconds
    double AutoStopStableValue = 0.5;
    int32_t AutoStopStableUnit = 1;  // 1 = percent, 2 = KB/s
    int32_t TryAgainOnFail = 0;
    int32_t NumOfRetries = 3;
    int32_t AutoReport = 0;
    std::string AutoReportFilename = "report.txt";
    int32_t AutoReportType = 1;  // report type 1..7
    int32_t AutoReportOpenInViewer = 1;
    // KB/s an item without a MinSpeed of its own must reach; 0 = none.
    int32_t DefaultMinSpeed = 0;
    // Measurements in a row of an item without a Repeat of its own; 1 = once.
    int32_t DefaultRepeat = 1;
    // The run history (JSON Lines); "" keeps none. A name without a backslash lies beside
    // the configuration file.
    std::string HistoryFile;
    // Connections a download uses at once (1-16), and whether every item is measured with
    // one connection first to tell a per-connection limit from the path's.
    int32_t DefaultConnections = 1;
    int32_t DefaultCompareConnections = 0;

    // Watching: the whole test again every so many minutes (0 = off, 1-1440), and the
    // alert rules judged against each URL's history after a run (0 turns a rule off).
    int32_t RunEveryMinutes = 0;
    int32_t AlertDropPercent = 30;
    int32_t AlertRecentRuns = 2;
    int32_t AlertBaselineRuns = 10;
    int32_t AlertFailuresInRow = 3;
    int32_t AlertSlowInRow = 3;
    // 1: every http(s) item measures its latency idle and under load (LatencyProbe=1 turns
    // it on for one item).
    int32_t DefaultLatencyProbe = 0;

    // Not stored: start-up sets it after the load.
    int32_t ConfirmDelete = 0;

    // Values of the file's defaults, used when no file is read (/nosaveload).
    int32_t ShowGridLines = 0;
    int32_t ShowInfoTip = 1;
    int32_t ShowTimeInGMT = 0;
    int32_t DontAddDisabled = 1;
    int32_t AddExportHeaderLine = 0;
    int32_t SaveFilterIndex = 0;

    // The speed graph pane below the list: shown or not, and its height in pixels.
    int32_t ShowSpeedGraph = 1;
    int32_t SpeedGraphHeight = 200;
};

}  // namespace vm
