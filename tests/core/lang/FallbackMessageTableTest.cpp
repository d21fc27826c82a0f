#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/lang/FallbackMessageTable.h"
#include "core/platform/InternetLibrary.h"
#include "support/FakeTranslation.h"

namespace vm {
namespace {

// A platform that knows only some codes (Wine's library has no text for 12152).
class SomeTexts : public MessageTable {
public:
    std::map<uint32_t, std::string> texts;
    bool Lookup(uint32_t code, MessageModule, std::string* text) override {
        const auto it = texts.find(code);
        if (it == texts.end()) return false;
        *text = it->second;
        return true;
    }
};

TEST(FallbackMessageTable, ThePlatformFirstThenTheProgramsOwnTranslatableText) {
    test::ScopedTranslation none(nullptr);
    SomeTexts platform;
    platform.texts[12029] = "Cannot connect.\r\n";
    platform.texts[12030] = "";
    FallbackMessageTable table(platform);
    std::string text;
    ASSERT_TRUE(table.Lookup(12029, MessageModule::WinInet, &text));
    EXPECT_EQ(text, "Cannot connect.\r\n");
    ASSERT_TRUE(table.Lookup(kErrorInvalidServerResponse, MessageModule::WinInet, &text));
    EXPECT_EQ(text, "The server response could not be parsed.\r\n");
    EXPECT_FALSE(table.Lookup(12030, MessageModule::WinInet, &text));  // no text of ours
    EXPECT_FALSE(table.Lookup(5, MessageModule::System, &text));
    platform.texts[kErrorInvalidServerResponse] = "Windows' own.\r\n";
    ASSERT_TRUE(table.Lookup(kErrorInvalidServerResponse, MessageModule::WinInet, &text));
    EXPECT_EQ(text, "Windows' own.\r\n");
}

TEST(FallbackMessageTable, TheTextFollowsATranslation) {
    test::FakeTranslation translation;
    translation.texts[2020] = "Antwort unlesbar.";
    test::ScopedTranslation scope(&translation);
    SomeTexts platform;
    FallbackMessageTable table(platform);
    std::string text;
    ASSERT_TRUE(table.Lookup(kErrorInvalidServerResponse, MessageModule::WinInet, &text));
    EXPECT_EQ(text, "Antwort unlesbar.\r\n");
}

}  // namespace
}  // namespace vm
