#include <gtest/gtest.h>

#include "core/engine/ConnectionVerdict.h"

namespace vm {
namespace {

TEST(ConnectionVerdict, ItemBeforeDefaultHeldToOneToSixteen) {
    const struct {
        int32_t item, byDefault, requested;
    } cases[] = {
        {0, 1, 1}, {0, 4, 4}, {8, 4, 8}, {1, 4, 1}, {-3, 4, 4}, {40, 1, 16}, {0, 0, 1}, {0, 99, 16},
    };
    for (const auto& c : cases) {
        DownloadItem item;
        item.connections = c.item;
        AppSettings settings;
        settings.DefaultConnections = c.byDefault;
        EXPECT_EQ(RequestedConnections(item, settings), c.requested)
            << c.item << " " << c.byDefault;
    }
}

TEST(ConnectionVerdict, ComparisonOnlyWithSeveralConnections) {
    DownloadItem item;
    AppSettings settings;
    settings.DefaultCompareConnections = 1;
    EXPECT_FALSE(ComparesConnections(item, settings));  // one connection: nothing to compare
    item.connections = 4;
    EXPECT_TRUE(ComparesConnections(item, settings));
    settings.DefaultCompareConnections = 0;
    EXPECT_FALSE(ComparesConnections(item, settings));
    item.compareConnections = 1;
    EXPECT_TRUE(ComparesConnections(item, settings));
}

TEST(ConnectionVerdict, RatioAtLeastOneAndAHalfIsPerConnection) {
    const struct {
        double single, multi;
        bool judged, perConnection;
    } cases[] = {
        {1048576, 4194304, true, true},   // a 1 MiB/s cap per connection, four connections
        {4700000, 4650000, true, false},  // a 40 Mbit/s path: no gain
        {1000, 1500, true, true},         // exactly 1.5
        {1000, 1499.9, true, false},     {0, 1000, false, false},  // no single speed: no ratio
        {1000, 0, true, false},
    };
    for (const auto& c : cases) {
        ConnectionVerdict verdict;
        ASSERT_EQ(JudgeConnections(c.single, c.multi, &verdict), c.judged) << c.single;
        if (!c.judged) continue;
        EXPECT_DOUBLE_EQ(verdict.ratio, c.multi / c.single);
        EXPECT_EQ(verdict.perConnection, c.perConnection) << c.single << " " << c.multi;
        EXPECT_STREQ(LimitWord(verdict), c.perConnection ? "per_connection" : "path");
    }
}

}  // namespace
}  // namespace vm
