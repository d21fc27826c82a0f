#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "core/options/OptionTable.h"

namespace vm {
namespace {

// With /nosaveload the program runs on the record as constructed, so it must start where a
// load of an empty file would put it.
TEST(OptionTableTest, TheRecordStartsAtEveryOptionsDefault) {
    const AppSettings record;
    for (const OptionSpec& option : Options()) {
        SCOPED_TRACE(option.key);
        switch (option.type) {
            case OptionType::Bool:
            case OptionType::Int:
                EXPECT_EQ(option.numberDefault, record.*option.number);
                break;
            case OptionType::Double:
                EXPECT_EQ(option.decimalDefault, record.*option.decimal);
                break;
            case OptionType::Text:
                EXPECT_EQ(option.textDefault, record.*option.text);
                break;
        }
    }
}

// The rules a new row can break without any other test noticing at once.
TEST(OptionTableTest, EveryRowIsComplete) {
    std::set<std::string> keys;
    std::set<int> jsonOrders;
    const std::set<std::string> fileKeys = {"WinPos", "Columns", "Sort", "NumOfDownloads"};
    for (const OptionSpec& option : Options()) {
        SCOPED_TRACE(option.key);
        // Keys are compared case-insensitively by the file and the command line.
        std::string lower = option.key;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(keys.insert(lower).second) << "key twice";
        EXPECT_EQ(0u, fileKeys.count(option.key)) << "key of the file's own";

        const bool isNumber = option.type == OptionType::Bool || option.type == OptionType::Int;
        EXPECT_EQ(isNumber, option.number != nullptr);
        EXPECT_EQ(option.type == OptionType::Double, option.decimal != nullptr);
        EXPECT_EQ(option.type == OptionType::Text, option.text != nullptr);
        if (option.type == OptionType::Text) {
            EXPECT_GT(option.bound, 0u) << "capacity";
        }

        // A switch is a flag of the same block, so that the dialog copies both together.
        if (option.enabledBy != nullptr) {
            bool found = false;
            for (const OptionSpec& other : Options()) {
                if (other.number != option.enabledBy) continue;
                found = true;
                EXPECT_EQ(OptionType::Bool, other.type);
                EXPECT_EQ(option.advanced, other.advanced);
            }
            EXPECT_TRUE(found) << "switch without a row";
        }

        EXPECT_EQ(option.json != JsonForm::None, option.jsonName != nullptr);
        if (option.json != JsonForm::None) {
            EXPECT_TRUE(jsonOrders.insert(option.jsonOrder).second) << "JSON order twice";
        }
    }
    EXPECT_EQ(&*Options().begin(), FindOption("ShowGridLines"));
    EXPECT_EQ(nullptr, FindOption("WinPos"));
}

TEST(OptionTableTest, AnyNonZeroSwitchMakesItsOptionApply) {
    const OptionSpec& retries = *FindOption("NumOfRetries");
    const OptionSpec& timeout = *FindOption("ConnectTimeout");
    AppSettings settings;
    settings.TryAgainOnFail = 0;
    EXPECT_FALSE(OptionSwitchedOn(settings, retries));
    EXPECT_TRUE(OptionSwitchedOn(settings, timeout));  // no switch: always applies
    settings.TryAgainOnFail = -7;
    EXPECT_TRUE(OptionSwitchedOn(settings, retries));
}

}  // namespace
}  // namespace vm
