#include "core/report/AlertRules.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace vm {
namespace {

constexpr AlertRule kAllRules[] = {AlertRule::Drop, AlertRule::Failures, AlertRule::Slow};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    if (values.size() % 2 == 1) return values[middle];
    return (values[middle - 1] + values[middle]) / 2;
}

// The median of the last `recent` speeds against the median of the `baseline` before
// them; failures carry no speed and are left out (the failure rule judges them).
RuleVerdict JudgeDrop(const std::vector<UrlResult>& results, const AlertRules& rules) {
    RuleVerdict verdict;
    if (rules.dropPercent <= 0 || rules.recentRuns <= 0 || rules.baselineRuns <= 0) return verdict;
    std::vector<double> speeds;
    for (const UrlResult& result : results) {
        if (!result.failed) speeds.push_back(result.bytesPerSecond);
    }
    const size_t recent = static_cast<size_t>(rules.recentRuns);
    const size_t baseline = static_cast<size_t>(rules.baselineRuns);
    if (speeds.size() < recent + baseline) return verdict;
    const auto recentBegin = speeds.end() - static_cast<std::ptrdiff_t>(recent);
    verdict.value = Median(std::vector<double>(recentBegin, speeds.end()));
    verdict.baseline = Median(
        std::vector<double>(recentBegin - static_cast<std::ptrdiff_t>(baseline), recentBegin));
    // "More than 30% below": exactly 30% below does not fire. Multiplied out, so that
    // 70 against 100 is not judged by a rounded 0.7.
    verdict.holds = verdict.value * 100 < verdict.baseline * (100 - rules.dropPercent);
    return verdict;
}

// The latest results in a row that match, up to the rule's count.
template <typename Matches>
size_t InRow(const std::vector<UrlResult>& results, size_t count, Matches matches) {
    size_t row = 0;
    for (auto it = results.rbegin(); it != results.rend() && row < count && matches(*it); ++it)
        ++row;
    return row;
}

RuleVerdict JudgeFailures(const std::vector<UrlResult>& results, const AlertRules& rules) {
    RuleVerdict verdict;
    if (rules.failuresInRow <= 0) return verdict;
    const size_t count = static_cast<size_t>(rules.failuresInRow);
    const size_t row = InRow(results, count, [](const UrlResult& r) { return r.failed; });
    verdict.holds = row >= count;
    verdict.value = static_cast<double>(row);
    verdict.baseline = static_cast<double>(count);
    return verdict;
}

RuleVerdict JudgeSlow(const std::vector<UrlResult>& results, const AlertRules& rules) {
    RuleVerdict verdict;
    if (rules.slowInRow <= 0 || results.empty()) return verdict;
    const size_t count = static_cast<size_t>(rules.slowInRow);
    const size_t row =
        InRow(results, count, [](const UrlResult& r) { return !r.failed && r.slow; });
    verdict.holds = row >= count;
    verdict.value = results.back().bytesPerSecond;
    verdict.baseline = results.back().minBytesPerSecond;
    return verdict;
}

}  // namespace

AlertRules AlertRulesOf(const AppSettings& settings) {
    AlertRules rules;
    rules.dropPercent = settings.AlertDropPercent;
    rules.recentRuns = std::min(settings.AlertRecentRuns, kMaxAlertRuns);
    rules.baselineRuns = std::min(settings.AlertBaselineRuns, kMaxAlertRuns);
    rules.failuresInRow = std::min(settings.AlertFailuresInRow, kMaxAlertRuns);
    rules.slowInRow = std::min(settings.AlertSlowInRow, kMaxAlertRuns);
    return rules;
}

const char* AlertRuleWord(AlertRule rule) {
    switch (rule) {
        case AlertRule::Drop:
            return "drop";
        case AlertRule::Failures:
            return "failures";
        case AlertRule::Slow:
            return "slow";
    }
    return "";
}

const char* AlertStateWord(AlertState state) {
    return state == AlertState::Firing ? "firing" : "recovered";
}

RuleVerdict JudgeRule(AlertRule rule, const std::vector<UrlResult>& results,
                      const AlertRules& rules) {
    switch (rule) {
        case AlertRule::Drop:
            return JudgeDrop(results, rules);
        case AlertRule::Failures:
            return JudgeFailures(results, rules);
        case AlertRule::Slow:
            return JudgeSlow(results, rules);
    }
    return RuleVerdict();
}

void JudgeUrl(const std::string& url, const std::string& name,
              const std::vector<UrlResult>& results, const AlertRules& rules,
              std::vector<Alert>* alerts) {
    if (results.empty()) return;
    const std::vector<UrlResult> before(results.begin(), results.end() - 1);
    for (AlertRule rule : kAllRules) {
        const RuleVerdict now = JudgeRule(rule, results, rules);
        if (!now.holds && !JudgeRule(rule, before, rules).holds) continue;
        Alert alert;
        alert.url = url;
        alert.name = name;
        alert.rule = rule;
        alert.state = now.holds ? AlertState::Firing : AlertState::Recovered;
        alert.value = now.value;
        alert.baseline = now.baseline;
        alerts->push_back(std::move(alert));
    }
}

bool ResultOf(const RunItemRecord& item, UrlResult* result) {
    const bool failed = IsFailedStatusWord(item.status);
    if (!failed && item.status != "finished") return false;
    *result = UrlResult();
    result->failed = failed;
    if (failed) return true;
    result->bytesPerSecond =
        item.hasSteady ? item.steadyBytesPerSecond : item.averageBytesPerSecond;
    result->slow = item.belowMinSpeed;
    result->minBytesPerSecond = item.minSpeedBytesPerSecond;
    return true;
}

bool ResultOf(const TrendPoint& point, UrlResult* result) {
    *result = UrlResult();
    result->failed = point.failed;
    if (point.failed) return true;
    result->bytesPerSecond =
        point.hasSteady ? point.steadyBytesPerSecond : point.averageBytesPerSecond;
    result->slow = point.belowMinSpeed;
    result->minBytesPerSecond = point.minSpeedBytesPerSecond;
    return true;
}

std::vector<Alert> JudgeRunAlerts(const HistoryReader& history, const RunRecord& run,
                                  const AlertRules& rules) {
    std::unordered_map<std::string, const UrlTrend*> trendOfUrl;
    for (const UrlTrend& trend : history.Trends()) trendOfUrl[trend.url] = &trend;
    // The run's results per URL in its order; a URL listed twice adds both.
    std::vector<std::string> order;
    std::unordered_map<std::string, std::vector<UrlResult>> own;
    std::unordered_map<std::string, std::string> nameOf;
    for (const RunItemRecord& item : run.items) {
        UrlResult result;
        if (!ResultOf(item, &result)) continue;
        auto [found, added] = own.try_emplace(item.url);
        if (added) order.push_back(item.url);
        found->second.push_back(result);
        nameOf[item.url] = item.name;
    }
    std::vector<Alert> alerts;
    for (const std::string& url : order) {
        std::vector<UrlResult> results;
        const auto trend = trendOfUrl.find(url);
        if (trend != trendOfUrl.end()) {
            for (const TrendPoint& point : trend->second->points) {
                UrlResult result;
                if (ResultOf(point, &result)) results.push_back(result);
            }
        }
        const std::vector<UrlResult>& mine = own[url];
        results.insert(results.end(), mine.begin(), mine.end());
        JudgeUrl(url, nameOf[url], results, rules, &alerts);
    }
    return alerts;
}

int32_t DropPercent(const Alert& alert) {
    if (alert.baseline <= 0 || alert.value >= alert.baseline) return 0;
    return static_cast<int32_t>(std::lround((1 - alert.value / alert.baseline) * 100));
}

void MarkSpeedDrops(const std::vector<Alert>& alerts, std::vector<DownloadItem>& items,
                    TextEncoding& encoding) {
    for (DownloadItem& item : items) {
        if (item.deleted != 0 || item.status != DownloadStatus::Finished) continue;
        const std::string url = encoding.SystemToUtf8(item.url);
        for (const Alert& alert : alerts) {
            if (alert.rule == AlertRule::Drop && alert.state == AlertState::Firing &&
                alert.url == url) {
                item.speedDownPercent = DropPercent(alert);
            }
        }
    }
}

bool AnyAlertFiring(const std::vector<Alert>& alerts) {
    for (const Alert& alert : alerts) {
        if (alert.state == AlertState::Firing) return true;
    }
    return false;
}

}  // namespace vm
