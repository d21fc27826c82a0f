#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/report/AlertRules.h"

namespace vm {
namespace {

constexpr double kMB = 1e6;

struct ReplayRun {
    const char* status;  // "finished", "failed", "waiting"
    double speed;        // bytes per second
    bool slow;
};

std::string Document(int index, const ReplayRun& run) {
    char start[32];
    std::snprintf(start, sizeof start, "2026-12-%02dT10:00:00.000Z", 1 + index % 28);
    return std::string("{\"run_start\":\"") + start +
           "\",\"items\":[{\"url\":\"http://h/f\",\"name\":\"f\",\"status\":\"" + run.status +
           "\",\"average_bytes_per_s\":" + std::to_string(run.speed) +
           ",\"below_min_speed\":" + (run.slow ? "true" : "false") +
           ",\"min_speed_bytes_per_s\":1000}]}";
}

// Replays the runs one after another as the program does: each judged against the history
// of the runs before it, then appended. Returns "rule:state" of every alert per run.
std::vector<std::vector<std::string>> Replay(const std::vector<ReplayRun>& runs,
                                             const AlertRules& rules = AlertRules()) {
    std::string history;
    std::vector<std::vector<std::string>> out;
    for (size_t i = 0; i < runs.size(); ++i) {
        HistoryReader reader;
        reader.Feed(history.data(), history.size());
        reader.Finish();
        const std::string line = Document(static_cast<int>(i), runs[i]);
        JsonValue document;
        RunRecord run;
        EXPECT_TRUE(ParseJson(line.data(), line.size(), &document) &&
                    ReadRunRecord(document, &run));
        std::vector<std::string> words;
        for (const Alert& alert : JudgeRunAlerts(reader, run, rules)) {
            EXPECT_EQ(alert.url, "http://h/f");
            words.push_back(std::string(AlertRuleWord(alert.rule)) + ":" +
                            AlertStateWord(alert.state));
        }
        out.push_back(words);
        history += line + "\n";
    }
    return out;
}

std::vector<ReplayRun> Repeat(int count, ReplayRun run) {
    return std::vector<ReplayRun>(count, run);
}

std::vector<ReplayRun> Join(std::initializer_list<std::vector<ReplayRun>> parts) {
    std::vector<ReplayRun> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

const ReplayRun kFast{"finished", 100 * kMB, false};

TEST(AlertRulesTest, DropIgnoresOneOutlierFiresOnTheSecondRunOfAStepAndRecovers) {
    const std::vector<ReplayRun> runs = Join({Repeat(20, kFast),
                                              {{"finished", 40 * kMB, false}},
                                              Repeat(2, kFast),
                                              Repeat(2, {"finished", 60 * kMB, false}),
                                              Repeat(2, kFast)});
    const auto alerts = Replay(runs);
    for (size_t i = 0; i < 24; ++i) EXPECT_TRUE(alerts[i].empty()) << "run " << i;
    EXPECT_EQ(alerts[24], std::vector<std::string>{"drop:firing"});  // the step's second run
    EXPECT_EQ(alerts[25], std::vector<std::string>{"drop:recovered"});
    EXPECT_TRUE(alerts[26].empty());
}

TEST(AlertRulesTest, DropKeepsFiringWhileTheStepLastsWithItsMedians) {
    std::vector<ReplayRun> runs =
        Join({Repeat(10, kFast), Repeat(3, {"finished", 50 * kMB, false})});
    HistoryReader reader;
    std::string history;
    for (size_t i = 0; i + 1 < runs.size(); ++i) history += Document(int(i), runs[i]) + "\n";
    reader.Feed(history.data(), history.size());
    reader.Finish();
    const std::string line = Document(12, runs.back());
    JsonValue document;
    RunRecord run;
    ASSERT_TRUE(ParseJson(line.data(), line.size(), &document) && ReadRunRecord(document, &run));
    const std::vector<Alert> alerts = JudgeRunAlerts(reader, run, AlertRules());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].state, AlertState::Firing);
    EXPECT_DOUBLE_EQ(alerts[0].value, 50 * kMB);
    EXPECT_DOUBLE_EQ(alerts[0].baseline, 100 * kMB);  // 9 fast runs and one slow
}

TEST(AlertRulesTest, FailuresAndSlowRunsFireAtTheThirdInARowAndRecover) {
    const ReplayRun failed{"failed", 0, false};
    const ReplayRun slow{"finished", 500, true};
    const ReplayRun notReached{"waiting", 0, false};  // not a result: neither counts nor breaks
    const auto alerts =
        Replay({kFast, failed, failed, notReached, failed, failed, kFast, slow, slow, slow, kFast});
    const std::vector<std::vector<std::string>> expected = {{},
                                                            {},
                                                            {},
                                                            {},
                                                            {"failures:firing"},
                                                            {"failures:firing"},
                                                            {"failures:recovered"},
                                                            {},
                                                            {},
                                                            {"slow:firing"},
                                                            {"slow:recovered"}};
    EXPECT_EQ(alerts, expected);
}

TEST(AlertRulesTest, AHistoryShorterThanARuleOrARuleTurnedOffNeverFires) {
    // 11 runs: one fewer than the drop rule's 2 + 10, the last two far slower.
    const auto shortHistory =
        Replay(Join({Repeat(9, kFast), Repeat(2, {"finished", 1 * kMB, false})}));
    for (const auto& run : shortHistory) EXPECT_TRUE(run.empty());
    AlertRules off;
    off.dropPercent = 0;
    off.failuresInRow = 0;
    off.slowInRow = 0;
    const auto none = Replay(Join({Repeat(12, kFast), Repeat(3, {"failed", 0, false}),
                                   Repeat(3, {"finished", 500, true})}),
                             off);
    for (const auto& run : none) EXPECT_TRUE(run.empty());
}

}  // namespace
}  // namespace vm
