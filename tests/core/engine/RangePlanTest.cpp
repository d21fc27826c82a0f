#include <gtest/gtest.h>

#include "core/engine/RangePlan.h"

namespace vm {
namespace {

TEST(RangePlan, EveryByteOfTheRestIsInExactlyOneRange) {
    constexpr uint64_t kFiveGiB = 5ull << 30;
    const struct {
        uint64_t start, length;
        int32_t connections, expectedCount;
    } cases[] = {
        {65536, kFiveGiB, 4, 4},            // past 4 GiB: no 32-bit count anywhere
        {65536, kFiveGiB + 3, 4, 4},        // uneven: the first ranges a byte larger
        {0, 1000000, 16, 15},               // 15 ranges of at least 64 KiB fit, not 16
        {0, 100, 4, 1},                     // too short to split: one range of the rest
        {100, 100, 4, 0},                   // nothing left
        {200, 100, 4, 0},                   // past the end
        {0, 10 * kMinRangeBytes, 0, 1},     // held to 1-16
        {0, 100 * kMinRangeBytes, 99, 16},  //
        {0, UINT64_MAX, 16, 16},            // the largest length does not overflow
    };
    for (const auto& c : cases) {
        const RangePlan plan = PlanRanges(c.start, c.length, c.connections);
        ASSERT_EQ(plan.count, c.expectedCount) << c.start << " " << c.length;
        uint64_t next = c.start;
        uint64_t smallest = UINT64_MAX;
        uint64_t largest = 0;
        for (int32_t i = 0; i < plan.count; ++i) {
            EXPECT_EQ(plan.ranges[i].first, next);
            next += plan.ranges[i].count;
            smallest = std::min(smallest, plan.ranges[i].count);
            largest = std::max(largest, plan.ranges[i].count);
        }
        if (plan.count > 0) {
            EXPECT_EQ(next, c.length) << "the counts add up to the rest";
            EXPECT_LE(largest - smallest, 1u);
            if (plan.count > 1) {
                EXPECT_GE(smallest, kMinRangeBytes);
            }
        }
    }
}

TEST(RangePlan, RequestHeaderNamesTheLastByteInclusive) {
    EXPECT_EQ(RangeRequestHeader({0, 65536}), "Range: bytes=0-65535\r\n");
    EXPECT_EQ(RangeRequestHeader({5368709120ull, 1}), "Range: bytes=5368709120-5368709120\r\n");
}

TEST(RangePlan, ContentRangeIsReadStrictly) {
    const struct {
        const char* text;
        bool ok;
        uint64_t first, count, total;
    } cases[] = {
        {"bytes 0-65535/1048576", true, 0, 65536, 1048576},
        {" Bytes  5368709119-5368709119/5368709120 ", true, 5368709119ull, 1, 5368709120ull},
        {"bytes 0-9/*", true, 0, 10, UINT64_MAX},
        {"bytes 10-9/100", false, 0, 0, 0},   // last before first
        {"bytes 0-100/100", false, 0, 0, 0},  // past the end of the file
        {"bytes */100", false, 0, 0, 0},      // an unsatisfied range
        {"bytes 0-9/100x", false, 0, 0, 0},
        {"items 0-9/100", false, 0, 0, 0},
        {"bytes0-9/100", false, 0, 0, 0},
        {"bytes 0-99999999999999999999/1", false, 0, 0, 0},  // overflow
        {"", false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        ByteRange range;
        uint64_t total = 0;
        ASSERT_EQ(ParseContentRange(c.text, &range, &total), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(range.first, c.first) << c.text;
        EXPECT_EQ(range.count, c.count) << c.text;
        EXPECT_EQ(total, c.total) << c.text;
    }
}

TEST(RangePlan, AnswersToARangeRequest) {
    const ByteRange asked{1000, 500};
    const struct {
        uint32_t status;
        const char* contentRange;
        bool hasLength;
        uint64_t length, expectedTotal;
        RangeAnswer answer;
    } cases[] = {
        {206, "bytes 1000-1499/5000", true, 500, 5000, RangeAnswer::Matches},
        {206, "bytes 1000-1499/5000", false, 0, 5000, RangeAnswer::Matches},
        {206, "bytes 1000-1499/5000", true, 500, UINT64_MAX, RangeAnswer::Matches},
        {200, "", true, 5000, 5000, RangeAnswer::Ignored},
        {416, "bytes */5000", false, 0, 5000, RangeAnswer::WrongStatus},
        {302, "", false, 0, 5000, RangeAnswer::WrongStatus},
        {206, "bytes 1000-1999/5000", true, 1000, 5000, RangeAnswer::WrongRange},
        {206, "bytes 0-499/5000", true, 500, 5000, RangeAnswer::WrongRange},
        {206, "bytes 1000-1499/6000", true, 500, 5000, RangeAnswer::WrongRange},  // file changed
        {206, "", true, 500, 5000, RangeAnswer::WrongRange},
        {206, "bytes 1000-1499/5000", true, 400, 5000, RangeAnswer::WrongLength},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JudgeRangeAnswer(c.status, c.contentRange, c.hasLength, c.length, asked,
                                   c.expectedTotal),
                  c.answer)
            << c.status << " " << c.contentRange << " " << c.length;
    }
}

TEST(RangePlan, TheFirstRequestsAnswerSaysWhetherRangesAreTaken) {
    const ByteRange asked{0, kProbeRangeBytes};
    const struct {
        uint32_t status;
        const char* contentRange;
        bool hasLength;
        uint64_t length;
        ProbeAnswer answer;
        uint64_t fileLength;
        uint32_t error;
    } cases[] = {
        {206, "bytes 0-262143/5242880", true, 262144, ProbeAnswer::Taken, 5242880, 0},
        {206, "bytes 0-199999/200000", true, 200000, ProbeAnswer::Taken, 200000, 0},  // short file
        {200, "", true, 5242880, ProbeAnswer::Whole, 0, 0},  // ranges ignored: one connection
        {200, "", false, 0, ProbeAnswer::Whole, 0, 0},       // an empty or chunked file
        {206, "bytes 0-262143/*", true, 262144, ProbeAnswer::Wrong, 0, kErrorRangeBytes},
        {206, "bytes 1-262144/5242880", true, 262144, ProbeAnswer::Wrong, 0, kErrorRangeBytes},
        {206, "bytes 0-99/5242880", true, 100, ProbeAnswer::Wrong, 0, kErrorRangeBytes},
        {206, "bytes 0-262143/5242880", true, 131072, ProbeAnswer::Wrong, 0, kErrorRangeLength},
    };
    for (const auto& c : cases) {
        uint64_t fileLength = 0;
        uint32_t error = 0;
        EXPECT_EQ(JudgeProbeAnswer(c.status, c.contentRange, c.hasLength, c.length, asked,
                                   &fileLength, &error),
                  c.answer)
            << c.contentRange;
        EXPECT_EQ(fileLength, c.fileLength) << c.contentRange;
        EXPECT_EQ(error, c.error) << c.contentRange;
    }
    EXPECT_EQ(RangeAnswerError(RangeAnswer::Matches), 0u);
    EXPECT_EQ(RangeAnswerError(RangeAnswer::Ignored), kErrorRangeStatus);
    EXPECT_EQ(RangeAnswerError(RangeAnswer::WrongLength), kErrorRangeLength);
}

}  // namespace
}  // namespace vm
