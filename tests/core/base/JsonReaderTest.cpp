#include <gtest/gtest.h>

#include <cfloat>
#include <string>

#include "core/base/JsonReader.h"
#include "core/base/JsonText.h"

namespace vm {
namespace {

bool Parses(const std::string& text, JsonValue* value = nullptr) {
    JsonValue local;
    return ParseJson(text.data(), text.size(), value != nullptr ? value : &local);
}

TEST(JsonReader, RefusesWhatIsNotExactlyOneValue) {
    struct Case {
        const char* text;
        bool ok;
    } cases[] = {
        {"{}", true},
        {" [1, 2.5e3, -0, true, false, null, \"x\"] ", true},
        {"{\"a\":{\"b\":[]}}", true},
        {"", false},
        {"{", false},
        {"{\"a\":1", false},      // a line cut short
        {"{\"a\":1}}", false},    // trailing garbage
        {"{\"a\":1} {}", false},  // two documents on one line
        {"{\"a\" 1}", false},
        {"{\"a\":1,}", false},
        {"[1,]", false},
        {"[01]", false},
        {"[+1]", false},
        {"[.5]", false},
        {"[1.]", false},
        {"[1e]", false},
        {"[inf]", false},
        {"[nul]", false},
        {"[\"a\tb\"]", false},  // a raw control character
        {"[\"\\x\"]", false},   // an unknown escape
        {"[\"\\u12\"]", false},
        {"[\"abc]", false},
        {"{1:2}", false},
    };
    for (const Case& c : cases) EXPECT_EQ(Parses(c.text), c.ok) << c.text;
}

TEST(JsonReader, NestingIsBoundedInsteadOfExhaustingTheStack) {
    const std::string deepest = std::string(kMaxJsonDepth, '[') + std::string(kMaxJsonDepth, ']');
    EXPECT_TRUE(Parses(deepest));
    const std::string deeper = "[" + deepest + "]";
    EXPECT_FALSE(Parses(deeper));
    EXPECT_FALSE(Parses(std::string(100000, '[')));
}

TEST(JsonReader, StringsComeBackAsTheWriterPutThem) {
    // Whatever the writer escapes, the reader restores; surrogate pairs join into one
    // character and a lone surrogate becomes U+FFFD like the writer's bad bytes.
    const std::string texts[] = {"plain",
                                 "quote \" back \\ slash",
                                 std::string("nul\0x", 5),
                                 "\x01\x1f\x7f tab\t cr\r lf\n",
                                 "caf\xc3\xa9 \xe2\x82\xac",
                                 "\xf0\x9f\x98\x80"};
    for (const std::string& text : texts) {
        std::string json;
        AppendJsonString(json, text);
        JsonValue value;
        ASSERT_TRUE(Parses(json, &value)) << json;
        EXPECT_EQ(value.text, text);
    }
    JsonValue value;
    ASSERT_TRUE(Parses("[\"\\ud83d\\ude00\", \"\\ud83d\", \"\\ude00x\", \"\\u00e9\\/\"]", &value));
    EXPECT_EQ(value.elements[0].text, "\xf0\x9f\x98\x80");
    EXPECT_EQ(value.elements[1].text, "\xef\xbf\xbd");
    EXPECT_EQ(value.elements[2].text, "\xef\xbf\xbdx");
    EXPECT_EQ(value.elements[3].text, "\xc3\xa9/");
}

TEST(JsonReader, MembersAndFallbacks) {
    JsonValue value;
    ASSERT_TRUE(Parses("{\"n\":1.5,\"s\":\"t\",\"b\":true,\"big\":1e400}", &value));
    EXPECT_EQ(value.NumberOr("n", 0), 1.5);
    EXPECT_EQ(value.NumberOr("s", 7), 7);  // of another kind
    EXPECT_EQ(value.NumberOr("missing", 7), 7);
    EXPECT_EQ(value.TextOr("s", ""), "t");
    EXPECT_EQ(value.TextOr("n", "x"), "x");
    EXPECT_TRUE(value.Find("b")->boolean);
    EXPECT_EQ(value.NumberOr("big", 0), DBL_MAX);
}

}  // namespace
}  // namespace vm
