// The colour commands and the HTML tag colouring on the real editor control: the system's colour
// dialog is filled in and confirmed from a timer inside its modal loop, as a user would.
#include <gtest/gtest.h>
#include <windows.h>
#include <colordlg.h>
#include <commdlg.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "base/settings.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "base/win/registry_settings.h"
#include "appearance/win/colours.h"
#include "document/win/program_document.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/editor_text.h"
#include "support/win/modal_answers.h"
#include "support/win/settings_key.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

CHARFORMATA Format(WPARAM scope) {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    SendMessageA(EditorControl, EM_GETCHARFORMAT, scope, reinterpret_cast<LPARAM>(&format));
    return format;
}

// The colour of every character, read through the control as the program reads a selection's.
std::vector<COLORREF> Colours() {
    CHARRANGE kept = Selection();
    std::vector<COLORREF> colours;
    const auto length = static_cast<LONG>(SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0));
    for (LONG p = 0; p < length; ++p) {
        Select(p, p + 1);
        colours.push_back(Format(SCF_SELECTION).crTextColor);
    }
    SendMessageA(EditorControl, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&kept));
    return colours;
}

// One colour per character, from a picture: 't' the tag colour, '.' black, 'c' the other colour.
std::vector<COLORREF> Expected(const std::string& picture, COLORREF tag, COLORREF other = kBlack) {
    std::vector<COLORREF> colours;
    for (char c : picture) colours.push_back(c == 't' ? tag : c == 'c' ? other : kBlack);
    return colours;
}

COLORREF Background() {
    // The message answers with the colour it replaces.
    const auto colour = static_cast<COLORREF>(SendMessageA(EditorControl, EM_SETBKGNDCOLOR, 0, RGB(1, 1, 1)));
    SendMessageA(EditorControl, EM_SETBKGNDCOLOR, 0, colour);
    return colour;
}

struct ColoursTest : testing::Test {
    SettingsKeySnapshot snapshot;
    ModalAnswers answers;

    void SetUp() override {
        ClearSettingsKey();
        InstallRegistrySettings();
        ASSERT_NE(StartTestApplication(), nullptr);
        ASSERT_NE(EditorControl, nullptr);
        ClearUndo();
    }
    void TearDown() override { CloseTestApplication(); }

    void SetText(const char* text) {
        SendMessageA(EditorControl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        SendMessageA(EditorControl, EM_SETMODIFY, FALSE, 0);
    }

    // The next colour dialog is checked, set to the colour and confirmed.
    void AnswerColour(COLORREF colour, COLORREF expectedStart, bool programIcon, bool addCustom = false) {
        answers.AnswerWith([=](HWND dialog) {
            EXPECT_EQ(ItemText(dialog, COLOR_RED), std::to_string(GetRValue(expectedStart)));
            EXPECT_EQ(ItemText(dialog, COLOR_GREEN), std::to_string(GetGValue(expectedStart)));
            EXPECT_EQ(ItemText(dialog, COLOR_BLUE), std::to_string(GetBValue(expectedStart)));
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, COLOR_RED))) << "opened in full";
            const auto icon = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));
            if (programIcon) EXPECT_EQ(icon, Program().smallIcon);
            else EXPECT_NE(icon, Program().smallIcon);
            EXPECT_EQ(GetWindow(dialog, GW_OWNER), MainWindow);
            SetDlgItemTextA(dialog, COLOR_RED, std::to_string(GetRValue(colour)).c_str());
            SetDlgItemTextA(dialog, COLOR_GREEN, std::to_string(GetGValue(colour)).c_str());
            SetDlgItemTextA(dialog, COLOR_BLUE, std::to_string(GetBValue(colour)).c_str());
            if (addCustom)
                SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(COLOR_ADD, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(dialog, COLOR_ADD)));
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
    }
    void Command(UINT id) {
        SendMessageA(MainWindow, WM_COMMAND, id, 0);
        EXPECT_EQ(answers.Unanswered(), 0u);
        for (const SeenModal& seen : answers.Seen()) EXPECT_FALSE(seen.unexpected) << seen.title;
    }
};

TEST_F(ColoursTest, OnlyTheStretchesFromLessThanToGreaterThanTakeTheTagColour) {
    SetText("x > y <b>bold</b>");
    Command(IDM_HTML_REFRESH);
    EXPECT_EQ(Colours(), Expected("......ttt....tttt", kBlue));

    SetText("a < b <i>");
    Command(IDM_HTML_REFRESH);
    EXPECT_EQ(Colours(), Expected("......ttt", kBlue));

    // A '<' that no '>' follows stays black with everything after it.
    SetText("<p>one <two");
    Command(IDM_HTML_REFRESH);
    EXPECT_EQ(Colours(), Expected("ttt........", kBlue));

    // Without any '<' the whole text turns black, whatever the text colour is.
    const COLORREF textColour = Format(SCF_DEFAULT).crTextColor;
    ASSERT_NE(textColour, kBlack);
    SetText("plain > text");
    Command(IDM_HTML_REFRESH);
    EXPECT_EQ(Colours(), Expected("............", kBlue));
}

// The system's control brings every selection into view, drawing on or off; the program's own does
// not while drawing is off. Put in front of it, this makes the colouring's selections scroll.
WNDPROC controlProcedure = nullptr;

LRESULT CALLBACK SelectionsScrollProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcA(controlProcedure, window, message, wParam, lParam);
    if (message == EM_EXSETSEL || message == EM_SETSEL) CallWindowProcA(controlProcedure, window, EM_SCROLLCARET, 0, 0);
    return result;
}

TEST_F(ColoursTest, TagColouringIsNoEditAndKeepsSelectionAndScrollPosition) {
    std::string text;
    for (int line = 0; line < 300; ++line) text += "<li>item " + std::to_string(line) + "</li>\r\n";
    SetText(text.c_str());
    SendMessageA(EditorControl, EM_SETMODIFY, TRUE, 0);
    SendMessageA(EditorControl, EM_LINESCROLL, 0, 120);
    const LRESULT firstLine = SendMessageA(EditorControl, EM_GETFIRSTVISIBLELINE, 0, 0);
    ASSERT_GT(firstLine, 100);
    // A selection a few lines below the top, on the screen.
    const auto selectionStart = static_cast<LONG>(SendMessageA(EditorControl, EM_LINEINDEX, firstLine + 5, 0)) + 1;
    Select(selectionStart, selectionStart + 5);
    ASSERT_EQ(SendMessageA(EditorControl, EM_GETFIRSTVISIBLELINE, 0, 0), firstLine);
    const bool couldUndo = SendMessageA(EditorControl, EM_CANUNDO, 0, 0) != 0;

    controlProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(EditorControl, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SelectionsScrollProc)));
    Command(IDM_HTML_REFRESH);
    SetWindowLongPtrA(EditorControl, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(controlProcedure));
    EXPECT_EQ(Selection().cpMin, selectionStart);
    EXPECT_EQ(Selection().cpMax, selectionStart + 5);
    // Selecting it again brought it into view from below: the old top line is scrolled back.
    EXPECT_EQ(SendMessageA(EditorControl, EM_GETFIRSTVISIBLELINE, 0, 0), firstLine);
    EXPECT_NE(SendMessageA(EditorControl, EM_GETMODIFY, 0, 0), 0);
    EXPECT_TRUE(DocumentUndoJournal().Empty());
    EXPECT_EQ(SendMessageA(EditorControl, EM_CANUNDO, 0, 0) != 0, couldUndo);

    SendMessageA(EditorControl, EM_SETMODIFY, FALSE, 0);
    Command(IDM_HTML_REFRESH);
    EXPECT_EQ(SendMessageA(EditorControl, EM_GETMODIFY, 0, 0), 0);

    // Every tag of the text, the last one included.
    std::vector<COLORREF> colours = Colours();
    const std::size_t lastTag = text.rfind("</li>");
    EXPECT_EQ(colours[lastTag], kBlue);
    EXPECT_EQ(colours[lastTag + 4], kBlue);
    EXPECT_EQ(colours[lastTag + 5], kBlack);
    EXPECT_EQ(colours[lastTag - 1], kBlack);
}

TEST_F(ColoursTest, ATextOfFewerThanTwoCharactersIsLeftAsItIs) {
    SetText("<");
    const COLORREF before = Colours().at(0);
    Command(IDM_HTML_REFRESH);
    EXPECT_EQ(Colours().at(0), before);
    EXPECT_NE(before, kBlack);
    SetText("");
    Command(IDM_HTML_REFRESH);
    EXPECT_EQ(SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0), 0);
}

TEST_F(ColoursTest, ANewTagColourRecolorsTheTagsAtOnceAndUndoDoesNotTakeItBack) {
    SetText("<b>x</b>");
    Command(IDM_HTML_REFRESH);
    const COLORREF green = RGB(0, 160, 0);
    AnswerColour(green, kBlue, false);
    Command(IDM_HTML_COLOUR);
    EXPECT_EQ(ReadSettingDword("HTML", 0), green);
    EXPECT_EQ(Colours(), Expected("ttt.tttt", green));
    EXPECT_EQ(SendMessageA(EditorControl, EM_GETMODIFY, 0, 0), 0);
    SendMessageA(MainWindow, WM_COMMAND, IDM_UNDO, 0);
    EXPECT_EQ(Colours(), Expected("ttt.tttt", green));
    EXPECT_EQ(WindowText(EditorControl), "<b>x</b>");

    // The next dialog starts from the stored colour.
    AnswerColour(kBlue, green, false);
    Command(IDM_HTML_COLOUR);
    EXPECT_EQ(Colours(), Expected("ttt.tttt", kBlue));
}

TEST_F(ColoursTest, TheTextColourTakesTheWholeTextAndTheTextTypedLater) {
    SetText("<b>bold</b>");
    Command(IDM_HTML_REFRESH);
    const COLORREF red = RGB(200, 10, 20);
    AnswerColour(red, kDefaultTextColour, true);
    Command(IDM_TEXT_COLOUR);
    EXPECT_EQ(ReadSettingDword("Cl", 0), red);
    EXPECT_EQ(Colours(), Expected("ccccccccccc", kBlue, red));
    EXPECT_EQ(Format(SCF_DEFAULT).crTextColor, red);
    EXPECT_EQ(Format(SCF_DEFAULT).dwEffects & CFE_AUTOCOLOR, 0u);

    Select(11, 11);
    SendMessageA(EditorControl, WM_CHAR, 'z', 0);
    EXPECT_EQ(Colours().back(), red);

    // The next tag colouring makes what is no tag black again.
    Command(IDM_HTML_REFRESH);
    EXPECT_EQ(Colours(), Expected("ttt....tttt.", kBlue));

    // A view switch keeps the chosen colour, read from the settings.
    SendMessageA(MainWindow, WM_COMMAND, IDM_VIEW_OEM, 0);
    EXPECT_EQ(Format(SCF_DEFAULT).crTextColor, red);
    SendMessageA(MainWindow, WM_COMMAND, IDM_VIEW_ANSI, 0);
}

TEST_F(ColoursTest, TheBackgroundIsStoredAndGivenToTheControl) {
    EXPECT_EQ(Background(), GetSysColor(COLOR_WINDOW));
    const COLORREF cream = RGB(250, 240, 200);
    AnswerColour(cream, GetSysColor(COLOR_WINDOW), true);
    Command(IDM_BACKGROUND_COLOUR);
    EXPECT_EQ(ReadSettingDword("Bk", 0), cream);
    EXPECT_EQ(Background(), cream);

    // A control made anew (the word-wrap switch does so) starts with the stored background.
    DestroyWindow(EditorControl);
    CreateEditorControl();
    ASSERT_NE(EditorControl, nullptr);
    EXPECT_EQ(Background(), cream);
}

TEST_F(ColoursTest, ACancelledDialogChangesAndWritesNothing) {
    SetText("<b>x</b>");
    Command(IDM_HTML_REFRESH);
    const std::vector<COLORREF> before = Colours();
    const COLORREF background = Background();
    for (UINT command : {IDM_TEXT_COLOUR, IDM_BACKGROUND_COLOUR, IDM_HTML_COLOUR}) {
        answers.InspectAndCancel([](HWND dialog) {
            SetDlgItemTextA(dialog, COLOR_RED, "255");
            SetDlgItemTextA(dialog, COLOR_GREEN, "0");
            SetDlgItemTextA(dialog, COLOR_BLUE, "0");
        });
        Command(command);
    }
    EXPECT_EQ(answers.Seen().size(), 3u);
    EXPECT_EQ(Colours(), before);
    EXPECT_EQ(Background(), background);
    for (const char* name : {"Cl", "Bk", "HTML"}) {
        DWORD type = 0;
        std::string data;
        EXPECT_FALSE(ReadRawSetting(name, &type, &data)) << name;
    }
}

TEST_F(ColoursTest, CustomColoursAreSharedByTheDialogsForTheRun) {
    for (int i = 0; i < 16; ++i) EXPECT_EQ(Program().customColours[i], GetSysColor(i)) << i;
    const COLORREF chosen = RGB(12, 34, 56);
    AnswerColour(chosen, kDefaultTextColour, true, true);
    Command(IDM_TEXT_COLOUR);
    EXPECT_EQ(Program().customColours[0], chosen);
    // The background dialog offers it: a click on the first custom colour chooses it there.
    answers.AnswerWith([](HWND dialog) {
        HWND custom = GetDlgItem(dialog, COLOR_CUSTOM1);
        ASSERT_NE(custom, nullptr);
        RECT box;
        GetWindowRect(custom, &box);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
        SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(box.left + 4, box.top + 4));
        SendMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(box.left + 4, box.top + 4));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    Command(IDM_BACKGROUND_COLOUR);
    EXPECT_EQ(ReadSettingDword("Bk", 0), chosen);
    EXPECT_EQ(Program().customColours[0], chosen);
}

TEST_F(ColoursTest, AMegabyteOfMarkupIsColouredTagByTag) {
    std::string text;
    std::vector<std::pair<std::size_t, std::size_t>> tags;
    for (int row = 0; text.size() < (1u << 20); ++row) {
        tags.emplace_back(text.size(), text.size() + 4);
        text += "<tr>";
        text += "cell " + std::to_string(row) + " < x";
        tags.emplace_back(text.size(), text.size() + 5);
        text += "</tr>\r\n";
    }
    SetText(text.c_str());
    Command(IDM_HTML_REFRESH);
    // Sampled: the tags of a few rows at the start, the middle and the end.
    for (std::size_t i : {std::size_t{0}, std::size_t{1}, tags.size() / 2, tags.size() / 2 + 1, tags.size() - 2,
                          tags.size() - 1}) {
        auto [start, end] = tags[i];
        Select(static_cast<LONG>(start), static_cast<LONG>(start + 1));
        EXPECT_EQ(Format(SCF_SELECTION).crTextColor, kBlue) << start;
        Select(static_cast<LONG>(end - 1), static_cast<LONG>(end));
        EXPECT_EQ(Format(SCF_SELECTION).crTextColor, kBlue) << end;
        Select(static_cast<LONG>(end), static_cast<LONG>(end + 1));
        EXPECT_EQ(Format(SCF_SELECTION).crTextColor, kBlack) << end;
        if (start > 0) {
            Select(static_cast<LONG>(start - 1), static_cast<LONG>(start));
            EXPECT_EQ(Format(SCF_SELECTION).crTextColor, kBlack) << start;
        }
    }
}

}  // namespace
