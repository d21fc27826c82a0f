#include <gtest/gtest.h>

#include "core/app/RunExit.h"

namespace vm {
namespace {

TEST(RunExit, AnInterruptedRunSaysSoUnlessItsReportFailed) {
    struct Case {
        int reportCode;
        bool interrupted;
        ExitCode expected;
    } cases[] = {
        {0, false, ExitCode::Success},
        {0, true, ExitCode::RunInterrupted},
        {1, false, ExitCode::ReportNotWritten},
        {1, true, ExitCode::ReportNotWritten},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExportRunExitCode(c.reportCode, c.interrupted), c.expected) << c.reportCode;
}

}  // namespace
}  // namespace vm
