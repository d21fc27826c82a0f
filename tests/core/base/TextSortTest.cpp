#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/base/TextMatch.h"
#include "core/base/TextSort.h"
#include "support/FakeCodePage.h"

namespace vm {
namespace {

// The keyed sort must give exactly the order of a plain stable sort by CompareTextNoCase:
// texts with shared starts, case differences, bytes above 0x7F, prefixes of each other and
// duplicates, in both directions.
void ExpectSameOrderAsTheComparison(const std::string& alphabet) {
    std::mt19937 random(12345);
    for (int round = 0; round < 200; ++round) {
        const std::string start = round % 2 ? "http://Host/" : "";
        std::vector<std::string> texts;
        const int count = 1 + static_cast<int>(random() % 60);
        for (int i = 0; i < count; ++i) {
            std::string t = (random() % 4) ? start : "";
            const size_t length = random() % 14;
            for (size_t j = 0; j < length; ++j) t += alphabet[random() % alphabet.size()];
            texts.push_back(t);
            if (random() % 5 == 0) texts.push_back(t);  // duplicates keep their order
        }
        std::vector<char> text;
        std::vector<size_t> offsets;
        std::vector<uint32_t> rows;
        for (size_t i = 0; i < texts.size(); ++i) {
            offsets.push_back(text.size());
            text.insert(text.end(), texts[i].c_str(), texts[i].c_str() + texts[i].size() + 1);
            rows.push_back(static_cast<uint32_t>(i));
        }
        for (bool descending : {false, true}) {
            std::vector<uint32_t> expected = rows;
            std::stable_sort(expected.begin(), expected.end(), [&](uint32_t a, uint32_t b) {
                const int r = CompareTextNoCase(texts[a].c_str(), texts[b].c_str());
                return descending ? r > 0 : r < 0;
            });
            std::vector<uint32_t> sorted = rows;
            SortRowsByText(&sorted, text, offsets, descending);
            ASSERT_EQ(sorted, expected) << "round " << round;
        }
    }
}

TEST(TextSortTest, OrdersExactlyAsTheTextComparison) {
    ExpectSameOrderAsTheComparison("aAbBzZ09/.:_\x7F\x80\xE4\xFF");
}

// Trail bytes of double-byte characters are no letters: "\x83A" and "\x83a" differ.
TEST(TextSortTest, OrdersDoubleByteTextsAsTheComparison) {
    test::FakeDoubleByteCodePage codePage;
    ExpectSameOrderAsTheComparison("aAbZ0/\x83\x41\x61\x9F\xE0\xA5");
}

}  // namespace
}  // namespace vm
