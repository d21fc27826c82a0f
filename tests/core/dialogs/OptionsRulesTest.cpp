#include <gtest/gtest.h>

#include <string>

#include "core/dialogs/OptionsRules.h"

namespace vm {
namespace {

TEST(OptionsRulesTest, CopiesTheDialogsOptionsAndLeavesTheViewOptions) {
    AppSettings from;
    from.UseAutoStopTime = 0;
    from.AutoStopStableValue = 2.5;
    from.NumOfRetries = 9;
    from.AutoReportOpenInViewer = 0;
    from.AutoReportFilename = std::string(300, 'r');
    from.ShowGridLines = 1;
    from.DontAddDisabled = 0;
    from.ConfirmDelete = 1;

    AppSettings to;
    CopyAdvancedOptions(from, &to);
    EXPECT_EQ(0, to.UseAutoStopTime);
    EXPECT_DOUBLE_EQ(2.5, to.AutoStopStableValue);
    EXPECT_EQ(9, to.NumOfRetries);
    EXPECT_EQ(0, to.AutoReportOpenInViewer);
    // Cut to what the configuration file keeps.
    EXPECT_EQ(std::string(kMaxReportFileName, 'r'), to.AutoReportFilename);
    EXPECT_EQ(0, to.ShowGridLines);
    EXPECT_EQ(1, to.DontAddDisabled);
    EXPECT_EQ(0, to.ConfirmDelete);
}

TEST(OptionsRulesTest, AControlIsUsableWhileItsSwitchIsOn) {
    AppSettings options;
    options.AutoReport = 0;
    EXPECT_FALSE(OptionEnabled(options, "AutoReportFilename"));
    EXPECT_FALSE(OptionEnabled(options, "AutoReportOpenInViewer"));
    EXPECT_TRUE(OptionEnabled(options, "AutoReport"));  // the switch itself
    EXPECT_TRUE(OptionEnabled(options, "FtpMode"));
    EXPECT_TRUE(OptionEnabled(options, "NoSuchOption"));
    options.AutoReport = -7;  // any non-zero value is on
    EXPECT_TRUE(OptionEnabled(options, "AutoReportFilename"));
}

}  // namespace
}  // namespace vm
