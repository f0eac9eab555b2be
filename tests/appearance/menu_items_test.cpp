#include "appearance/menu_items.h"

#include <gtest/gtest.h>

#include <string>

#include "base/settings.h"
#include "base/ui_text.h"

namespace {

struct MenuItemsTest : testing::Test {
    MemorySettingsStore store;
    void SetUp() override { InstallSettingsStore(&store); }
    void TearDown() override { InstallSettingsStore(nullptr); }
};

std::string Name(std::string path) { return RecentFileName(path); }

TEST_F(MenuItemsTest, ARecentFileIsLabelledWithItsDigitAndItsNameInSmallLettersButTheFirst) {
    WriteSettingString("LIST", "30");
    WriteSettingString("3F", "C:\\Docs\\ReadMe.TXT");
    WriteSettingString("0F", "D:\\Тексты\\ПИСЬМО.txt"_ui);
    RecentFileLabelText first = RecentFileLabel(0);
    EXPECT_EQ(first.label, "&0 Readme.txt");
    EXPECT_EQ(first.path, "C:\\Docs\\Readme.txt") << "the name is turned in the path too; the folders are not";
    EXPECT_EQ(RecentFileLabel(1).label, "&1 Письмо.txt"_ui);

    // No file at a position: both empty.
    for (int position : {2, 9, -1, 10}) {
        EXPECT_EQ(RecentFileLabel(position).label, "") << position;
        EXPECT_EQ(RecentFileLabel(position).path, "") << position;
    }
    WriteSettingString("0F", "");
    EXPECT_EQ(RecentFileLabel(1).label, "") << "a forgotten entry";
    // "LIST" longer than the ten digits it can hold reads as none.
    WriteSettingString("LIST", "30123456789");
    EXPECT_EQ(RecentFileLabel(0).label, "");
}

TEST_F(MenuItemsTest, LongNamesAreCutToTwelveCharactersAndAnAmpersandShowsItself) {
    EXPECT_EQ(Name("C:\\a\\AbcdefGhij.txt"), "Abcdefghij.t...") << "14 characters";
    EXPECT_EQ(Name("C:\\a\\Abcdefghi.txt"), "Abcdefghi.txt") << "13 characters";
    EXPECT_EQ(Name("C:\\Very long folder\\A very long file name.html"), "A very long ...");
    WriteSettingString("LIST", "5");
    WriteSettingString("5F", "C:\\R&D.txt");
    EXPECT_EQ(RecentFileLabel(0).label, "&0 R&&d.txt");
}

TEST_F(MenuItemsTest, TheNameFollowsTheLastBackslashFromTheThirdCharacterOn) {
    EXPECT_EQ(Name("C:\\File.TXT"), "File.txt");
    EXPECT_EQ(Name("C:File.TXT"), "File.txt") << "no backslash: from the third character";
    EXPECT_EQ(Name("\\\\server\\share\\Doc.TXT"), "Doc.txt");
    EXPECT_EQ(Name("\\Abc"), "bc") << "a backslash in the first two characters is not looked for";
    EXPECT_EQ(Name("C:"), "");
    EXPECT_EQ(Name("C"), "");
    EXPECT_EQ(Name("C:\\Docs\\"), "");
}

TEST_F(MenuItemsTest, IconsFollowTheExtensionInAnyCase) {
    EXPECT_EQ(IconForPath("C:\\a\\page.HTML"), RecentFileIcon::Html);
    EXPECT_EQ(IconForPath("C:\\a\\page.Htm"), RecentFileIcon::Html);
    EXPECT_EQ(IconForPath("C:\\a\\notes.txt"), RecentFileIcon::Text);
    EXPECT_EQ(IconForPath("C:\\a\\notes.TxT"), RecentFileIcon::Text);
    EXPECT_EQ(IconForPath("C:\\a\\letter.doc"), RecentFileIcon::None);
    EXPECT_EQ(IconForPath("C:\\a\\page.htmx"), RecentFileIcon::None);
    EXPECT_EQ(IconForPath("txt"), RecentFileIcon::None);
    EXPECT_EQ(IconForPath(""), RecentFileIcon::None);
}

TEST_F(MenuItemsTest, ItemsAreAsTallAsTheSystemsAndNeverBelowEighteenPixelsAtOneHundredPercent) {
    EXPECT_EQ(MeasuredMenuItem(60, 13, 19, 96).height, 19);
    EXPECT_EQ(MeasuredMenuItem(60, 13, 15, 96).height, 18);
    EXPECT_EQ(MeasuredMenuItem(60, 24, 19, 96).height, 24);
    EXPECT_EQ(MeasuredMenuItem(60, 13, 19, 96).width, 78);
    EXPECT_EQ(MeasuredMenuItem(0, 0, 0, 96).width, 18);
    // At 150 % the column and the least height grow with the pictures, 24 pixels in 27.
    EXPECT_EQ(MenuPictureSize(96), 16);
    EXPECT_EQ(MenuPictureSize(144), 24);
    EXPECT_EQ(MeasuredMenuItem(60, 19, 22, 144).height, 27);
    EXPECT_EQ(MeasuredMenuItem(60, 19, 30, 144).height, 30);
    EXPECT_EQ(MeasuredMenuItem(60, 19, 22, 144).width, 87);
    EXPECT_EQ(MeasuredMenuItem(60, 19, 22, 192).width, 96);
}

TEST_F(MenuItemsTest, PicturesShowForCommandsAndMarkedViewsButNeverWhenGreyed) {
    EXPECT_TRUE(ShowsPicture(8, false, false, RecentFileIcon::None));
    EXPECT_FALSE(ShowsPicture(8, true, false, RecentFileIcon::None));
    EXPECT_FALSE(ShowsPicture(2, true, true, RecentFileIcon::None));
    for (std::uint32_t view : {16u, 17u, 18u, 54u}) {
        EXPECT_FALSE(ShowsPicture(view, false, false, RecentFileIcon::None)) << view;
        EXPECT_TRUE(ShowsPicture(view, false, true, RecentFileIcon::None)) << view;
        EXPECT_FALSE(ShowsPicture(view, true, true, RecentFileIcon::None)) << view;
    }
    // The conversions: never marked, and without an image in the strip even if they were.
    for (std::uint32_t conversion : {29u, 30u, 31u, 56u}) {
        EXPECT_FALSE(ShowsPicture(conversion, false, false, RecentFileIcon::None)) << conversion;
        EXPECT_FALSE(ShowsPicture(conversion, false, true, RecentFileIcon::None)) << conversion;
    }
    EXPECT_TRUE(ShowsPicture(19, false, false, RecentFileIcon::None));
    EXPECT_TRUE(ShowsPicture(900, false, false, RecentFileIcon::Text));
    EXPECT_TRUE(ShowsPicture(909, false, false, RecentFileIcon::Html));
    EXPECT_FALSE(ShowsPicture(905, false, false, RecentFileIcon::None));
    EXPECT_FALSE(ShowsPicture(900, true, false, RecentFileIcon::Text));

    EXPECT_EQ(PictureOfCommand(1).strip, PictureStrip::Standard);
    EXPECT_EQ(PictureOfCommand(1).image, 0);
    EXPECT_EQ(PictureOfCommand(15).image, 14);
    EXPECT_EQ(PictureOfCommand(16).strip, PictureStrip::Program);
    EXPECT_EQ(PictureOfCommand(16).image, 0);
    EXPECT_EQ(PictureOfCommand(22).image, 6);
    // The strip has eight images: the conversions 29-31 would point past it.
    EXPECT_EQ(PictureOfCommand(29).strip, PictureStrip::None);
    EXPECT_EQ(PictureOfCommand(0).strip, PictureStrip::None);
}

TEST_F(MenuItemsTest, TextsStartInOneColumnWithOrWithoutAPicture) {
    const ItemRect item{3, 40, 203, 59};
    MenuItemLayout with = LayOutMenuItem(item, true, 96);
    MenuItemLayout without = LayOutMenuItem(item, false, 96);
    EXPECT_EQ(with.text.left, 3 + 21);
    EXPECT_EQ(without.text.left, 3 + 21);
    EXPECT_EQ(with.text.right, 203);
    EXPECT_EQ(with.fill, (ItemRect{22, 40, 203, 59})) << "the picture column is left as it is";
    EXPECT_EQ(without.fill, item);
    EXPECT_EQ(with.frame, (ItemRect{3, 40, 21, 59}));
    EXPECT_EQ(with.iconX, 3);
    EXPECT_EQ(with.stripX, 4);
    EXPECT_EQ(with.pictureY, 41) << "(40 + 59 - 16) / 2, rounded toward zero";
    EXPECT_EQ(LayOutMenuItem({0, -20, 50, -1}, true, 96).pictureY, -18);

    // At any scale the texts still share a column, right of the picture's frame, and the picture
    // stands inside its frame, vertically centred.
    for (int dpi : {96, 120, 144, 168, 192, 288}) {
        const ItemRect tall{3, 40, 403, 40 + 2 * MenuPictureSize(dpi)};
        const MenuItemLayout scaledWith = LayOutMenuItem(tall, true, dpi);
        const MenuItemLayout scaledWithout = LayOutMenuItem(tall, false, dpi);
        const int picture = MenuPictureSize(dpi);
        EXPECT_EQ(scaledWith.text.left, scaledWithout.text.left) << dpi;
        EXPECT_GT(scaledWith.fill.left, scaledWith.frame.right) << dpi;
        EXPECT_GT(scaledWith.stripX, scaledWith.frame.left) << dpi;
        EXPECT_LT(scaledWith.stripX + picture, scaledWith.frame.right) << dpi;
        EXPECT_EQ(scaledWith.pictureY - tall.top, tall.bottom - (scaledWith.pictureY + picture)) << dpi;
        EXPECT_GE(scaledWith.frame.right - scaledWith.frame.left, picture + 2) << dpi;
    }
    EXPECT_EQ(LayOutMenuItem(item, true, 144).text.left, 3 + 27 + 2 + 3);
}

}  // namespace
