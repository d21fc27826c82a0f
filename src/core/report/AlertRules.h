#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/engine/DownloadItem.h"
#include "core/options/AppSettings.h"
#include "core/platform/TextEncoding.h"
#include "core/report/HistoryReader.h"

namespace vm {

// The rules a link's history is judged by after each run; 0 turns a rule off.
struct AlertRules {
    int32_t dropPercent = 30;   // recent median more than this far below the baseline median
    int32_t recentRuns = 2;     // runs in the recent median
    int32_t baselineRuns = 10;  // runs before them in the baseline median
    int32_t failuresInRow = 3;  // failed in that many runs in a row
    int32_t slowInRow = 3;      // below its minimum speed in that many runs in a row
};
AlertRules AlertRulesOf(const AppSettings& settings);

enum class AlertRule : uint8_t { Drop, Failures, Slow };
enum class AlertState : uint8_t { Firing, Recovered };

// The words the JSON document and the metrics use: "drop", "failures", "slow"; "firing",
// "recovered".
const char* AlertRuleWord(AlertRule rule);
const char* AlertStateWord(AlertState state);

// One run's result for one URL: a failure, or a finished download at a speed.
struct UrlResult {
    bool failed = false;
    double bytesPerSecond = 0;  // the steady speed, else the average
    bool slow = false;          // finished below its minimum speed
    double minBytesPerSecond = 0;
};

// An alert of a URL after a run. value and baseline: for "drop" the recent and the
// baseline median speeds in bytes per second; for "failures" the failures in a row and
// the rule's count; for "slow" the latest speed and the minimum speed.
struct Alert {
    std::string url;
    std::string name;
    AlertRule rule = AlertRule::Drop;
    AlertState state = AlertState::Firing;
    double value = 0;
    double baseline = 0;
};

// Whether a rule holds after the latest of the results (oldest first), with its value and
// baseline. A history shorter than the rule needs never holds.
struct RuleVerdict {
    bool holds = false;
    double value = 0;
    double baseline = 0;
};
RuleVerdict JudgeRule(AlertRule rule, const std::vector<UrlResult>& results,
                      const AlertRules& rules);

// The alerts of one URL after its latest result: "firing" for each rule that holds now,
// "recovered" for each that held after the result before and no longer does.
void JudgeUrl(const std::string& url, const std::string& name,
              const std::vector<UrlResult>& results, const AlertRules& rules,
              std::vector<Alert>* alerts);

// A finished or failed item of a run as a result; false for any other status (a run
// stopped before the item, a disabled item), which is not judged.
[[nodiscard]] bool ResultOf(const RunItemRecord& item, UrlResult* result);
[[nodiscard]] bool ResultOf(const TrendPoint& point, UrlResult* result);

// The alerts after a run: every URL the run tested, judged on its results in the history
// (which must not hold the run yet) followed by the run's own. In the run's order.
std::vector<Alert> JudgeRunAlerts(const HistoryReader& history, const RunRecord& run,
                                  const AlertRules& rules);

// Whether any of the alerts is firing.
bool AnyAlertFiring(const std::vector<Alert>& alerts);

// How far a "drop" alert says the speed is down, in whole percent (42 for 58 against 100).
int32_t DropPercent(const Alert& alert);

// Sets speedDownPercent of every finished item whose URL (compared in UTF-8, as the alerts
// hold it) has a firing "drop" alert, so that its status says so.
void MarkSpeedDrops(const std::vector<Alert>& alerts, std::vector<DownloadItem>& items,
                    TextEncoding& encoding);

}  // namespace vm
