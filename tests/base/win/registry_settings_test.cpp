#include <gtest/gtest.h>

#include "base/settings.h"
#include "base/ui_text.h"
#include "base/win/registry_settings.h"
#include "support/win/settings_key.h"

namespace {

struct RegistrySettings : testing::Test {
    SettingsKeySnapshot snapshot;
    void SetUp() override {
        ClearSettingsKey();
        InstallRegistrySettings();
    }
    void TearDown() override { InstallSettingsStore(nullptr); }
};

TEST_F(RegistrySettings, MissingKeyGivesEveryDefaultAndReadingDoesNotCreateIt) {
    EXPECT_EQ(ReadSettingDword("ST", 1), 1u);
    EXPECT_EQ(ReadSettingDword("WW", 1048704), 1048704u);
    EXPECT_EQ(ReadSettingString("LIST", 11), "");
    char block[44];
    EXPECT_FALSE(ReadSettingBlock("DEF", block, sizeof block));
    EXPECT_FALSE(SettingsKeyExists());
}

TEST_F(RegistrySettings, WritesCreateTheKeyAndReadBackThroughTheRegistry) {
    WriteSettingDword("BIG", 1);
    ASSERT_TRUE(SettingsKeyExists());
    WriteSettingDword("FC", 0xFFFFFFFFu);
    WriteSettingString("FontW", "Courier New");
    WriteSettingString("0F", "C:\\Тексты\\письмо.txt"_ui);

    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(ReadRawSetting("BIG", &type, &data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, std::string("\x01\x00\x00\x00", 4));
    ASSERT_TRUE(ReadRawSetting("FontW", &type, &data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, std::string("Courier New\0", 12));

    EXPECT_EQ(ReadSettingDword("BIG", 0), 1u);
    EXPECT_EQ(ReadSettingDword("FC", 0), 0xFFFFFFFFu);
    EXPECT_EQ(ReadSettingString("FontW", 32), "Courier New");
    EXPECT_EQ(ReadSettingString("0F", 260), "C:\\Тексты\\письмо.txt"_ui);
    // Stored as its characters, so another instance reads the same text on a system of any code page.
    wchar_t stored[64] = {};
    DWORD size = sizeof stored;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Orvu\\Vemkoc", L"0F", RRF_RT_REG_SZ, nullptr, stored, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(stored), L"C:\\Тексты\\письмо.txt");
    WriteSettingString("0F", "");
    EXPECT_EQ(ReadSettingString("0F", 260), "");
}

TEST_F(RegistrySettings, UnicodeTextsAreStoredAsTheirCharactersAndOldTextsReadAsThem) {
    auto bytes = [](std::u16string_view text) {
        return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
    };
    WriteSettingString("0", "Поиск"_ui);  // as every text was stored before
    EXPECT_EQ(ReadSettingString("0", 33, TextForm::Utf16), bytes(u"Поиск"));
    WriteSettingString("1", bytes(u"Ω→\U0001F600"), TextForm::Utf16);
    wchar_t stored[16] = {};
    DWORD size = sizeof stored;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Orvu\\Vemkoc", L"1", RRF_RT_REG_SZ, nullptr, stored, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(stored), L"Ω→\U0001F600");
    EXPECT_EQ(ReadSettingString("1", 33, TextForm::Utf16), bytes(u"Ω→\U0001F600"));
    EXPECT_EQ(ReadSettingString("1", 5, TextForm::Utf16), bytes(u"Ω→\U0001F600"));
    EXPECT_EQ(ReadSettingString("1", 4, TextForm::Utf16), "");
    EXPECT_EQ(ReadSettingString("1", 33), "????");
}

TEST_F(RegistrySettings, TextThatDoesNotFitTheReadersBufferReadsEmpty) {
    WriteSettingString("FontW", "Courier New");  // 12 bytes with the terminator
    EXPECT_EQ(ReadSettingString("FontW", 12), "Courier New");
    EXPECT_EQ(ReadSettingString("FontW", 11), "");
}

TEST_F(RegistrySettings, TextStoredWithoutItsTerminatorIsTerminatedWithinTheBuffer) {
    WriteRawSetting("0", REG_SZ, "abc", 3);
    EXPECT_EQ(ReadSettingString("0", 33), "abc");
    EXPECT_EQ(ReadSettingString("0", 4), "abc");
    EXPECT_EQ(ReadSettingString("0", 3), "");
    // Whatever follows in a reused buffer never runs on past the text.
    WriteRawSetting("1", REG_SZ, "abcdefgh", 8);
    WriteRawSetting("1", REG_SZ, "xy", 2);
    EXPECT_EQ(ReadSettingString("1", 33), "xy");
}

TEST_F(RegistrySettings, NumbersAreTakenWhateverTheirTypeUpToFourBytes) {
    const unsigned char five[] = {5, 0, 0, 0, 1};
    WriteRawSetting("LI", REG_BINARY, five, sizeof five);
    EXPECT_EQ(ReadSettingDword("LI", 7), 7u);
    WriteRawSetting("FI", REG_BINARY, five, 4);
    EXPECT_EQ(ReadSettingDword("FI", 7), 5u);
    WriteRawSetting("RI", REG_BINARY, five, 1);
    EXPECT_EQ(ReadSettingDword("RI", 80), 5u);
}

TEST_F(RegistrySettings, BlocksAreReadOnlyWhole) {
    const char placement[44] = {44, 0, 0, 0, 1};
    WriteSettingBlockToExistingKey("DEF", placement, sizeof placement);
    EXPECT_FALSE(SettingsKeyExists()) << "a block is not written while the key does not exist";

    WriteSettingDword("AU", 1);
    WriteSettingBlockToExistingKey("DEF", placement, sizeof placement);
    char read[44] = {};
    ASSERT_TRUE(ReadSettingBlock("DEF", read, sizeof read));
    EXPECT_EQ(std::string(read, 44), std::string(placement, 44));
    EXPECT_FALSE(ReadSettingBlock("DEF", read, 40));
    EXPECT_FALSE(ReadSettingBlock("DEF", read, 48));
}

}  // namespace
