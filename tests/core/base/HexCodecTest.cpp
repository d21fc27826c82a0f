#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/base/HexCodec.h"

namespace vm {
namespace {

TEST(HexCodec, EncodesUpperCasePairsSeparatedBySpaces) {
    const uint8_t bytes[] = {44, 0, 255};
    EXPECT_EQ(EncodeHex(bytes, 3), "2C 00 FF");
    EXPECT_EQ(EncodeHex(bytes, 0), "");
    const std::vector<uint8_t> many(3000, 0xAB);
    EXPECT_EQ(EncodeHex(many.data(), many.size()).size(), kMaxHexText);  // 2731 bytes at most
}

TEST(HexCodec, DecodesPairsByStrtoulRules) {
    struct Case {
        const char* text;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"2C 00 FF", {0x2C, 0x00, 0xFF}},
        {"2c00ff", {0x2C, 0x00, 0xFF}},
        {"  2C   00", {0x2C, 0x00}},
        {"ZZ 3Z", {0x00, 0x03}},  // no digits: 0; leading digits only
        {"ABC", {0xAB, 0x0C}},    // an odd last character stands alone
        {"-1", {0xFF}},           // strtoul negates
        {"+5", {0x05}},
        {"0x", {0x00}},
        {"A B", {0x0A, 0x0B}},  // "A " is a pair whose space ends the number
        {"\t9", {0x09}},
    };
    for (const Case& c : cases) {
        uint8_t out[8];
        std::memset(out, 0xEE, sizeof out);
        size_t count = sizeof out;
        EXPECT_TRUE(DecodeHex(c.text, out, &count)) << c.text;
        EXPECT_EQ(std::vector<uint8_t>(out, out + count), c.bytes) << c.text;
        EXPECT_EQ(out[count], 0xEE) << c.text;
    }
}

TEST(HexCodec, StopsAtCapacityAndKeepsTargetWhenNothingDecodes) {
    uint8_t out[2] = {7, 8};
    size_t count = 2;
    EXPECT_TRUE(DecodeHex("01 02 03 04", out, &count));
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(out[1], 2);
    out[0] = 7;
    count = 2;
    EXPECT_FALSE(DecodeHex("    ", out, &count));
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(out[0], 7);
    count = 0;
    EXPECT_FALSE(DecodeHex("01", out, &count));
    EXPECT_EQ(count, 0u);
}

}  // namespace
}  // namespace vm
