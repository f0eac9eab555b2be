// The font dialog over the running application: opened by the font commands, filled in from a timer
// inside its modal loop as a user would, with the settings in memory.
#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/settings.h"
#include "base/ui_text.h"
#include "base/win/program.h"
#include "base/win/screen_scale.h"
#include "document/win/editor_window.h"
#include "control/win/editor_control.h"
#include "document/win/view_code_page.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/dialog_fit.h"
#include "support/win/modal_answers.h"
#include "tools/view_font.h"
#include "tools/win/font_dialog.h"

namespace {

CHARFORMATA FormatOf(HWND control) {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    SendMessageA(control, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    return format;
}

// What a list shows: the selected entry's text, or nothing.
LRESULT Selected(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0); }

// A pick in a list as the mouse makes it: the selection, then the notification to the dialog.
void Pick(HWND dialog, int id, const std::string& item) {
    HWND list = GetDlgItem(dialog, id);
    // The empty entry is the first; the system finds no exact match for an empty text.
    LRESULT index = item.empty() ? 0
                                 : SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                reinterpret_cast<LPARAM>(item.c_str()));
    ASSERT_GE(index, 0) << item;
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// As the mouse clicks a button: a check box changes before the dialog hears of it.
void Push(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }

class FontDialogTest : public testing::Test {
protected:
    static void SetUpTestSuite() { StartTestApplication(); }
    static void TearDownTestSuite() { CloseTestApplication(); }

    void SetUp() override {
        ASSERT_TRUE(MainWindow && EditorControl) << "the application did not start with its editor control";
        InstallSettingsStore(&settings_);
        CodePageIndex = 0;
        ApplyViewCodePage();
    }
    void TearDown() override { InstallSettingsStore(nullptr); }

    // Runs the font command of the view with `answer` filling in the dialog and ending it.
    void ChooseFont(int view, std::function<void(HWND)> answer) {
        answers_.AnswerWith(std::move(answer));
        SendMessageA(MainWindow, WM_COMMAND, IDM_FONT_ANSI + view, 0);
        EXPECT_EQ(answers_.Unanswered(), 0u);
        for (const SeenModal& seen : answers_.Seen()) EXPECT_FALSE(seen.unexpected) << seen.title;
    }

    MemorySettingsStore settings_;
    ModalAnswers answers_;
};

TEST_F(FontDialogTest, OpensWithTheStoredFontOfItsViewAndTheSampleInThatViewsBytes) {
    WriteViewFont(0, {"dejavu sans", 230, kFontBold, 255});
    WriteViewFont(1, {"DejaVu Serif", 300, kFontItalic, 204});
    WriteSettingDword("Cl", 0x0000C0);
    WriteSettingDword("Bk", 0xE0FFFF);
    CodePageIndex = 1;
    ApplyViewCodePage();

    ChooseFont(0, [](HWND dialog) {
        EXPECT_EQ(WindowText(dialog), "Шрифт"_ui);
        EXPECT_EQ(ItemText(dialog, IDC_FONT_FACE), "DejaVu Sans");  // the installed name, found whatever the case
        EXPECT_EQ(ItemText(dialog, IDC_FONT_CHARACTER_SET), "OEM_CHARSET");
        EXPECT_EQ(ItemText(dialog, IDC_FONT_SIZE), "11");
        EXPECT_TRUE(Ticked(dialog, IDC_FONT_BOLD));
        EXPECT_FALSE(Ticked(dialog, IDC_FONT_ITALIC));

        HWND sample = GetDlgItem(dialog, IDC_FONT_SAMPLE);
        EXPECT_EQ(WindowText(sample), FontSampleFor(0));
        EXPECT_EQ(SendMessageA(sample, EM_GETVIEWCODEPAGE, 0, 0), 0);
        CHARFORMATA format = FormatOf(sample);
        EXPECT_STREQ(format.szFaceName, "dejavu sans");
        EXPECT_EQ(format.yHeight, 230);
        EXPECT_EQ(format.bCharSet, 255);
        EXPECT_EQ(format.dwEffects & (CFE_BOLD | CFE_ITALIC), static_cast<DWORD>(CFE_BOLD));
        EXPECT_EQ(format.crTextColor, 0x0000C0u);
        EXPECT_EQ(SendMessageA(sample, EM_SETBKGNDCOLOR, 0, 0xE0FFFF), 0xE0FFFF);
        EXPECT_EQ(GetWindowLongPtrA(sample, GWL_STYLE) & ES_READONLY, ES_READONLY);
        Push(dialog, IDCANCEL);
    });

    for (int view : {1, 2}) {
        ChooseFont(view, [view](HWND dialog) {
            HWND sample = GetDlgItem(dialog, IDC_FONT_SAMPLE);
            EXPECT_EQ(WindowText(sample), FontSampleFor(view));
            EXPECT_EQ(SendMessageA(sample, EM_GETVIEWCODEPAGE, 0, 0), view);
            if (view == 1) {
                EXPECT_EQ(ItemText(dialog, IDC_FONT_FACE), "DejaVu Serif");
                EXPECT_EQ(ItemText(dialog, IDC_FONT_CHARACTER_SET), "RUSSIAN_CHARSET");
                EXPECT_EQ(ItemText(dialog, IDC_FONT_SIZE), "15");
                EXPECT_TRUE(Ticked(dialog, IDC_FONT_ITALIC));
            } else {
                // Nothing stored: no face selected, the empty entry neither.
                EXPECT_EQ(Selected(dialog, IDC_FONT_FACE), CB_ERR);
                EXPECT_EQ(ItemText(dialog, IDC_FONT_CHARACTER_SET), "DEFAULT_CHARSET");
                EXPECT_EQ(ItemText(dialog, IDC_FONT_SIZE), "10");
                EXPECT_EQ(FormatOf(sample).bPitchAndFamily, 0x30);
            }
            Push(dialog, IDCANCEL);
        });
    }
}

// Run at 96 dpi and again on a 150 % screen: the sample's lines stand as far apart as the chosen
// point size in the pixels of the dialog's monitor, and the dialog as it opens shows every control
// whole.
TEST_F(FontDialogTest, TheSampleKeepsItsPointSizeAtTheScreensScaleAndTheDialogShowsWhole) {
    WriteViewFont(1, {"", 240, 0, 255});
    ChooseFont(1, [](HWND dialog) {
        for (const std::string& fault : ControlsNotShownWhole(dialog)) ADD_FAILURE() << fault;
        HWND sample = GetDlgItem(dialog, IDC_FONT_SAMPLE);
        const int dpi = WindowDpi(sample);
        const int em = MulDiv(240, dpi, 1440);
        const std::string text = WindowText(sample);
        const LONG secondLine = static_cast<LONG>(text.find("\r\n") + 2);
        POINTL first{}, second{};
        SendMessageA(sample, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&first), 0);
        SendMessageA(sample, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&second), secondLine);
        const int pitch = second.y - first.y;
        EXPECT_GE(pitch, em) << dpi << " dpi";
        EXPECT_LE(pitch, em * 3 / 2) << dpi << " dpi";
        std::printf("%d dpi: sample lines %d pixels apart at 12 points\n", dpi, pitch);
        Push(dialog, IDCANCEL);
    });
}

TEST_F(FontDialogTest, TheListsOfferEachFaceOnceThreeCharacterSetsAndTwentySizes) {
    ChooseFont(0, [](HWND dialog) {
        std::vector<std::string> faces = ComboBoxItems(GetDlgItem(dialog, IDC_FONT_FACE));
        ASSERT_GE(faces.size(), 2u);
        EXPECT_EQ(faces[0], "");
        EXPECT_NE(std::find(faces.begin(), faces.end(), "DejaVu Sans Mono"), faces.end());
        std::vector<std::string> sorted = faces;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end()) << "a family listed twice";

        EXPECT_EQ(ComboBoxItems(GetDlgItem(dialog, IDC_FONT_CHARACTER_SET)),
                  (std::vector<std::string>{"RUSSIAN_CHARSET", "OEM_CHARSET", "DEFAULT_CHARSET"}));
        std::vector<std::string> sizes = ComboBoxItems(GetDlgItem(dialog, IDC_FONT_SIZE));
        ASSERT_EQ(sizes.size(), 20u);
        EXPECT_EQ(sizes.front(), "1");
        EXPECT_EQ(sizes.back(), "20");
        Push(dialog, IDCANCEL);
    });
}

TEST_F(FontDialogTest, TheSampleFollowsEveryChangeAndCancelStoresNothing) {
    WriteSettingDword("Cl", 0x00FF00);
    ChooseFont(2, [](HWND dialog) {
        HWND sample = GetDlgItem(dialog, IDC_FONT_SAMPLE);
        Pick(dialog, IDC_FONT_FACE, "DejaVu Serif");
        EXPECT_STREQ(FormatOf(sample).szFaceName, "DejaVu Serif");
        EXPECT_EQ(FormatOf(sample).bPitchAndFamily, 0);
        Pick(dialog, IDC_FONT_SIZE, "18");
        EXPECT_EQ(FormatOf(sample).yHeight, 360);
        Pick(dialog, IDC_FONT_CHARACTER_SET, "OEM_CHARSET");
        EXPECT_EQ(FormatOf(sample).bCharSet, 255);
        Push(dialog, IDC_FONT_BOLD);
        Push(dialog, IDC_FONT_ITALIC);
        EXPECT_EQ(FormatOf(sample).dwEffects & (CFE_BOLD | CFE_ITALIC), static_cast<DWORD>(CFE_BOLD | CFE_ITALIC));
        Pick(dialog, IDC_FONT_FACE, "");
        EXPECT_STREQ(FormatOf(sample).szFaceName, "");
        EXPECT_EQ(FormatOf(sample).bPitchAndFamily, 0x30);
        EXPECT_EQ(FormatOf(sample).crTextColor, 0x00FF00u);  // the colour is not the controls' to change
        EXPECT_EQ(WindowText(sample), FontSampleFor(2));
        Push(dialog, IDCANCEL);
    });
    for (const char* name : {"FontK", "SizeK", "EffK", "SetK"}) EXPECT_FALSE(settings_.Has(name)) << name;
}

TEST_F(FontDialogTest, OkStoresTheChoiceOfItsViewAndShowsItOnlyWhenThatViewIsShown) {
    WriteViewFont(1, {"DejaVu Sans", 260, 0, 255});
    CodePageIndex = 1;
    ApplyViewCodePage();
    const CHARFORMATA oemFont = FormatOf(EditorControl);
    ASSERT_EQ(oemFont.yHeight, 260);

    // The ANSI font chosen while OEM is shown: stored for ANSI, the OEM view untouched.
    ChooseFont(0, [](HWND dialog) {
        Pick(dialog, IDC_FONT_FACE, "DejaVu Serif");
        Pick(dialog, IDC_FONT_SIZE, "14");
        Pick(dialog, IDC_FONT_CHARACTER_SET, "DEFAULT_CHARSET");
        Push(dialog, IDC_FONT_ITALIC);
        Push(dialog, IDOK);
    });
    EXPECT_EQ(ReadViewFont(0), (ViewFont{"DejaVu Serif", 280, kFontItalic, 1}));
    EXPECT_EQ(ReadViewFont(1), (ViewFont{"DejaVu Sans", 260, 0, 255}));
    EXPECT_EQ(CodePageIndex, 1);
    EXPECT_STREQ(FormatOf(EditorControl).szFaceName, "DejaVu Sans");
    EXPECT_EQ(FormatOf(EditorControl).yHeight, 260);

    // The OEM font chosen while OEM is shown: the text takes it at once.
    ChooseFont(1, [](HWND dialog) {
        Pick(dialog, IDC_FONT_FACE, "DejaVu Sans Mono");
        Pick(dialog, IDC_FONT_SIZE, "9");
        Push(dialog, IDC_FONT_BOLD);
        Push(dialog, IDOK);
    });
    EXPECT_EQ(ReadViewFont(1), (ViewFont{"DejaVu Sans Mono", 180, kFontBold, 255}));
    CHARFORMATA shown = FormatOf(EditorControl);
    EXPECT_STREQ(shown.szFaceName, "DejaVu Sans Mono");
    EXPECT_EQ(shown.yHeight, 180);
    EXPECT_EQ(shown.dwEffects & (CFE_BOLD | CFE_ITALIC), static_cast<DWORD>(CFE_BOLD));
    EXPECT_EQ(SendMessageA(EditorControl, EM_GETVIEWCODEPAGE, 0, 0), 1);
}

TEST_F(FontDialogTest, OkWithoutAPickKeepsValuesTheListsCannotShow) {
    // A height above twenty points, a character set outside the list, a face no longer installed.
    WriteViewFont(2, {"No Such Face", 500, kFontBold, 238});
    ChooseFont(2, [](HWND dialog) {
        EXPECT_EQ(Selected(dialog, IDC_FONT_FACE), CB_ERR);
        EXPECT_EQ(Selected(dialog, IDC_FONT_CHARACTER_SET), CB_ERR);
        EXPECT_EQ(Selected(dialog, IDC_FONT_SIZE), CB_ERR);
        // A change of a box rebuilds the sample from the controls: the height stays.
        Push(dialog, IDC_FONT_ITALIC);
        EXPECT_EQ(FormatOf(GetDlgItem(dialog, IDC_FONT_SAMPLE)).yHeight, 500);
        EXPECT_EQ(FormatOf(GetDlgItem(dialog, IDC_FONT_SAMPLE)).bCharSet, 238);
        Push(dialog, IDOK);
    });
    // The face list showed nothing, so no face is stored.
    EXPECT_EQ(ReadViewFont(2), (ViewFont{"", 500, kFontBold | kFontItalic, 238}));

    // Height 200 selects "10"; OK with nothing touched stores what was there.
    WriteViewFont(2, {"", 200, 0, 1});
    ChooseFont(2, [](HWND dialog) {
        EXPECT_EQ(ItemText(dialog, IDC_FONT_SIZE), "10");
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(ReadViewFont(2), (ViewFont{"", 200, 0, 1}));
}

}  // namespace
