#include <gtest/gtest.h>

#include <vector>

#include "core/base/TextUtil.h"

namespace vm {
namespace {

TEST(TextUtil, CopyBoundedAlwaysTerminates) {
    char out[4] = {'x', 'x', 'x', 'x'};
    CopyBounded(out, sizeof out, "abcdef");
    EXPECT_STREQ(out, "abc");
    CopyBounded(out, 1, "abc");
    EXPECT_STREQ(out, "");
    CopyBounded(out, sizeof out, "");
    EXPECT_STREQ(out, "");
}

TEST(TextUtil, TrimSpacesOnlySpaces) {
    EXPECT_EQ(TrimSpaces("  a b  "), "a b");
    EXPECT_EQ(TrimSpaces("\ta\t"), "\ta\t");
    EXPECT_EQ(TrimSpaces("   "), "");
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t position = 0;
    std::string line;
    while (ReadLine(text, &position, &line)) lines.push_back(line);
    return lines;
}

TEST(TextUtil, ReadLineBreaks) {
    EXPECT_EQ(Lines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(Lines("a\n\rb\r"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(Lines(""), std::vector<std::string>{});
    EXPECT_EQ(Lines(std::string(5000, 'x'))[0].size(), kMaxReadLine);
}

}  // namespace
}  // namespace vm
