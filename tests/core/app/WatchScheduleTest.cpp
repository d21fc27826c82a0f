#include <gtest/gtest.h>

#include "core/app/WatchSchedule.h"

namespace vm {
namespace {

TEST(WatchSchedule, NextRunCountsFromTheLastStartAndALongRunDelaysIt) {
    WatchSchedule watch;
    EXPECT_FALSE(watch.WantsAnotherRun());
    watch.Start(60, 3);
    watch.RunStarted(0xFFFFF000u);  // across the tick counter's wrap
    EXPECT_TRUE(watch.WantsAnotherRun());
    EXPECT_EQ(watch.MsUntilNextRun(0xFFFFF000u + 20000), 40000u);
    EXPECT_EQ(watch.MsUntilNextRun(0xFFFFF000u + 95000), 0u);  // the run took longer: at once
    watch.RunStarted(100);
    watch.RunStarted(200);
    EXPECT_FALSE(watch.WantsAnotherRun());  // the third of three has started
    watch.Start(1, 0);
    for (int i = 0; i < 10; ++i) watch.RunStarted(static_cast<uint32_t>(i));
    EXPECT_TRUE(watch.WantsAnotherRun());  // no limit
    watch.Stop();
    EXPECT_FALSE(watch.WantsAnotherRun());
}

TEST(WatchSchedule, StatusTextRoundsUpToWholeSeconds) {
    const char* format = "Next run in %d:%02d";
    EXPECT_EQ(NextRunText(271200, format), "Next run in 4:32");
    EXPECT_EQ(NextRunText(272000, format), "Next run in 4:32");
    EXPECT_EQ(NextRunText(1, format), "Next run in 0:01");
    EXPECT_EQ(NextRunText(0, format), "Next run in 0:00");
}

}  // namespace
}  // namespace vm
