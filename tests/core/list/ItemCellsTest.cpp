#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/base/FileTimeCalendar.h"
#include "core/engine/DownloadItem.h"
#include "core/list/ItemCells.h"
#include "support/FakeTimeText.h"
#include "support/FakeTranslation.h"
#include "support/UtcTime.h"

namespace vm {
namespace {

using test::FakeTimeText;

class ItemCellsTest : public ::testing::Test {
protected:
    test::ScopedTranslation builtinTexts{nullptr};
    FakeTimeText timeText;
    CellContext context{&timeText, false};
    CellBuffer buffer;

    std::string Cell(const DownloadItem& item, int column) {
        return ItemCellText(item, column, buffer, context);
    }
};

TEST_F(ItemCellsTest, NewItemShowsWaitingAndEmptyResultCells) {
    DownloadItem item("http://a/", "A", 4);
    EXPECT_EQ(item.status, DownloadStatus::Waiting);
    EXPECT_EQ(Cell(item, kColumnUrl), "http://a/");
    EXPECT_EQ(Cell(item, kColumnName), "A");
    EXPECT_EQ(Cell(item, kColumnStatus), "Waiting...");
    for (int column : {kColumnSpeedBytes, kColumnSpeedBits, kColumnDownloaded, kColumnStartTime,
                       kColumnDuration}) {
        EXPECT_EQ(Cell(item, column), "") << column;
    }
    EXPECT_EQ(Cell(item, kColumnOrder), "5");
}

TEST_F(ItemCellsTest, UrlAndNameOverTheirBoundsAreKeptWhole) {
    DownloadItem item(std::string(5000, 'u'), std::string(300, 'n'), 0);
    EXPECT_EQ(item.url, std::string(5000, 'u'));
    EXPECT_EQ(item.name, std::string(300, 'n'));
    item.SetUrl(std::string(kMaxUrlLength + 1, 'v'));
    item.SetName(std::string(kMaxNameLength + 1, 'm'));
    EXPECT_EQ(item.url.size(), kMaxUrlLength + 1);
    EXPECT_EQ(item.name.size(), kMaxNameLength + 1);
}

TEST_F(ItemCellsTest, StatusTextOfEveryStatus) {
    struct Case {
        DownloadStatus status;
        const char* text;
    } cases[] = {
        {DownloadStatus::Waiting, "Waiting..."},
        {DownloadStatus::Connecting, "Connecting..."},
        {DownloadStatus::Downloading, "Downloading"},
        {DownloadStatus::Finished, "Finished"},
        {DownloadStatus::Failed, "Failed"},
        {DownloadStatus::ConnectTimeout, "Connect Timeout"},
    };
    for (const Case& c : cases) {
        DownloadItem item("u", "", 0);
        item.status = c.status;
        EXPECT_EQ(Cell(item, kColumnStatus), c.text);
        item.disabled = 1;
        EXPECT_EQ(Cell(item, kColumnStatus), "Disabled");
    }
}

TEST_F(ItemCellsTest, SlowShowsOnlyOnAFinishedEnabledItem) {
    DownloadItem item("u", "", 0);
    item.belowMinSpeed = true;
    item.status = DownloadStatus::Finished;
    EXPECT_EQ(Cell(item, kColumnStatus), "Finished (slow)");
    item.status = DownloadStatus::Downloading;  // a new run that has not been judged yet
    EXPECT_EQ(Cell(item, kColumnStatus), "Downloading");
    item.status = DownloadStatus::Finished;
    item.disabled = 1;
    EXPECT_EQ(Cell(item, kColumnStatus), "Disabled");
}

TEST_F(ItemCellsTest, FailedShowsErrorOrServerStatus) {
    DownloadItem item("u", "", 0);
    item.status = DownloadStatus::Failed;
    item.errorCode = 12007;
    item.SetErrorText("The server name could not be resolved  ");
    item.serverStatus = 404;  // the error takes precedence
    EXPECT_EQ(Cell(item, kColumnStatus),
              "Failed  (Error 12007:  The server name could not be resolved  )");

    item.errorCode = 0;
    EXPECT_EQ(Cell(item, kColumnStatus), "Failed  (Server Status Code: 404)");
    item.serverStatus = 0;
    EXPECT_EQ(Cell(item, kColumnStatus), "Failed");
}

TEST_F(ItemCellsTest, FailedWithLongestErrorTextFitsTheStatusBuffer) {
    DownloadItem item("u", "", 0);
    item.status = DownloadStatus::Failed;
    item.errorCode = 0xFFFFFFFF;
    item.SetErrorText(std::string(2000, 'e'));
    EXPECT_EQ(item.errorText.size(), kMaxCellText);
    const std::string text = Cell(item, kColumnStatus);
    EXPECT_EQ(text.substr(0, 20), "Failed  (Error -1:  ");
    EXPECT_EQ(text.size(), 20 + kMaxCellText + 1);
}

TEST_F(ItemCellsTest, SpeedSizeAndDurationTexts) {
    DownloadItem item("u", "", 0);
    item.status = DownloadStatus::Finished;
    EXPECT_EQ(Cell(item, kColumnDownloaded), "0.0 KB");
    EXPECT_EQ(Cell(item, kColumnSpeedBytes), "0.0 KB/Sec");
    EXPECT_EQ(Cell(item, kColumnSpeedBits), "0.00 Mbps");
    EXPECT_EQ(Cell(item, kColumnDuration), "00:00:00");

    item.bytes = 1536;
    EXPECT_EQ(Cell(item, kColumnDownloaded), "1.5 KB");

    item.bytes = 1250000;
    item.startTime = test::UtcTime(2020, 5, 1, 12, 0, 0);
    item.startTick = 1000;
    item.RecomputeSpeed(11000);
    EXPECT_EQ(item.duration, 10000u);
    EXPECT_EQ(Cell(item, kColumnSpeedBytes), "122.1 KB/Sec");
    EXPECT_EQ(Cell(item, kColumnSpeedBits), "1.00 Mbps");

    item.bytes = 5ULL << 32;  // past 4 GiB
    EXPECT_EQ(Cell(item, kColumnDownloaded), "20971520.0 KB");
}

TEST_F(ItemCellsTest, DurationRoundsHalfSecondsUp) {
    struct Case {
        uint32_t ms;
        const char* text;
    } cases[] = {
        {3500, "00:00:04"},          {2500, "00:00:03"},       {59499, "00:00:59"},
        {3600000, "01:00:00"},       {360000000, "100:00:00"}, {499, "00:00:00"},
        {4294967295u, "1193:02:47"},
    };
    for (const Case& c : cases) {
        DownloadItem item("u", "", 0);
        item.status = DownloadStatus::Downloading;
        item.duration = c.ms;
        EXPECT_EQ(Cell(item, kColumnDuration), c.text) << c.ms;
    }
}

TEST_F(ItemCellsTest, RecomputeSpeedAcrossTickWrap) {
    DownloadItem item("u", "", 0);
    item.startTime = test::UtcTime(2021, 1, 1, 0, 0, 0);
    item.startTick = 0xFFFFF000u;  // 4,096 ms before the wrap
    item.bytes = 1024 * 10;
    item.RecomputeSpeed(0x00001000u);
    EXPECT_EQ(item.duration, 8192u);
    EXPECT_DOUBLE_EQ(item.speedKBps, 10 / 8.192);
    EXPECT_DOUBLE_EQ(item.speedKbitps, 10240 / 1000.0 * 8 / 8.192);
}

TEST_F(ItemCellsTest, RecomputeSpeedBeforeStartKeepsZeroDuration) {
    DownloadItem item("u", "", 0);
    item.startTick = 5;
    item.bytes = 100;
    item.RecomputeSpeed(100000);
    EXPECT_EQ(item.duration, 0u);
    EXPECT_EQ(item.speedKBps, 0);
    EXPECT_EQ(item.speedKbitps, 0);
}

// Speeds are bytes over the microsecond duration; the millisecond duration is its whole
// milliseconds (the Duration cell rounds that as before). A finished download whose data
// came between two readings of the clock counts one microsecond, never 0 KB/s.
TEST_F(ItemCellsTest, RecomputeSpeedFromMicroseconds) {
    struct Case {
        uint64_t us;
        uint64_t bytes;
        DownloadStatus status;
        uint32_t ms;
        double kbps;
        const char* cell;
    };
    const Case cases[] = {
        {1500, 65536, DownloadStatus::Finished, 1, 64 / 0.0015, "00:00:00"},
        {4321987, 5242880, DownloadStatus::Finished, 4321, 5120 / 4.321987, "00:00:04"},
        {3499999, 1024, DownloadStatus::Downloading, 3499, 1 / 3.499999, "00:00:03"},
        {999, 1024, DownloadStatus::Finished, 0, 1 / 0.000999, "00:00:00"},
        {0, 5242880, DownloadStatus::Finished, 0, 5120 / 0.000001, "00:00:00"},
        {0, 5242880, DownloadStatus::Downloading, 0, 0, "00:00:00"},
        {0, 0, DownloadStatus::Finished, 0, 0, "00:00:00"},
    };
    for (const Case& c : cases) {
        DownloadItem item("u", "", 0);
        item.startTime = test::UtcTime(2021, 1, 1, 0, 0, 0);
        item.startTick = 7000;
        item.startMicro = 123456789;
        item.bytes = c.bytes;
        item.status = c.status;
        item.RecomputeSpeed(7000, item.startMicro + c.us);  // the tick did not move at all
        EXPECT_EQ(item.duration, c.ms) << c.us;
        EXPECT_DOUBLE_EQ(item.speedKBps, c.kbps) << c.us;
        EXPECT_EQ(Cell(item, kColumnDuration), c.cell) << c.us;
    }
}

TEST_F(ItemCellsTest, ResetResultsKeepsIdentity) {
    DownloadItem item("http://x/", "X", 7);
    item.disabled = 1;
    item.deleted = 1;
    item.bytes = 9;
    item.startTime = 10;
    item.startTick = 11;
    item.attemptTick = 12;
    item.retries = 2;
    item.duration = 13;
    item.errorCode = 14;
    item.serverStatus = 500;
    item.SetErrorText("x");
    item.speedKBps = 1;
    item.speedKbitps = 2;
    for (double& h : item.history) h = 3;
    item.status = DownloadStatus::Failed;

    item.ResetResults();

    DownloadItem expected("http://x/", "X", 7);
    expected.disabled = 1;
    expected.deleted = 1;
    EXPECT_EQ(item.status, DownloadStatus::Waiting);
    EXPECT_EQ(item.bytes, 0u);
    EXPECT_EQ(item.startTime, 0u);
    EXPECT_EQ(item.startTick + item.attemptTick + item.retries + item.duration, 0u);
    EXPECT_EQ(item.errorCode, 0u);
    EXPECT_EQ(item.serverStatus, 0);
    EXPECT_TRUE(item.errorText.empty());
    EXPECT_EQ(item.speedKBps + item.speedKbitps, 0);
    for (double h : item.history) EXPECT_EQ(h, 0);
    EXPECT_EQ(item.url, expected.url);
    EXPECT_EQ(item.name, expected.name);
    EXPECT_EQ(item.order, 7);
    EXPECT_EQ(item.disabled, 1);
    EXPECT_EQ(item.deleted, 1);
}

TEST_F(ItemCellsTest, StartTimeInLocalTimeOrGmt) {
    DownloadItem item("u", "", 0);
    item.status = DownloadStatus::Downloading;
    item.startTime = test::UtcTime(2024, 2, 29, 23, 30, 5);
    EXPECT_EQ(Cell(item, kColumnStartTime), "2024-03-01 01:30:05");
    context.showTimeInGmt = true;
    EXPECT_EQ(Cell(item, kColumnStartTime), "2024-02-29 23:30:05");
}

TEST_F(ItemCellsTest, StartTimeEmptyWhenNotShowable) {
    context.showTimeInGmt = true;
    DownloadItem item("u", "", 0);
    item.startTime = test::UtcTime(1985, 12, 31, 23, 59, 59);
    EXPECT_EQ(Cell(item, kColumnStartTime), "");
    item.startTime = test::UtcTime(1986, 1, 1, 0, 0, 0);
    EXPECT_EQ(Cell(item, kColumnStartTime), "1986-01-01 00:00:00");
    item.startTime = 0x00000000FFFFFFFFULL;  // high half zero: not started
    EXPECT_EQ(Cell(item, kColumnStartTime), "");
    item.startTime = 0x8000000000000000ULL;  // no calendar date
    EXPECT_EQ(Cell(item, kColumnStartTime), "");

    context.showTimeInGmt = false;
    timeText.failLocal = true;
    item.startTime = test::UtcTime(2020, 1, 1, 0, 0, 0);
    EXPECT_EQ(Cell(item, kColumnStartTime), "");
    context.timeText = nullptr;
    EXPECT_EQ(Cell(item, kColumnStartTime), "");
}

TEST_F(ItemCellsTest, CompareRules) {
    DownloadItem a("b", "b", 1), b("a", "a", 0);
    a.speedKBps = 2;
    b.speedKBps = 1;
    a.speedKbitps = 1;
    b.speedKbitps = 1;
    a.bytes = 1ULL << 40;
    b.bytes = 5;
    a.startTime = test::UtcTime(2020, 1, 2, 0, 0, 0);  // later, though "1/2" < "12/31" as text
    b.startTime = test::UtcTime(2019, 12, 31, 0, 0, 0);
    a.duration = 0x80000000u;  // unsigned: larger
    b.duration = 1;
    a.order = -1;
    b.order = 3;

    EXPECT_EQ(CompareItemColumn(a, b, kColumnSpeedBytes), 1);
    EXPECT_EQ(CompareItemColumn(b, a, kColumnSpeedBytes), -1);
    EXPECT_EQ(CompareItemColumn(a, b, kColumnSpeedBits), 0);
    EXPECT_EQ(CompareItemColumn(a, b, kColumnDownloaded), 1);
    EXPECT_EQ(CompareItemColumn(a, b, kColumnStartTime), 1);
    EXPECT_EQ(CompareItemColumn(a, b, kColumnDuration), 1);
    EXPECT_EQ(CompareItemColumn(a, b, kColumnOrder), -1);
    for (int column : {kColumnUrl, kColumnName, kColumnStatus}) {
        EXPECT_EQ(CompareItemColumn(a, b, column), kNoCompareRule);
    }
}

TEST_F(ItemCellsTest, OrderCellIsOneBased) {
    DownloadItem item("u", "", 0);
    EXPECT_EQ(Cell(item, kColumnOrder), "1");
    item.order = 2147483647;
    EXPECT_EQ(Cell(item, kColumnOrder), "2147483648");
    EXPECT_EQ(Cell(item, 9), "");
    EXPECT_EQ(Cell(item, -1), "");
}

TEST_F(ItemCellsTest, TranslatedFormatWithOtherConversionsIsNotUsed) {
    test::FakeTranslation translation;
    translation.texts[13] = "Fehler %s%s%n";
    translation.texts[15] = "Serverstatus: %d";
    test::ScopedTranslation scope(&translation);
    DownloadItem item("u", "", 0);
    item.status = DownloadStatus::Failed;
    item.errorCode = 2;
    item.SetErrorText("x");
    EXPECT_EQ(Cell(item, kColumnStatus), "Failed  (Error 2:  x)");
    item.errorCode = 0;
    item.serverStatus = 503;
    EXPECT_EQ(Cell(item, kColumnStatus), "Failed  (Serverstatus: 503)");
}

}  // namespace
}  // namespace vm

namespace vm {
namespace {

// The numeric cells are formatted without printf; they must read exactly as printf's.
TEST_F(ItemCellsTest, NumericCellsReadAsPrintfWould) {
    std::vector<double> values = {0,     0.04999, 0.05,  0.05000001, 0.15,   0.25,   0.35,
                                  0.125, 0.375,   1.005, 2.675,      99.95,  999.95, 1e6 + 0.05,
                                  1e15,  1e300,   4e9,   123456.789, 0.0049, 0.005,  0.015};
    // Exact binary fractions hold the true ties of both precisions.
    for (int i = 0; i < 4000; ++i) {
        values.push_back(i / 8.0);
        values.push_back(i / 32.0);
        values.push_back(1e9 + i / 16.0);
    }
    for (double big : {33554431.95, 33554431.999, 33554432.05, 42949672.95, 4e8, 1e17, 3.4e38,
                       4.9e-324, 2.2e-308}) {
        values.push_back(big);
    }
    uint64_t x = 88172645463325252ULL;
    for (int i = 0; i < 2000; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        values.push_back(static_cast<double>(x % 100000000) / (1 + x % 997));
    }
    DownloadItem item("u", "n", 0);
    item.status = DownloadStatus::Finished;
    char expected[2048];
    for (double v : values) {
        item.speedKBps = v;
        item.speedKbitps = v * 1000;
        std::snprintf(expected, sizeof expected, "%0.1f KB/Sec", v);
        EXPECT_EQ(Cell(item, kColumnSpeedBytes), expected) << v;
        std::snprintf(expected, sizeof expected, "%0.2f Mbps", item.speedKbitps / 1000);
        EXPECT_EQ(Cell(item, kColumnSpeedBits), expected) << v;
    }
    for (uint64_t bytes :
         {0ULL, 51ULL, 512ULL, 1536ULL, 18446744073709551615ULL, 1023ULL * 1024 + 973}) {
        item.bytes = bytes;
        std::snprintf(expected, sizeof expected, "%0.1f KB", static_cast<double>(bytes) / 1024);
        EXPECT_EQ(Cell(item, kColumnDownloaded), expected) << bytes;
    }
    for (int32_t order : {0, 8, 99, -1, -2, 2147483647}) {
        item.order = order;
        std::snprintf(expected, sizeof expected, "%lld", static_cast<long long>(order) + 1);
        EXPECT_EQ(Cell(item, kColumnOrder), expected) << order;
    }
    item.duration = 4294967295u;
    EXPECT_EQ(Cell(item, kColumnDuration), "1193:02:47");
}

}  // namespace
}  // namespace vm
