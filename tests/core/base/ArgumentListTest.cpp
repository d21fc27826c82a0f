#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/base/ArgumentList.h"

namespace vm {
namespace {

std::vector<std::string> Split(const char* line) {
    ArgumentList list;
    list.Parse(line);
    std::vector<std::string> out;
    for (size_t i = 0; i < list.Count(); ++i) out.push_back(list.At(i));
    return out;
}

TEST(ArgumentList, SplitsOnSpacesWithTogglingQuotes) {
    using V = std::vector<std::string>;
    struct Case {
        const char* line;
        V expected;
    } cases[] = {
        {"", V{}},
        {"   ", V{}},
        {"a  b   c ", V{"a", "b", "c"}},
        {"a\tb c", V{"a\tb", "c"}},  // tabs are ordinary
        {"a\"b c\"d", V{"ab cd"}},   // quotes in the middle
        {"\"/stext\" \"my report.txt\"", V{"/stext", "my report.txt"}},
        {"\"  lead\" x", V{"lead", "x"}},  // leading quoted spaces dropped
        {"\"a  \" x", V{"a  ", "x"}},
        {"\"\" x", V{"", "x"}},  // an empty argument
        {"x \"\"", V{"x"}},      // ... except at the very end
        {"x \"\" ", V{"x", ""}},
        {"\"   \" y", V{"", "y"}},
        {"\"unterminated arg", V{"unterminated arg"}},
        {"a\\\"b c\"", V{"a\\b c"}},  // no escape character
        {"\"\"\"\"", V{}},
    };
    for (const Case& c : cases) EXPECT_EQ(Split(c.line), c.expected) << "[" << c.line << "]";
}

TEST(ArgumentList, AtPastTheEndAndCaseInsensitiveFind) {
    ArgumentList list;
    list.Parse("/STEXT a.txt /stext b");
    EXPECT_STREQ(list.At(4), "");
    EXPECT_STREQ(list.At(1000), "");
    EXPECT_EQ(list.Find("/stext"), 0);
    EXPECT_EQ(list.Find("/sText"), 0);
    EXPECT_EQ(list.Find("/stex"), -1);
    EXPECT_EQ(list.Find("B"), 3);
}

}  // namespace
}  // namespace vm
