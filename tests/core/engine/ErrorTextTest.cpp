#include <gtest/gtest.h>

#include <map>

#include "core/engine/ErrorText.h"

namespace vm {
namespace {

class FakeMessageTable : public MessageTable {
public:
    std::map<uint32_t, std::string> texts;
    MessageModule lastModule = MessageModule::System;

    bool Lookup(uint32_t code, MessageModule module, std::string* text) override {
        lastModule = module;
        const auto it = texts.find(code);
        if (it == texts.end()) return false;
        *text = it->second;
        return true;
    }
};

TEST(ErrorText, ModuleByCodeRange) {
    struct Case {
        uint32_t code;
        MessageModule module;
    } cases[] = {
        {2, MessageModule::System},      {2099, MessageModule::System},
        {2100, MessageModule::NetMsg},   {2999, MessageModule::NetMsg},
        {3000, MessageModule::System},   {11999, MessageModule::System},
        {12000, MessageModule::WinInet}, {12174, MessageModule::WinInet},
        {12175, MessageModule::System},  {0xFFFFFFFF, MessageModule::System},
    };
    for (const Case& c : cases) EXPECT_EQ(MessageModuleForCode(c.code), c.module) << c.code;
}

TEST(ErrorText, TextKeptExactlyOrEmpty) {
    FakeMessageTable table;
    table.texts[2] = "The system cannot find the file specified.\r\n";
    table.texts[5] = std::string(1023, 'a');
    table.texts[6] = std::string(1024, 'a');
    EXPECT_EQ(GetErrorText(2, table), "The system cannot find the file specified.\r\n");
    EXPECT_EQ(GetErrorText(5, table).size(), 1023u);
    EXPECT_EQ(GetErrorText(6, table), "");
    EXPECT_EQ(GetErrorText(7, table), "");
    GetErrorText(12029, table);
    EXPECT_EQ(table.lastModule, MessageModule::WinInet);
}

TEST(ErrorText, FlattenLineBreaks) { EXPECT_EQ(FlattenLineBreaks("a\r\nb\rc\n"), "a  b c "); }

}  // namespace
}  // namespace vm
