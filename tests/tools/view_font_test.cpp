#include "tools/view_font.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/settings.h"
#include "support/core/recording_store.h"
#include "encoding/code_page_tables.h"

namespace {

class ViewFontSettings : public testing::Test {
protected:
    void SetUp() override { InstallSettingsStore(&store_); }
    void TearDown() override { InstallSettingsStore(nullptr); }
    RecordingStore store_;
};

}  // namespace

TEST_F(ViewFontSettings, MissingSettingsGiveTheDefaultsOfEachView) {
    EXPECT_EQ(ReadViewFont(0), (ViewFont{"", 200, 0, 204}));
    EXPECT_EQ(ReadViewFont(1), (ViewFont{"", 200, 0, 255}));
    EXPECT_EQ(ReadViewFont(2), (ViewFont{"", 200, 0, 1}));
    EXPECT_EQ(ReadViewFont(3), (ViewFont{"", 200, 0, 204}));  // UTF-8: the fixed-pitch font with Cyrillic
}

TEST_F(ViewFontSettings, EachViewReadsAndWritesItsOwnLetter) {
    WriteViewFont(1, {"Courier New", 240, kFontBold | kFontItalic, 255});
    EXPECT_EQ(store_.written, (std::vector<std::string>{"FontD", "SetD", "EffD", "SizeD"}));
    EXPECT_EQ(ReadViewFont(1), (ViewFont{"Courier New", 240, 3, 255}));
    EXPECT_EQ(ReadViewFont(0), (ViewFont{"", 200, 0, 204}));
    EXPECT_EQ(ReadViewFont(2), (ViewFont{"", 200, 0, 1}));
    EXPECT_EQ(ReadSettingString("FontD", 32), "Courier New");  // the view's own reader

    WriteViewFont(2, {"", 160, 0, 204});
    EXPECT_EQ(ReadViewFont(2), (ViewFont{"", 160, 0, 204}));
    EXPECT_EQ(ReadSettingString("FontK", 33), "");
    EXPECT_TRUE(store_.values.Has("FontK"));

    store_.written.clear();
    WriteViewFont(3, {"DejaVu Sans Mono", 280, kFontBold, 1});
    EXPECT_EQ(store_.written, (std::vector<std::string>{"FontU", "SetU", "EffU", "SizeU"}));
    EXPECT_EQ(ReadViewFont(3), (ViewFont{"DejaVu Sans Mono", 280, 1, 1}));
}

TEST_F(ViewFontSettings, AFaceIsStoredShortEnoughForTheViewToReadItBack) {
    const std::string longFace(40, 'F');
    WriteViewFont(0, {longFace, 200, 0, 204});
    EXPECT_EQ(ReadSettingString("FontW", 32), std::string(31, 'F'));
    // Written by someone else: the dialog reads up to 32 characters, a longer one is no face.
    store_.values.WriteText("FontW", std::string(32, 'G'));
    EXPECT_EQ(ReadViewFont(0).face, std::string(32, 'G'));
    store_.values.WriteText("FontW", std::string(33, 'G'));
    EXPECT_EQ(ReadViewFont(0).face, "");
}

TEST(SizeList, AStoredHeightSelectsItsWholePointsUpToTwenty) {
    EXPECT_EQ(SizeListIndex(200), 9);  // the entry "10"
    EXPECT_EQ(SizeListIndex(230), 10);
    EXPECT_EQ(SizeListIndex(20), 0);
    EXPECT_EQ(SizeListIndex(419), 19);
    EXPECT_EQ(SizeListIndex(420), -1);
    EXPECT_EQ(SizeListIndex(500), -1);
    EXPECT_EQ(SizeListIndex(19), -1);
    EXPECT_EQ(SizeListIndex(0), -1);
    EXPECT_EQ(SizeListIndex(0xFFFFFFFF), -1);
}

TEST(CharacterSetList, HoldsRussianOemAndDefaultInThatOrder) {
    EXPECT_EQ(CharacterSetListIndex(204), 0);
    EXPECT_EQ(CharacterSetListIndex(255), 1);
    EXPECT_EQ(CharacterSetListIndex(1), 2);
    EXPECT_EQ(CharacterSetListIndex(0), -1);
    EXPECT_EQ(CharacterSetListIndex(238), -1);
    EXPECT_STREQ(kCharacterSetChoices[0].name, "RUSSIAN_CHARSET");
    EXPECT_STREQ(kCharacterSetChoices[1].name, "OEM_CHARSET");
    EXPECT_STREQ(kCharacterSetChoices[2].name, "DEFAULT_CHARSET");
}

TEST(FontFromChoices, TakesTheControlsAndKeepsWhatAListWithoutSelectionCannotSay) {
    const ViewFont current{"Arial", 500, kFontItalic | 0x10, 238};
    EXPECT_EQ(FontFromChoices({"Courier New", 1, 11, true, false}, current), (ViewFont{"Courier New", 240, 1, 255}));
    EXPECT_EQ(FontFromChoices({"", 2, 0, false, true}, current), (ViewFont{"", 20, 2, 1}));
    EXPECT_EQ(FontFromChoices({"", 0, 19, true, true}, current), (ViewFont{"", 400, 3, 204}));
    // A height above twenty points and a character set outside the list survive untouched.
    EXPECT_EQ(FontFromChoices({"Arial", -1, -1, false, true}, current), (ViewFont{"Arial", 500, 2, 238}));
    EXPECT_EQ(FontFromChoices({"Arial", 3, 20, false, false}, current), (ViewFont{"Arial", 500, 0, 238}));
}

TEST(FontSample, IsSevenLinesOfSeventyTwoOemBytes) {
    ASSERT_EQ(FontSample.size(), 72u);
    EXPECT_EQ(FontSample.substr(0, 14), "Face \xAA\xE0\xA8\xA2\xAE\xA9?\r\n");
    EXPECT_EQ(FontSample.substr(64), "\xC0\xC4\xC4\xC4\xC4\xC4\xC4\xD9");
    std::size_t lines = 1;
    for (std::size_t at = FontSample.find("\r\n"); at != std::string_view::npos; at = FontSample.find("\r\n", at + 2))
        ++lines;
    EXPECT_EQ(lines, 7u);
    EXPECT_EQ(FontSampleFor(1), FontSample);
}

TEST(FontSample, IsConvertedToTheCodePageBeingEdited) {
    // "кривой" in 1251 and in KOI8-R; the ASCII bytes and the line breaks stay.
    EXPECT_EQ(FontSampleFor(0).substr(0, 14), "Face \xEA\xF0\xE8\xE2\xEE\xE9?\r\n");
    EXPECT_EQ(FontSampleFor(2).substr(0, 14), "Face \xCB\xD2\xC9\xD7\xCF\xCA?\r\n");
    // KOI8-R has the box drawing: ┌ ─ ┐ │ └ ┘.
    EXPECT_EQ(FontSampleFor(2).substr(14, 8), "\x82\x80\x80\x80\x80\x80\x80\x83");
    EXPECT_EQ(FontSampleFor(2).substr(64), "\x84\x80\x80\x80\x80\x80\x80\x85");
    // UTF-8 has every character of the sample: "кривой" and the frame's ┌.
    EXPECT_EQ(FontSampleFor(3).substr(0, 21), "Face \xD0\xBA\xD1\x80\xD0\xB8\xD0\xB2\xD0\xBE\xD0\xB9?\r\n\xE2");
    // 1251 has none: the frame takes the table's look-alikes.
    const std::string ansi = FontSampleFor(0);
    for (std::size_t i = 0; i < FontSample.size(); ++i) {
        auto oem = static_cast<std::uint8_t>(FontSample[i]);
        EXPECT_EQ(static_cast<std::uint8_t>(ansi[i]), MapHigh(kOemToAnsi, oem)) << i;
        EXPECT_EQ(static_cast<std::uint8_t>(FontSampleFor(2)[i]), MapHigh(kOemToKoi8, oem)) << i;
    }
}

TEST(FaceNameList, KeepsEachFamilyOnceAndFindsItWhateverTheCase) {
    FaceNameList faces;
    EXPECT_TRUE(faces.Add("DejaVu Sans"));
    EXPECT_TRUE(faces.Add("DejaVu Sans Mono"));
    EXPECT_FALSE(faces.Add("DejaVu Sans"));
    EXPECT_TRUE(faces.Add("\xD0\xE0\xE7\xED\xFB\xE9"));  // "Разный"
    EXPECT_EQ(faces.Names(), (std::vector<std::string>{"DejaVu Sans", "DejaVu Sans Mono", "\xD0\xE0\xE7\xED\xFB\xE9"}));
    EXPECT_EQ(faces.Find("dejavu sans MONO"), 1);
    EXPECT_EQ(faces.Find("DEJAVU SANS"), 0);
    EXPECT_EQ(faces.Find("\xF0\xC0\xC7\xCD\xDB\xC9"), 2);  // "рАЗНЫЙ"
    EXPECT_EQ(faces.Find("DejaVu"), -1);
    EXPECT_EQ(faces.Find("Courier New"), -1);
    EXPECT_EQ(faces.Find(""), -1);
}
