#include <gtest/gtest.h>

#include <vector>

#include "core/list/ColumnLayout.h"

namespace vm {
namespace {

// A stored layout from (width, position) pairs, little-endian as stored.
std::vector<uint8_t> Stored(std::vector<std::pair<int, int>> entries) {
    std::vector<uint8_t> bytes;
    for (const auto& e : entries) {
        for (int v : {e.first, e.second}) {
            const uint16_t u = static_cast<uint16_t>(static_cast<int16_t>(v));
            bytes.push_back(static_cast<uint8_t>(u & 0xFF));
            bytes.push_back(static_cast<uint8_t>(u >> 8));
        }
    }
    return bytes;
}

std::vector<std::pair<int, int>> Entries(const ColumnLayout& layout) {
    std::vector<std::pair<int, int>> out;
    for (size_t i = 0; i < layout.ColumnCount(); ++i) {
        out.emplace_back(layout.Entry(i).width, layout.Entry(i).position);
    }
    return out;
}

std::vector<std::pair<int, int>> DefaultEntries(int count) {
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i < count; ++i) out.emplace_back(100, i);
    return out;
}

TEST(ColumnLayoutTest, DefaultLayoutIsThirtySixBytesWidthFirstLittleEndian) {
    ColumnLayout layout(9);
    const std::vector<uint8_t> bytes = layout.Bytes();
    ASSERT_EQ(bytes.size(), 36u);
    EXPECT_EQ(bytes, Stored(DefaultEntries(9)));
    EXPECT_EQ(bytes[0], 100);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[4 * 8 + 2], 8);  // position of column 8
}

TEST(ColumnLayoutTest, StoredLayoutRoundTripsIncludingNegativeValues) {
    ColumnLayout layout(3);
    const auto stored = Stored({{-1, 2}, {1999, 0}, {0, 1}});
    ASSERT_TRUE(layout.ApplyBytes(stored.data(), stored.size()));
    // -1 is not applied (the width stays 100); the rest is.
    EXPECT_EQ(Entries(layout), (std::vector<std::pair<int, int>>{{100, 2}, {1999, 0}, {0, 1}}));
    std::vector<ColumnLayoutEntry> decoded;
    ASSERT_TRUE(layout.Decode(stored.data(), stored.size(), &decoded));
    EXPECT_EQ(decoded[0].width, -1);
}

struct ApplyCase {
    const char* what;
    std::vector<std::pair<int, int>> stored;
    bool accepted;
    std::vector<std::pair<int, int>> expected;  // entries afterwards
};

TEST(ColumnLayoutTest, AcceptanceAndApplyRules) {
    const auto defaults = DefaultEntries(4);
    const ApplyCase cases[] = {
        {"all zero bytes", {{0, 0}, {0, 0}, {0, 0}, {0, 0}}, false, defaults},
        {"two columns at position 0", {{50, 0}, {60, 0}, {70, 1}, {80, 2}}, false, defaults},
        {"moved and hidden",
         {{50, 1}, {0, 0}, {70, 3}, {80, 2}},
         true,
         {{50, 1}, {0, 0}, {70, 3}, {80, 2}}},
        {"width 2000 keeps the width, takes the position",
         {{2000, 1}, {60, 0}, {70, 2}, {80, 3}},
         true,
         {{100, 1}, {60, 0}, {70, 2}, {80, 3}}},
        {"width 1999 applies",
         {{1999, 0}, {60, 1}, {70, 2}, {80, 3}},
         true,
         {{1999, 0}, {60, 1}, {70, 2}, {80, 3}}},
        {"negative width not applied",
         {{-5, 0}, {60, 1}, {70, 2}, {80, 3}},
         true,
         {{100, 0}, {60, 1}, {70, 2}, {80, 3}}},
        {"duplicate position: first column wins, the other keeps its entry",
         {{10, 0}, {20, 1}, {30, 1}, {40, 3}},
         true,
         {{10, 0}, {20, 1}, {100, 2}, {40, 3}}},
        {"position out of range is never reached",
         {{10, 0}, {20, 1}, {30, 2}, {40, 9}},
         true,
         {{10, 0}, {20, 1}, {30, 2}, {100, 3}}},
    };
    for (const ApplyCase& c : cases) {
        ColumnLayout layout(4);
        const auto bytes = Stored(c.stored);
        EXPECT_EQ(layout.ApplyBytes(bytes.data(), bytes.size()), c.accepted) << c.what;
        EXPECT_EQ(Entries(layout), c.expected) << c.what;
    }
}

TEST(ColumnLayoutTest, StoredLayoutOfTheWrongSizeIsRejected) {
    ColumnLayout layout(9);
    const auto shortValue = Stored(DefaultEntries(8));
    EXPECT_FALSE(layout.ApplyBytes(shortValue.data(), shortValue.size()));
    const auto longValue = Stored(DefaultEntries(10));
    EXPECT_FALSE(layout.ApplyBytes(longValue.data(), longValue.size()));
    EXPECT_FALSE(layout.ApplyBytes(nullptr, 0));
}

TEST(ColumnLayoutTest, AppliedChangesAreListedForTheControl) {
    ColumnLayout layout(3);
    const auto bytes = Stored({{2500, 2}, {0, 0}, {40, 1}});
    std::vector<ColumnLayout::Change> changes;
    ASSERT_TRUE(layout.ApplyBytes(bytes.data(), bytes.size(), &changes));
    ASSERT_EQ(changes.size(), 3u);
    // In display position order.
    EXPECT_EQ(changes[0].column, 1);
    EXPECT_TRUE(changes[0].widthApplied);
    EXPECT_EQ(changes[1].column, 2);
    EXPECT_EQ(changes[2].column, 0);
    EXPECT_FALSE(changes[2].widthApplied);
}

struct OrderCase {
    const char* what;
    std::vector<std::pair<int, int>> entries;
    std::vector<int> order;
};

TEST(ColumnLayoutTest, VisibleOrder) {
    const OrderCase cases[] = {
        {"default", DefaultEntries(4), {0, 1, 2, 3}},
        {"hidden column left out", {{100, 0}, {0, 1}, {100, 2}, {-3, 3}}, {0, 2}},
        {"moved column", {{100, 1}, {100, 0}, {100, 2}, {100, 3}}, {1, 0, 2, 3}},
        {"positions clamped, ties by column index",
         {{100, 7}, {100, -2}, {100, 3}, {100, 0}},
         {1, 3, 0, 2}},
    };
    for (const OrderCase& c : cases) {
        std::vector<ColumnLayoutEntry> entries;
        for (const auto& e : c.entries) {
            entries.push_back({static_cast<int16_t>(e.first), static_cast<int16_t>(e.second)});
        }
        std::vector<int> order;
        VisibleOrderOf(entries, &order);
        EXPECT_EQ(order, c.order) << c.what;
    }
}

}  // namespace
}  // namespace vm
