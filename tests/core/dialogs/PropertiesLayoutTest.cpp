#include <gtest/gtest.h>

#include <string>

#include "core/base/ScrambledText.h"
#include "core/dialogs/AboutTexts.h"
#include "core/dialogs/PropertiesLayout.h"
#include "core/report/ReportFormat.h"

namespace vm {
namespace {

const PixelRect kCaption{10, 13, 100, 29};  // 90 wide
const PixelRect kValue{103, 11, 475, 31};   // 372 wide, 20 high

TEST(PropertiesLayoutTest, CaptionsTakeTheWidestTitleAndValuesKeepTheirRightEdge) {
    const int titles[] = {20, 115, 60};
    const PropertyRowsLayout layout = LayoutPropertyRows(kCaption, kValue, titles, 3);
    EXPECT_EQ(125, layout.captionWidth);
    EXPECT_EQ(138, layout.valueLeft);
    EXPECT_EQ(kValue.right, layout.valueLeft + layout.valueWidth);
    EXPECT_EQ(24, layout.rowStep);
    EXPECT_EQ(72, layout.rowsHeight);
    // Captions and values each keep their own prototype's top (the edit sits a little
    // higher so the texts line up).
    EXPECT_EQ(13 + 48, layout.CaptionTop(2));
    EXPECT_EQ(11 + 48, layout.ValueTop(2));

    const PropertyRowsLayout unmeasured = LayoutPropertyRows(kCaption, kValue, nullptr, 3);
    EXPECT_EQ(90, unmeasured.captionWidth);
    EXPECT_EQ(kValue.left, unmeasured.valueLeft);
    EXPECT_EQ(kValue.Width(), unmeasured.valueWidth);
}

TEST(AboutTextsTest, StoredTextsAreScrambledAndComeBackWhole) {
    constexpr auto stored = Scramble("Velocimark");
    EXPECT_EQ(std::string::npos,
              std::string(reinterpret_cast<const char*>(stored.bytes), sizeof stored.bytes)
                  .find("Veloci"));
    EXPECT_EQ("Velocimark", Unscramble(stored, 255));
    EXPECT_EQ("Velo", Unscramble(stored, 4));
    EXPECT_EQ(kProductWebAddress, AboutLinkText());
    EXPECT_NE(std::string::npos, AboutProductText().find("\r\n"));
}

}  // namespace
}  // namespace vm
