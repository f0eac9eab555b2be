#include "encoding/chart_text.h"

#include <gtest/gtest.h>

#include <string>

#include "base/ui_text.h"
#include "support/core/every_byte.h"

TEST(ChartText, EveryByteOfEveryChartSurvivesTheWayToUtf16AndBack) {
    for (const charts::HighHalf* chart :
         {&charts::kWindows1251, &charts::kCp866, &charts::kKoi8R, &charts::kIso8859_5, &charts::kMacCyrillic}) {
        const std::u16string text = DecodeChart(*chart, EveryByte());
        ASSERT_EQ(text.size(), 256u);
        bool lossless = false;
        EXPECT_EQ(EncodeChart(*chart, text, &lossless), EveryByte());
        EXPECT_TRUE(lossless);
        for (int b = 0; b < 256; ++b) EXPECT_EQ(ByteOfCharacter(*chart, text[b]), b) << b;
    }
    // 1251 leaves 0x98 unassigned: it stands for U+0098, as in the system's table.
    EXPECT_EQ(CharacterOfByte(charts::kWindows1251, 0x98), u'\u0098');
}

TEST(ChartText, TheProgramsTextsReadAsTheirCharactersAndForeignCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Utf16FromAnsi("Вставка"_ui), u"Вставка");
    EXPECT_EQ(Utf16FromAnsi("C:\\Письма\\№5 «ёж».txt"_ui), u"C:\\Письма\\№5 «ёж».txt");
    EXPECT_EQ(AnsiFromUtf16(u"Замена"), std::string("Замена"_ui));

    bool lossless = true;
    EXPECT_EQ(AnsiFromUtf16(u"C:\\Ελλάδα\\жук.txt", &lossless), std::string("C:\\??????\\жук.txt"_ui));
    EXPECT_FALSE(lossless);
    EXPECT_EQ(ByteOfCharacter(charts::kWindows1251, u'é'), -1);
    // A box-drawing character is 866's and KOI8-R's, not 1251's.
    EXPECT_EQ(ByteOfCharacter(charts::kCp866, u'┌'), 0xDA);
    EXPECT_EQ(ByteOfCharacter(charts::kKoi8R, u'┌'), 0x82);
    EXPECT_EQ(ByteOfCharacter(charts::kWindows1251, u'┌'), -1);
}
