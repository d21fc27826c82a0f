#include <gtest/gtest.h>

#include "core/dialogs/OptionsRules.h"

namespace vm {
namespace {

std::string EnabledSet(const AppSettings& options) {
    const OptionsEnabling enabling = OptionsEnablingFor(options);
    std::string set;
    for (size_t i = 0; i < kOptionsDependentCount; ++i) set += enabling.enabled[i] ? '1' : '0';
    return set;
}

TEST(OptionsRulesTest, EachCheckBoxEnablesExactlyItsOwnControls) {
    const AppSettings defaults;
    // Order: time, size, size unit, stable value, stable unit, retries, file, "...", type, open.
    EXPECT_EQ("1000000000", EnabledSet(defaults));
    const struct {
        int32_t AppSettings::*option;
        int32_t value;
        const char* expected;
    } cases[] = {
        {&AppSettings::UseAutoStopTime, 0, "0000000000"},
        {&AppSettings::UseAutoStopSize, 1, "1110000000"},
        {&AppSettings::UseAutoStopStable, 1, "1001100000"},
        {&AppSettings::TryAgainOnFail, 1, "1000010000"},
        {&AppSettings::AutoReport, 1, "1000001111"},
        {&AppSettings::AutoReport, -7, "1000001111"},  // any non-zero value is on
    };
    for (const auto& c : cases) {
        AppSettings options;
        options.*c.option = c.value;
        EXPECT_EQ(c.expected, EnabledSet(options));
    }
}

}  // namespace
}  // namespace vm
