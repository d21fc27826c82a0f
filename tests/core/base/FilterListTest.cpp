#include <gtest/gtest.h>

#include <string>

#include "core/base/FilterList.h"

namespace vm {
namespace {

TEST(FilterListTest, PairsThenClosingNuls) {
    const FilterPair pairs[] = {{"URLs Text File", "*.txt"}, {"All Files", "*.*"}};
    std::string list;
    ASSERT_TRUE(BuildFilterList(pairs, 2, &list));
    EXPECT_EQ(list, std::string("URLs Text File (*.txt)\0*.txt\0All Files (*.*)\0*.*\0\0\0", 51));
}

TEST(FilterListTest, ListThatWouldNotFitIsRefused) {
    const std::string description(600, 'd');
    const FilterPair pairs[] = {{description.c_str(), "*.a"}, {description.c_str(), "*.b"}};
    std::string list;
    EXPECT_FALSE(BuildFilterList(pairs, 2, &list));
    EXPECT_TRUE(list.empty());
    // A description is cut to 1023 characters, which with its pattern is still too long.
    const std::string huge(5000, 'h');
    const FilterPair one[] = {{huge.c_str(), "*.x"}};
    EXPECT_FALSE(BuildFilterList(one, 1, &list));
    const std::string fits(1000, 'f');
    const FilterPair ok[] = {{fits.c_str(), "*.x"}};
    ASSERT_TRUE(BuildFilterList(ok, 1, &list));
    EXPECT_EQ(list.size(), 1000 + 6 + 1 + 3 + 1 + 2u);
}

}  // namespace
}  // namespace vm
