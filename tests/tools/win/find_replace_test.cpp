// Find and replace on the real editor control: the dialogs are filled in and answered from a timer
// inside their modal loops, as a user would, and the commands run as the menu gives them.
#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "base/settings.h"
#include "base/ui_text.h"
#include "base/win/shown_text.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "document/win/program_document.h"
#include "document/win/document_files.h"
#include "document/win/view_code_page.h"
#include "encoding/code_page_tables.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/editor_text.h"
#include "support/win/modal_answers.h"
#include "support/win/settings_key.h"
#include "tools/search_logic.h"
#include "tools/win/find_replace.h"

namespace {

std::pair<LONG, LONG> Match(std::size_t at, std::size_t length) {
    return {static_cast<LONG>(at), static_cast<LONG>(at + length)};
}

void SearchCommand(UINT id) { RunSearchCommand(id); }

// What the user puts into the find and replace dialog before pressing a button.
struct Typed {
    std::string text;         // the search field, 1251
    std::string replacement;  // Replace only
    bool hex = false;         // "Hex:" pressed: text and replacement go to the hexadecimal edits
    bool wholeWord = false;
    bool matchCase = false;
    bool wholeText = false;
    bool backwards = false;
    bool prompt = false;  // "&Запрос", Replace only
    int button = IDOK;    // IDOK, or IDC_REPLACE_ALL for "Все"
};

void SetCheck(HWND dialog, int id, bool on) {
    if ((IsDlgButtonChecked(dialog, id) == BST_CHECKED) != on) SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
}

// Typed as the user types: as characters, whatever the system's code page.
void Fill(HWND dialog, const Typed& typed) {
    if (typed.hex) {
        SendDlgItemMessageA(dialog, IDC_HEX_INPUT, BM_CLICK, 0, 0);
        SetDialogItemText(dialog, IDC_HEX_SEARCH, typed.text);
        SetDialogItemText(dialog, IDC_HEX_REPLACE, typed.replacement);
    } else {
        SetDialogItemText(dialog, IDC_SEARCH_TEXT, typed.text);
        SetDialogItemText(dialog, IDC_REPLACE_TEXT, typed.replacement);
    }
    SetCheck(dialog, IDC_WHOLE_WORD, typed.wholeWord);
    SetCheck(dialog, IDC_MATCH_CASE, typed.matchCase);
    SetCheck(dialog, IDC_WHOLE_TEXT, typed.wholeText);
    SetCheck(dialog, IDC_SEARCH_BACKWARDS, typed.backwards);
    if (IsWindowVisible(GetDlgItem(dialog, IDC_PROMPT_REPLACE))) SetCheck(dialog, IDC_PROMPT_REPLACE, typed.prompt);
}

class FindReplaceTest : public testing::Test {
protected:
    void SetUp() override {
        ClearSettingsKey();
        ASSERT_TRUE(StartTestApplication()) << "the application did not start";
        if (!EditorControl) GTEST_SKIP() << "no editor control";
        Program().search = SearchState{};
        ClearUndo();
        ShowView(0);
    }
    void TearDown() override {
        CloseTestApplication();
        Program().search = SearchState{};
    }

    // Opens the dialog by the command and fills it in; the command runs to its end.
    void Find(const Typed& typed, UINT command = IDM_FIND) {
        answers_.AnswerWith([typed](HWND dialog) {
            Fill(dialog, typed);
            Click(dialog, typed.button);
        });
        SearchCommand(command);
    }
    void Replace(Typed typed) { Find(typed, IDM_REPLACE); }

    SettingsKeySnapshot settingsKey_;
    ModalAnswers answers_;
};

TEST_F(FindReplaceTest, FindsForwardWithCaseWholeWordAndWholeText) {
    const std::string text = "привет, Привет приветствие ПРИВЕТ привет"_ui;
    SetControlText(text);
    Select(0, 0);
    const std::string word = "привет"_ui;

    Find({.text = word});
    EXPECT_EQ(Selected(), Match(0, 6));
    EXPECT_EQ(answers_.Seen().at(0).title, "Найти..."_ui);
    SearchCommand(IDM_FIND_NEXT);
    EXPECT_EQ(Selected(), Match(text.find("Привет"_ui), 6));  // case folded
    SearchCommand(IDM_FIND_NEXT);
    EXPECT_EQ(Selected(), Match(text.find("приветствие"_ui), 6));

    // Whole word and case together pass over "Привет", "приветствие" and "ПРИВЕТ".
    Select(1, 1);
    Find({.text = word, .wholeWord = true, .matchCase = true});
    EXPECT_EQ(Selected(), Match(text.rfind(word), 6));

    // With "По всему тексту" the search starts at the top wherever the caret stands.
    Select(30, 30);
    Find({.text = "ПРИВЕТ"_ui, .wholeText = true});
    EXPECT_EQ(Selected(), Match(0, 6));

    // Nothing more to find: the selection stays, no message; the next F3 opens the dialog as Find.
    Select(static_cast<LONG>(text.size()) - 3, static_cast<LONG>(text.size()) - 3);
    Find({.text = word});
    EXPECT_EQ(Selected(), Match(text.size() - 3, 0));
    EXPECT_EQ(Program().search.position, -1);
    answers_.InspectAndCancel([](HWND dialog) { EXPECT_EQ(WindowText(dialog), "Найти..."_ui); });
    SearchCommand(IDM_FIND_NEXT);
    EXPECT_EQ(answers_.Unplanned(), "");
    EXPECT_EQ(answers_.Seen().size(), 5u);
}

TEST_F(FindReplaceTest, FindsBackwardsOnlyMatchesLyingWhollyBeforeTheCaret) {
    SetControlText("ab ab ab");
    Select(8, 8);
    Find({.text = "ab", .backwards = true});
    EXPECT_EQ(Selected(), Match(6, 2));
    SearchCommand(IDM_FIND_NEXT);
    EXPECT_EQ(Selected(), Match(3, 2));
    SearchCommand(IDM_FIND_NEXT);
    EXPECT_EQ(Selected(), Match(0, 2));
    answers_.CancelDialog();
    SearchCommand(IDM_FIND_NEXT);  // nothing left below: the dialog opens
    EXPECT_EQ(Selected(), Match(0, 2));

    // The match holding the caret is not found; with the whole text the bound is still the caret.
    SetControlText("xxabcxx");
    Select(4, 4);
    Find({.text = "abc", .backwards = true});
    EXPECT_EQ(Selected(), Match(4, 0));
    Select(0, 0);
    Find({.text = "abc", .wholeText = true, .backwards = true});
    EXPECT_EQ(Selected(), Match(0, 0));
    Select(5, 5);
    Find({.text = "abc", .wholeText = true, .backwards = true});
    EXPECT_EQ(Selected(), Match(2, 3));
    EXPECT_EQ(answers_.Unplanned(), "");
}

TEST_F(FindReplaceTest, TypedCyrillicIsFoundWithItsCaseInEveryView) {
    // In the UTF-8 view each letter is two bytes, and its capital other bytes than its small letter.
    for (std::uint8_t view : {0, 1, 3, 2}) {
        SCOPED_TRACE(view);
        const std::string text = SearchTextToView("привет ПРИВЕТ"_ui, view);
        const std::size_t length = (text.size() - 1) / 2;
        SetControlText(text);
        ShowView(view);
        Select(0, 0);
        Find({.text = "ПРИВЕТ"_ui});
        EXPECT_EQ(Selected(), Match(0, length));
        Select(0, 0);
        Find({.text = "ПРИВЕТ"_ui, .matchCase = true});
        EXPECT_EQ(Selected(), Match(length + 1, length));
    }
    // The pattern was converted for KOI8-R when the dialog was accepted: in the ANSI view F3 looks
    // for those bytes still.
    // F3 goes on from behind the last match (offset 13), ahead of the caret.
    SetControlText(std::string(14, ' ') + "ПРИВЕТ"_ui + " " + SearchTextToView("ПРИВЕТ"_ui, 2));
    ShowView(0);
    Select(0, 0);
    SearchCommand(IDM_FIND_NEXT);
    EXPECT_EQ(Selected(), Match(21, 6));
    EXPECT_EQ(answers_.Unplanned(), "");
}

TEST_F(FindReplaceTest, HexadecimalPatternsMatchTheBytesInEveryView) {
    const std::string text = "\x01\xE0\xE1\xFF\x41\x42 \xE0\xE1";
    for (std::uint8_t view : {0, 1, 2}) {
        SCOPED_TRACE(view);
        SetControlText(text);
        ShowView(view);
        Select(0, 0);
        Find({.text = "e0E1", .hex = true});
        EXPECT_EQ(Selected(), Match(1, 2));
        SearchCommand(IDM_FIND_NEXT);
        EXPECT_EQ(Selected(), Match(7, 2));
        Select(0, 0);
        Find({.text = "E1ff41", .hex = true, .matchCase = true});
        EXPECT_EQ(Selected(), Match(2, 3));
        Select(0, 0);
        Find({.text = "410042", .hex = true});  // the zero byte ends the pattern
        EXPECT_EQ(Selected(), Match(4, 1));
    }
    // Hexadecimal searches are not kept in the history.
    EXPECT_EQ(ReadSettingString("0", kSearchHistoryBuffer), "");
    EXPECT_EQ(answers_.Unplanned(), "");
}

TEST_F(FindReplaceTest, ReplacesOneMatchAndThenAllWithoutFindingTheReplacementAgain) {
    SetControlText("a b a b a");
    Select(0, 0);
    Replace({.text = "a", .replacement = "aa"});
    EXPECT_EQ(ControlText(), "aa b a b a");
    EXPECT_EQ(answers_.Seen().at(0).title, "Заменить..."_ui);
    SearchCommand(IDM_FIND_NEXT);  // Replace is remembered: F3 replaces the next one
    EXPECT_EQ(ControlText(), "aa b aa b a");

    Select(0, 0);
    Replace({.text = "a", .replacement = "aa", .wholeText = true, .button = IDC_REPLACE_ALL});
    EXPECT_EQ(ControlText(), "aaaa b aaaa b aa");

    // Backwards the run goes down from the caret, each replacement behind it.
    SetControlText("x-x-x");
    Select(5, 5);
    Replace({.text = "x", .replacement = "yx", .backwards = true, .button = IDC_REPLACE_ALL});
    EXPECT_EQ(ControlText(), "yx-yx-yx");

    // An empty replacement deletes; hexadecimal bytes replace bytes.
    SetControlText("1\xE0" "2\xE0" "3");
    Select(0, 0);
    Replace({.text = "e0", .replacement = "ff20", .hex = true, .button = IDC_REPLACE_ALL});
    EXPECT_EQ(ControlText(), "1\xFF 2\xFF 3");
    Select(0, 0);
    Replace({.text = " ", .replacement = "", .button = IDC_REPLACE_ALL});
    EXPECT_EQ(ControlText(), "1\xFF" "2\xFF" "3");
    EXPECT_EQ(answers_.Unplanned(), "");
}

TEST_F(FindReplaceTest, ConfirmationAnswersReplaceSkipStopOrReplaceTheRest) {
    SetControlText("x x x x x");
    Select(0, 0);
    answers_.AnswerWith([](HWND dialog) {
        Fill(dialog, {.text = "x", .replacement = "y", .prompt = true});
        Click(dialog, IDC_REPLACE_ALL);
    });
    answers_.AnswerWith([](HWND dialog) {
        EXPECT_EQ(WindowText(dialog), "Заменить?"_ui);
        EXPECT_EQ(Selected(), Match(0, 1));  // the match is selected while the question is up
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);  // "Да"
    });
    answers_.PressButton(IDCANCEL);           // "Нет"
    answers_.PressButton(IDC_REPLACE_ALL);    // "Все": this and the rest without asking
    SearchCommand(IDM_REPLACE);
    EXPECT_EQ(ControlText(), "y x y y y");
    EXPECT_EQ(answers_.Seen().size(), 4u);

    // "Все" unticked "&Запрос" for the next opening.
    answers_.InspectAndCancel([](HWND dialog) {
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_PROMPT_REPLACE), BST_UNCHECKED);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_REPLACE_ALL)));
    });
    SearchCommand(IDM_REPLACE);

    EXPECT_EQ(answers_.Unplanned(), "");
}

TEST_F(FindReplaceTest, StopAnswerEndsTheRunWithTheMatchLeftSelected) {
    SetControlText("x x x x x");
    Select(0, 0);
    answers_.AnswerWith([](HWND dialog) {
        Fill(dialog, {.text = "x", .replacement = "y", .prompt = true});
        Click(dialog, IDC_REPLACE_ALL);
    });
    answers_.PressButton(IDOK);
    answers_.PressButton(IDC_STOP_REPLACING);
    SearchCommand(IDM_REPLACE);
    EXPECT_EQ(ControlText(), "y x x x x");
    EXPECT_EQ(Selected(), Match(2, 1));
    // Esc (the close box too) is "Нет".
    answers_.PressButton(IDCANCEL);
    SearchCommand(IDM_FIND_NEXT);
    EXPECT_EQ(ControlText(), "y x x x x");
    EXPECT_EQ(answers_.Unplanned(), "");
}

TEST_F(FindReplaceTest, OneUndoTakesBackAWholeReplaceRun) {
    SetControlText("a a a a");
    SendMessageA(EditorControl, EM_SETMODIFY, FALSE, 0);
    Select(3, 5);
    Replace({.text = "a", .replacement = "bb", .wholeText = true, .button = IDC_REPLACE_ALL});
    EXPECT_EQ(ControlText(), "bb bb bb bb");
    EXPECT_EQ(DocumentUndoJournal().RecordCount(), 1u);
    UndoLast();
    EXPECT_EQ(ControlText(), "a a a a");
    // Undo selects what was selected before the run, not its first match.
    EXPECT_EQ(Selected(), Match(3, 2));

    // A run that replaces nothing leaves nothing to undo: the next Undo is the user's own edit's.
    const std::size_t records = DocumentUndoJournal().RecordCount();
    Replace({.text = "zz", .replacement = "q", .button = IDC_REPLACE_ALL});
    SearchCommand(IDM_FIND_NEXT);
    answers_.AnswerWith([](HWND dialog) {
        Fill(dialog, {.text = "a", .replacement = "q", .prompt = true});
        Click(dialog, IDC_REPLACE_ALL);
    });
    answers_.PressButton(IDCANCEL);
    answers_.PressButton(IDC_STOP_REPLACING);
    Select(0, 0);
    SearchCommand(IDM_REPLACE);
    EXPECT_EQ(ControlText(), "a a a a");
    EXPECT_EQ(DocumentUndoJournal().RecordCount(), records);
    EXPECT_EQ(answers_.Unplanned(), "");
}

TEST_F(FindReplaceTest, DialogShowsTheHistoryTheOutsideHistoryAndTheWordAtTheCaret) {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string ini = std::string(windows) + "\\wincmd.ini";
    WritePrivateProfileStringA("SearchText", "0", "gamma", ini.c_str());
    WritePrivateProfileStringA("SearchText", "3", "delta", ini.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());

    SetControlText("alpha beta");
    Find({.text = "alpha"});
    Find({.text = "beta"});
    Find({.text = "alpha"});
    Find({.text = std::string(40, 'q')});
    EXPECT_EQ(Program().search.pattern, std::string(32, 'q'));

    // The history is in the registry: it is there after a restart.
    CloseTestApplication();
    ASSERT_TRUE(StartTestApplication());
    ASSERT_TRUE(EditorControl);
    const std::string word = "слово"_ui;
    for (std::uint8_t view : {0, 1, 2}) {
        SCOPED_TRACE(view);
        SetControlText("\t " + SearchTextToView(word + "\x01" + "другое"_ui, view));
        ShowView(view);
        Select(4, 9);  // only the word at the start of the selection is taken
        answers_.InspectAndCancel([&](HWND dialog) {
            EXPECT_EQ(ComboBoxItems(GetDlgItem(dialog, IDC_SEARCH_TEXT)),
                      (std::vector<std::string>{word, std::string(32, 'q'), "alpha", "beta", "gamma", "delta"}));
            EXPECT_EQ(ItemText(dialog, IDC_SEARCH_TEXT), word);
            EXPECT_EQ(WindowText(dialog), "Найти..."_ui);
            EXPECT_EQ(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(Program().smallIcon));
            for (int id : {IDC_REPLACE_LABEL, IDC_REPLACE_TEXT, IDC_HEX_REPLACE, IDC_PROMPT_REPLACE, IDC_REPLACE_ALL})
                EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, id))) << id;
            EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_HEX_INPUT), BST_UNCHECKED);
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_HEX_SEARCH)));
        });
        SearchCommand(IDM_FIND);
    }
    DeleteFileA(ini.c_str());
    EXPECT_EQ(answers_.Unplanned(), "");
}

TEST_F(FindReplaceTest, HexButtonSwitchesBetweenTheTextAndTheHexadecimalFields) {
    SetControlText("");
    answers_.InspectAndCancel([](HWND dialog) {
        EXPECT_EQ(WindowText(dialog), "Заменить..."_ui);
        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_PROMPT_REPLACE), BST_CHECKED);
        SendDlgItemMessageA(dialog, IDC_HEX_INPUT, BM_CLICK, 0, 0);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_SEARCH_TEXT)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_REPLACE_TEXT)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_HEX_SEARCH)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_HEX_REPLACE)));
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_HEX_SEARCH));
        // An empty field keeps the dialog open, whichever button.
        SetDlgItemTextA(dialog, IDC_SEARCH_TEXT, "text is not read now");
        Click(dialog, IDOK);
        Click(dialog, IDC_REPLACE_ALL);
        EXPECT_TRUE(IsWindow(dialog));
        SendDlgItemMessageA(dialog, IDC_HEX_INPUT, BM_CLICK, 0, 0);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SEARCH_TEXT)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_HEX_REPLACE)));
    });
    SearchCommand(IDM_REPLACE);
    EXPECT_EQ(answers_.Unplanned(), "");
}

TEST_F(FindReplaceTest, UnicodeViewFindsAndReplacesCharactersThatAnsiLacks) {
    // The dialog is typed into as characters; none of Ω ω ѣ Ѣ → 😀 is in 1251.
    auto typed = [this](const wchar_t* text, const wchar_t* replacement, bool matchCase, int button) {
        answers_.AnswerWith([=](HWND dialog) {
            SetDlgItemTextW(dialog, IDC_SEARCH_TEXT, text);
            SetDlgItemTextW(dialog, IDC_REPLACE_TEXT, replacement);
            SetCheck(dialog, IDC_MATCH_CASE, matchCase);
            SetCheck(dialog, IDC_WHOLE_TEXT, true);
            if (IsWindowVisible(GetDlgItem(dialog, IDC_PROMPT_REPLACE))) SetCheck(dialog, IDC_PROMPT_REPLACE, false);
            Click(dialog, button);
        });
    };
    const std::string text = "ω Ω ѣ Ѣ → 😀 Ω";
    SetControlText(text);
    ShowView(kUtf8View);
    Select(0, 0);
    typed(L"Ω", L"", false, IDOK);
    SearchCommand(IDM_FIND);
    EXPECT_EQ(Selected(), Match(0, 2));  // the other case, without match case
    SearchCommand(IDM_FIND_NEXT);
    EXPECT_EQ(Selected(), Match(text.find("Ω"), 2));
    typed(L"ѣ", L"", true, IDOK);
    SearchCommand(IDM_FIND);
    EXPECT_EQ(Selected(), Match(text.find("ѣ"), 2));
    typed(L"Ѣ", L"", false, IDOK);
    SearchCommand(IDM_FIND);
    EXPECT_EQ(Selected(), Match(text.find("ѣ"), 2));
    typed(L"\U0001F600", L"", false, IDOK);
    SearchCommand(IDM_FIND);
    EXPECT_EQ(Selected(), Match(text.find("😀"), 4));

    typed(L"→", L"\U0001F600", false, IDC_REPLACE_ALL);
    SearchCommand(IDM_REPLACE);
    EXPECT_EQ(ControlText(), "ω Ω ѣ Ѣ 😀 😀 Ω");
    typed(L"Ω", L"ж", false, IDC_REPLACE_ALL);
    SearchCommand(IDM_REPLACE);
    EXPECT_EQ(ControlText(), "ж ж ѣ Ѣ 😀 😀 ж");
    typed(L"ѣ", L"Ё", true, IDC_REPLACE_ALL);
    SearchCommand(IDM_REPLACE);
    EXPECT_EQ(ControlText(), "ж ж Ё Ѣ 😀 😀 ж");

    // The history keeps the characters: the UTF-8 view offers them as typed, a single-byte view as
    // the 1251 text it would search for.
    auto firstChoice = [](HWND dialog) {
        HWND combo = GetDlgItem(dialog, IDC_SEARCH_TEXT);
        std::wstring item(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, 1, 0)) + 1, L'\0');
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<std::size_t>(length));
        return item;
    };
    Select(0, 0);
    answers_.InspectAndCancel([&](HWND dialog) { EXPECT_EQ(firstChoice(dialog), L"ѣ"); });
    SearchCommand(IDM_FIND);
    ShowView(0);
    answers_.InspectAndCancel([&](HWND dialog) { EXPECT_EQ(firstChoice(dialog), L"?"); });
    SearchCommand(IDM_FIND);
    EXPECT_EQ(answers_.Unplanned(), "");
}

}  // namespace
