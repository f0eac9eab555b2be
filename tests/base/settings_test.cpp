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

TEST_F(SettingsTest, TextsReadInEitherFormAsTheSameCharacters) {
    const std::string omega("\xA9\x03\x00\x00", 4);  // Ω and the terminator in UTF-16LE
    WriteSettingString("0", "\xC6" "a");       // Жa in 1251
    EXPECT_EQ(ReadSettingString("0", 3, TextForm::Utf16), std::string("\x16\x04" "a\0", 4));
    EXPECT_EQ(ReadSettingString("0", 2, TextForm::Utf16), "");  // two characters and the terminator
    WriteSettingString("1", std::string("\x16\x04", 2) + omega, TextForm::Utf16);
    EXPECT_EQ(ReadSettingString("1", 3, TextForm::Utf16), std::string("\x16\x04\xA9\x03", 4));
    EXPECT_EQ(ReadSettingString("1", 3), "\xC6?");  // 1251 lacks Ω
    // A UTF-16 text ends at its first NUL character, not at a zero byte.
    const std::string zeroByte("\x00\x04" "A\x00", 4);  // ЀA
    WriteSettingString("2", zeroByte, TextForm::Utf16);
    EXPECT_EQ(ReadSettingString("2", 3, TextForm::Utf16), zeroByte);
    EXPECT_EQ(ReadSettingString("2", 3), "?A");
}

}  // namespace
