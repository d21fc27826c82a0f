#pragma once
#include <cstdint>
#include <string>

namespace vm {

// Longest AutoReportFilename kept (a path of 260 bytes with its NUL).
constexpr size_t kMaxReportFileName = 259;

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
    // The run history (JSON Lines); "" keeps none. A name without a backslash lies beside
    // the configuration file.
    std::string HistoryFile;
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
