// Word wrap on the real window: command 25 rebuilds the editor control with the other style and the
// same text, selection and modified flag, and the choice is kept in the settings.
#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <string>
#include <utility>

#include "app/status_texts.h"
#include "base/settings.h"
#include "base/win/program.h"
#include "base/win/shell_messages.h"
#include "document/win/editor_window.h"
#include "document/win/program_document.h"
#include "document/win/document_files.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/application_fixture.h"
#include "support/win/editor_text.h"
#include "support/win/file_bytes.h"
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

// Lines that wrap in the test's window, many of them.
constexpr LONG kLines = 4000;
std::string LineOfWords() {
    std::string line;
    for (int i = 0; i < 24; ++i) line += "word ";
    return line + "\r\n";
}
std::string ManyLines() {
    std::string text;
    for (LONG i = 0; i < kLines; ++i) text += LineOfWords();
    return text;
}

// The editor's rows: no font draws a line of fewer than 6 pixels.
std::size_t RowsAtMost() {
    RECT client{};
    GetClientRect(EditorControl, &client);
    EXPECT_LT(client.right, 24 * 5 * 6) << "each line wraps";
    return static_cast<std::size_t>(client.bottom / 6);
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

// Switching wrap on lays the text out only down to the screen that shows the caret, however long
// the text below it: the setup of the new view (its font is applied to the whole text) must not
// make any view go to the end of the text. The selection, the caret's place in sight, the status
// bar's line and the line count are those of the wrapped text.
TEST_F(WordWrapTest, SwitchingWrapOnLaysOutOnlyDownToTheCaretsScreen) {
    const std::string line = LineOfWords();
    const auto lineBytes = static_cast<LONG>(line.size());
    const std::string text = ManyLines();
    SetControlText(text);
    const TextLayout& layout = ProgramDocument().Layout();
    RECT client{};
    GetClientRect(EditorControl, &client);
    const std::size_t rowsAtMost = RowsAtMost();

    // The selection from the anchor's line to the caret's, the caret above too.
    for (const auto [anchorLine, caretLine] : {std::pair<LONG, LONG>{0, 0}, {2000, 2000}, {3000, 1000}}) {
        SCOPED_TRACE(anchorLine);
        ASSERT_EQ(Program().switches.wordWrapStyle, kNoWordWrapStyle);
        const LONG anchor = anchorLine * lineBytes + 3, caret = caretLine * lineBytes + 7;
        const LONG start = std::min(anchor, caret), end = std::max(anchor, caret);
        Select(anchor, caret);
        SendMessageA(EditorControl, EM_SCROLLCARET, 0, 0);
        PumpMessages();

        const std::uint64_t before = layout.LinesCounted();
        WordWrapCommand();
        ASSERT_EQ(Program().switches.wordWrapStyle, 0u);
        // Counted once from the top down to the screen of the caret.
        EXPECT_LE(layout.LinesCounted() - before, static_cast<std::uint64_t>(std::max(anchorLine, caretLine)) + rowsAtMost)
            << "of " << kLines + 1 << " lines";
        EXPECT_EQ(Selected(), std::make_pair(start, end));
        // The new view puts the caret at the selection's end.
        POINTL point{-1, -1};
        SendMessageA(EditorControl, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), end);
        EXPECT_GE(point.y, 0) << "the caret is in sight";
        EXPECT_LT(point.y, client.bottom) << "the caret is in sight";
        const LRESULT each = SendMessageA(EditorControl, EM_EXLINEFROMCHAR, 0, lineBytes);
        ASSERT_GE(each, 2);
        const LRESULT displayLine = SendMessageA(EditorControl, EM_EXLINEFROMCHAR, 0, start);
        EXPECT_EQ(displayLine, each * std::min(anchorLine, caretLine));
        const LRESULT lineStart = SendMessageA(EditorControl, EM_LINEINDEX, static_cast<WPARAM>(displayLine), 0);
        EXPECT_EQ(StatusBarPart(kCaretPositionPart), CaretPositionText(static_cast<std::uint32_t>(start - lineStart + 1),
                                                                       static_cast<std::uint32_t>(displayLine + 1)));
        EXPECT_EQ(DisplayLines(), each * kLines + 1);

        WordWrapCommand();
    }
    EXPECT_EQ(ControlText(), text);
}

// With wrap on, opening a file of many lines lays out only its first screen, and typing at the end
// of the text lays out only the line typed in once the caret is shown there.
TEST_F(WordWrapTest, OpeningAndTypingWithWrapOnLayOutOnlyTheScreenAndTheLineTypedIn) {
    WordWrapCommand();
    ASSERT_EQ(Program().switches.wordWrapStyle, 0u);
    const TextLayout& layout = ProgramDocument().Layout();
    const std::size_t rowsAtMost = RowsAtMost();
    char folder[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
    const std::string path = std::string(folder) + "vemko_wrap_open.txt";
    const std::string text = ManyLines();
    WriteBytes(path, text);

    std::uint64_t before = layout.LinesCounted();
    ASSERT_TRUE(LoadFile(path.c_str()));
    PumpMessages();
    DeleteFileA(path.c_str());
    EXPECT_LE(layout.LinesCounted() - before, rowsAtMost) << "of " << kLines + 1 << " lines";
    EXPECT_EQ(Selected(), std::make_pair(0L, 0L));
    EXPECT_EQ(StatusBarPart(kCaretPositionPart), CaretPositionText(1, 1));

    const auto end = static_cast<LONG>(text.size());
    Select(end, end);
    SendMessageA(EditorControl, WM_CHAR, 'x', 0);
    PumpMessages();
    before = layout.LinesCounted();
    for (char c : {'y', 'z', ' '}) SendMessageA(EditorControl, WM_CHAR, static_cast<WPARAM>(c), 0);
    PumpMessages();
    EXPECT_LE(layout.LinesCounted() - before, 3u * 2);
    EXPECT_EQ(ControlText(), text + "xyz ");
    EXPECT_EQ(DisplayLines(), SendMessageA(EditorControl, EM_EXLINEFROMCHAR, 0, LineOfWords().size()) * kLines + 1);
}
