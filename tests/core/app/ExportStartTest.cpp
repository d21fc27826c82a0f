#include <gtest/gtest.h>

#include "core/app/ExportStart.h"
#include "core/app/StartupOptions.h"
#include "core/report/MonitorSwitches.h"

namespace vm {
namespace {

// When several problems stand, a script learns of the one first in ExitCode's order.
TEST(ExportStart, TheFirstRefusalInExitCodeOrderWins) {
    using V = ExportTargetVerdict;
    using R = ExportStartRefusal;
    const size_t longUrl = kMaxPushUrlLength + 1;
    const struct {
        bool config;
        bool switchMissing;
        V target;
        size_t pushUrl;
        R refusal;
        ExitCode code;
    } kCases[] = {
        {false, false, V::Accepted, kMaxPushUrlLength, R::None, ExitCode::Success},
        {true, true, V::ProgramFile, longUrl, R::ConfigUnreadable, ExitCode::ConfigUnreadable},
        {false, true, V::TooLong, longUrl, R::SwitchWithoutValue, ExitCode::NoExportToDo},
        {false, false, V::TooLong, longUrl, R::TargetTooLong, ExitCode::ReportNotWritten},
        {false, false, V::InvalidName, 0, R::TargetInvalidName, ExitCode::ReportNotWritten},
        {false, false, V::ProgramFile, 0, R::TargetProgramFile, ExitCode::ReportNotWritten},
        {false, false, V::Accepted, longUrl, R::PushUrlTooLong, ExitCode::PushFailed},
    };
    for (const auto& c : kCases) {
        ExportStartFacts facts;
        facts.configUnreadable = c.config;
        facts.switchWithoutValue = c.switchMissing;
        facts.target = c.target;
        facts.pushUrlLength = c.pushUrl;
        const R refusal = JudgeExportStart(facts);
        EXPECT_EQ(refusal, c.refusal) << static_cast<int>(c.refusal);
        EXPECT_EQ(ExitCodeOf(refusal), c.code) << static_cast<int>(c.refusal);
    }
}

TEST(ExportStart, AMetricsOnlyRunChecksNoReportName) {
    ExportRequest request;
    request.type = 1;
    request.fileName = "r.html";
    request.metricsFile = "m.prom";
    EXPECT_EQ(ExportTargetNames(request), (std::vector<std::string>{"r.html", "m.prom"}));
    request.type = kMetricsOnlyExportType;
    EXPECT_EQ(ExportTargetNames(request), (std::vector<std::string>{"m.prom"}));
    request.metricsFile.clear();
    EXPECT_TRUE(ExportTargetNames(request).empty());
}

}  // namespace
}  // namespace vm
