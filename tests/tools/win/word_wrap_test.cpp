// Word wrap on the real window: command 25 rebuilds the editor control with the other style and the
// same text, selection and modified flag, and the choice is kept in the settings.
#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <string>

#include "base/settings.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "document/win/program_document.h"
#include "document/win/document_files.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/application_fixture.h"
#include "support/win/editor_text.h"
#include "support/win/settings_key.h"
#include "tools/win/word_wrap.h"
#include "support/core/every_byte.h"

namespace {

bool MenuChecked() { return (GetMenuState(GetMenu(MainWindow), IDM_WORD_WRAP, MF_BYCOMMAND) & MF_CHECKED) != 0; }

LONG_PTR WrapStyleBits() { return GetWindowLongPtrA(EditorControl, GWL_STYLE) & (WS_HSCROLL | ES_AUTOHSCROLL); }

std::uint32_t StoredWordWrap() { return ReadSettingDword("WW", 0xDEADBEEFu); }

void WordWrapCommand() {
    SendMessageA(MainWindow, WM_COMMAND, IDM_WORD_WRAP, 0);
    PumpMessages();
}

LRESULT DisplayLines() { return SendMessageA(EditorControl, EM_GETLINECOUNT, 0, 0); }

// Every byte value, lone CR and LF, a NUL and a line far wider than the window.
std::string AwkwardText() {
    std::string text = EveryByte();
    text += "\r\nlone CR\rlone LF\n";
    for (int i = 0; i < 60; ++i) text += "word ";
    text += "\r\nend";
    return text;
}

class WordWrapTest : public ApplicationTest {
protected:
    void SetUp() override {
        ApplicationTest::SetUp();
        if (HasFatalFailure()) return;
        SetWindowPos(MainWindow, nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
        PumpMessages();
    }
};

}  // namespace

TEST_F(WordWrapTest, FirstStartHasNoWrapAndTheCommandSwitchesItOnAndOffAgain) {
    EXPECT_EQ(WrapStyleBits(), WS_HSCROLL | ES_AUTOHSCROLL);
    EXPECT_FALSE(MenuChecked());
    EXPECT_EQ(StoredWordWrap(), 0xDEADBEEFu) << "nothing is written before the first switch";
    const std::string text = AwkwardText();
    SetControlText(text);
    const LRESULT unwrappedLines = DisplayLines();
    EXPECT_EQ(unwrappedLines, 7) << "LF, CR, CR LF and the lone CR and LF each end a line";

    WordWrapCommand();
    EXPECT_EQ(WrapStyleBits(), 0);
    EXPECT_EQ(Program().switches.wordWrapStyle, 0u);
    EXPECT_TRUE(MenuChecked());
    EXPECT_EQ(StoredWordWrap(), 0u);
    EXPECT_EQ(ControlText(), text);
    EXPECT_GT(DisplayLines(), unwrappedLines) << "the long line now wraps";

    WordWrapCommand();
    EXPECT_EQ(WrapStyleBits(), WS_HSCROLL | ES_AUTOHSCROLL);
    EXPECT_FALSE(MenuChecked());
    EXPECT_EQ(StoredWordWrap(), 0x100080u);
    EXPECT_EQ(ControlText(), text);
    EXPECT_EQ(DisplayLines(), unwrappedLines);
}

TEST_F(WordWrapTest, TheNewControlTakesTheOldOnesPlaceWithSelectionAndModifiedFlag) {
    SetControlText(AwkwardText());
    SendMessageA(EditorControl, EM_SETMODIFY, FALSE, 0);
    Select(300, 280);
    HWND old = EditorControl;
    RECT before{};
    GetWindowRect(old, &before);

    WordWrapCommand();
    ASSERT_NE(EditorControl, old);
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(GetParent(EditorControl), MainWindow);
    EXPECT_TRUE(IsWindowVisible(EditorControl));
    EXPECT_EQ(GetFocus(), EditorControl);
    RECT after{};
    GetWindowRect(EditorControl, &after);
    EXPECT_TRUE(EqualRect(&before, &after)) << "laid out between the bars as the old one was";
    EXPECT_EQ(Selected(), std::make_pair(280L, 300L));
    EXPECT_EQ(SendMessageA(EditorControl, EM_GETMODIFY, 0, 0), 0) << "an unchanged document stays unchanged";

    SendMessageA(EditorControl, EM_SETMODIFY, TRUE, 0);
    Select(0, 0);
    WordWrapCommand();
    EXPECT_NE(SendMessageA(EditorControl, EM_GETMODIFY, 0, 0), 0);
    EXPECT_EQ(Selected(), std::make_pair(0L, 0L));
}

TEST_F(WordWrapTest, TheUndoJournalGoesOnAcrossTheSwitch) {
    SetControlText("one two three");
    Select(4, 7);
    ProgramDocument().ReplaceSelection("TWO", UndoKind::ReplaceRange);
    WordWrapCommand();
    EXPECT_EQ(ControlText(), "one TWO three");
    ASSERT_FALSE(DocumentUndoJournal().Empty());
    UndoLast();
    EXPECT_EQ(ControlText(), "one two three");
    // And what is typed into the new control is recorded as before.
    Select(0, 0);
    SendMessageA(EditorControl, WM_CHAR, 'X', 0);
    EXPECT_EQ(ControlText(), "Xone two three");
    UndoLast();
    EXPECT_EQ(ControlText(), "one two three");
}

TEST_F(WordWrapTest, TheStoredChoiceIsTheNextStartsAndAnEmptyTextSwitchesToo) {
    WordWrapCommand();
    ASSERT_EQ(StoredWordWrap(), 0u);
    CloseTestApplication();
    ASSERT_NE(StartTestApplication(), nullptr);
    EXPECT_EQ(WrapStyleBits(), 0);
    EXPECT_TRUE(MenuChecked());
    EXPECT_EQ(ControlText(), "");
    WordWrapCommand();
    EXPECT_EQ(ControlText(), "");
    EXPECT_EQ(StoredWordWrap(), 0x100080u);
}

TEST_F(WordWrapTest, WithoutAControlToRebuildNothingChanges) {
    HWND control = EditorControl;
    Program().editorControl = nullptr;
    ToggleWordWrap();
    Program().editorControl = control;
    EXPECT_EQ(Program().switches.wordWrapStyle, kNoWordWrapStyle);
    EXPECT_FALSE(MenuChecked());
    EXPECT_EQ(StoredWordWrap(), 0xDEADBEEFu);
    EXPECT_TRUE(IsWindow(control));
}
