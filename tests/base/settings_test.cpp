#include <gtest/gtest.h>

#include "base/settings.h"

namespace {

struct SettingsTest : testing::Test {
    MemorySettingsStore store;
    void SetUp() override { InstallSettingsStore(&store); }
    void TearDown() override { InstallSettingsStore(nullptr); }
};

TEST_F(SettingsTest, MissingValuesGiveTheReadersDefaults) {
    EXPECT_EQ(ReadSettingDword("ST", 1), 1u);
    EXPECT_EQ(ReadSettingDword("RI", 80), 80u);
    EXPECT_EQ(ReadSettingString("LIST", 11), "");
}

TEST_F(SettingsTest, WrittenValuesReadBackAtOnce) {
    WriteSettingDword("WW", 0);
    WriteSettingString("0F", "C:\\text\\a.txt");
    EXPECT_EQ(ReadSettingDword("WW", 1048704), 0u);
    EXPECT_EQ(ReadSettingString("0F", 260), "C:\\text\\a.txt");
}

TEST_F(SettingsTest, NumberLongerThanFourBytesCountsAsMissingShorterIsZeroExtended) {
    store.WriteRaw("LI", std::string("\x05\x00\x00\x00\x01", 5));
    EXPECT_EQ(ReadSettingDword("LI", 7), 7u);
    store.WriteRaw("FI", std::string("\x05", 1));
    EXPECT_EQ(ReadSettingDword("FI", 7), 5u);
}

TEST_F(SettingsTest, TextThatDoesNotFitTheBufferReadsEmpty) {
    WriteSettingString("FontW", "Courier New");  // 11 characters and the terminator
    EXPECT_EQ(ReadSettingString("FontW", 12), "Courier New");
    EXPECT_EQ(ReadSettingString("FontW", 11), "");
}

TEST_F(SettingsTest, TextStoredWithoutTerminatorIsStillTerminatedWithinTheBuffer) {
    store.WriteRaw("0", "abc");
    EXPECT_EQ(ReadSettingString("0", 4), "abc");
    EXPECT_EQ(ReadSettingString("0", 3), "");
}

}  // namespace
