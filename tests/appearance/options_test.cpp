#include "appearance/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/settings.h"
#include "support/core/recording_store.h"

namespace {

struct OptionsTest : testing::Test {
    RecordingStore store;
    void SetUp() override { InstallSettingsStore(&store); }
    void TearDown() override { InstallSettingsStore(nullptr); }
};

TEST_F(OptionsTest, ChoicesAreWrittenAsZeroOrOneWithTheJournalSwitchInverted) {
    OptionChoices choices;
    choices.toolBar = false;
    choices.statusBar = true;
    choices.bigButtons = true;
    choices.journalOn = false;
    choices.rememberWindowSize = false;
    choices.restoreCaret = true;
    choices.recoveryCopy = false;
    WriteOptionChoices(choices);
    EXPECT_EQ(store.written, (std::vector<std::string>{"ST", "TL", "NO", "AU", "RP", "BIG", "RC"}));
    EXPECT_EQ(ReadSettingDword("ST", 7), 1u);
    EXPECT_EQ(ReadSettingDword("TL", 7), 0u);
    EXPECT_EQ(ReadSettingDword("NO", 7), 1u);
    EXPECT_EQ(ReadSettingDword("AU", 7), 0u);
    EXPECT_EQ(ReadSettingDword("RP", 7), 1u);
    EXPECT_EQ(ReadSettingDword("BIG", 7), 1u);
    EXPECT_EQ(ReadSettingDword("RC", 7), 0u);

    WriteOptionChoices(OptionChoices{});
    EXPECT_EQ(ReadSettingDword("RC", 7), 1u);
    EXPECT_EQ(ReadSettingDword("NO", 7), 0u);
    EXPECT_EQ(ReadSettingDword("TL", 7), 1u);
    EXPECT_EQ(ReadSettingDword("BIG", 7), 0u);
}

TEST_F(OptionsTest, IndentsStartFromTheirSettingsOrTheirMissingValues) {
    EXPECT_EQ(StoredIndent(kFirstLineIndent), 0);
    EXPECT_EQ(StoredIndent(kLeftIndent), 0);
    EXPECT_EQ(StoredIndent(kRightMargin), 80);
    WriteSettingDword("FI", 3);
    WriteSettingDword("LI", 12);
    WriteSettingDword("RI", 64);
    EXPECT_EQ(StoredIndent(kFirstLineIndent), 3);
    EXPECT_EQ(StoredIndent(kLeftIndent), 12);
    EXPECT_EQ(StoredIndent(kRightMargin), 64);
}

TEST_F(OptionsTest, AnUnreadablePositionStoresTheFieldsMissingValue) {
    // The up-down answers with its position in the low word and a non-zero high word when its edit
    // holds no number in its range.
    EXPECT_EQ(IndentFromPosition(kRightMargin, 64), 64);
    EXPECT_EQ(IndentFromPosition(kRightMargin, 10), 10);
    EXPECT_EQ(IndentFromPosition(kRightMargin, 128), 128);
    EXPECT_EQ(IndentFromPosition(kRightMargin, 0x10050), 80);  // "200" or "5" typed
    EXPECT_EQ(IndentFromPosition(kLeftIndent, 0x10005), 0);
    EXPECT_EQ(IndentFromPosition(kFirstLineIndent, 0x10000), 0);
    EXPECT_EQ(IndentFromPosition(kFirstLineIndent, 80), 80);
    // A position outside the range is no indent either, whoever reported it.
    EXPECT_EQ(IndentFromPosition(kRightMargin, 5), 80);
    EXPECT_EQ(IndentFromPosition(kLeftIndent, 81), 0);
}

TEST_F(OptionsTest, IgnoringLineBreaksShowsTickedUntilStored) {
    EXPECT_TRUE(IgnoreLineBreaksShown());
    WriteSettingDword("IG", 0);
    EXPECT_FALSE(IgnoreLineBreaksShown());
    WriteSettingDword("IG", 1);
    EXPECT_TRUE(IgnoreLineBreaksShown());
}

}  // namespace
