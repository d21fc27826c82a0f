#include <gtest/gtest.h>

#include "core/base/DecimalText.h"

namespace vm {
namespace {

TEST(DecimalText, KeepsWhatTheEditShows) {
    EXPECT_EQ("0.5", FormatDecimal(0.5, 1));
    EXPECT_EQ("12", FormatDecimal(12.4, 0));
    EXPECT_DOUBLE_EQ(2.3, RoundTripDecimal("2.34", 1));
    EXPECT_DOUBLE_EQ(2.4, RoundTripDecimal("2.36", 1));
    EXPECT_DOUBLE_EQ(10.0, RoundTripDecimal("10", 1));
    EXPECT_DOUBLE_EQ(0.0, RoundTripDecimal("abc", 1));
    EXPECT_DOUBLE_EQ(1.5, RoundTripDecimal("1.5kb", 1));
    for (const char* word : {"inf", "-Infinity", "nan", "1e999"}) {
        EXPECT_DOUBLE_EQ(0.0, RoundTripDecimal(word, 1)) << word;
    }
}

}  // namespace
}  // namespace vm
