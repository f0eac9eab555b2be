#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>

#include "base/ui_text.h"
#include "control/win/editor_control.h"
#include "support/win/document_fixture.h"
#include "support/win/clipboard_contents.h"
#include "support/win/modal_answers.h"

namespace {

// The 1251 bytes taken into code page `view` (0 ANSI, 1 OEM, 2 KOI8-R).
std::string InView(std::string ansi, int view) {
    ConversionMap map = ConversionBetween(kAnsi1251, static_cast<ConversionCodePage>(view));
    ApplyConversion(map, reinterpret_cast<std::uint8_t*>(ansi.data()), ansi.size());
    return ansi;
}

const char* const kPangram = "Съешь же ещё этих мягких французских булок, да выпей чаю. ЁЖ"_ui;
const wchar_t* const kPangramUnicode = L"Съешь же ещё этих мягких французских булок, да выпей чаю. ЁЖ";

class Clipboard : public DocumentTest {};

}  // namespace

TEST_F(Clipboard, CopyPlacesTheViewsFormAndOtherProgramsReadRussianText) {
    for (int view = 0; view < 3; ++view) {
        SCOPED_TRACE("view " + std::to_string(view));
        ShowView(view);
        SetControlText(InView(kPangram, view), false);
        Select(0, -1);
        Command(IDM_COPY);
        EXPECT_EQ(ClipboardUnicode(), kPangramUnicode);
        // ANSI text from the ANSI view, OEM (866) text from the other two.
        if (view == 0) EXPECT_EQ(ClipboardBytes(CF_TEXT), kPangram);
        else EXPECT_EQ(ClipboardBytes(CF_OEMTEXT), InView(kPangram, 1));
        EXPECT_EQ(ControlText(), InView(kPangram, view)) << "copying changes nothing in the text";
    }
}

// Another program's text as characters: whatever the system's code pages, each view takes its own
// bytes of them.
TEST_F(Clipboard, AnotherProgramsCharactersPasteAsTheBytesOfEachView) {
    for (int view = 0; view < 3; ++view) {
        SCOPED_TRACE("view " + std::to_string(view));
        ASSERT_TRUE(PutCharactersOnClipboard(kPangramUnicode));
        ShowView(view);
        SetControlText("", false);
        Command(IDM_PASTE);
        EXPECT_EQ(ControlText(), InView(kPangram, view));
    }
}

TEST_F(Clipboard, CopyInKoi8ViewThenPasteInAnsiViewOfAnotherDocumentGivesAnsiBytes) {
    ShowView(2);
    SetControlText(InView(kPangram, 2), false);
    Select(0, -1);
    Command(IDM_COPY);

    Command(IDM_NEW);
    ASSERT_EQ(ControlText(), "");
    ShowView(0);
    Command(IDM_PASTE);
    EXPECT_EQ(ControlText(), kPangram);
    ASSERT_NE(DocumentUndoJournal().Newest(), nullptr);
    EXPECT_EQ(DocumentUndoJournal().Newest()->kind, UndoKind::ReplaceRange);
    UndoLast();
    EXPECT_EQ(ControlText(), "");
}

TEST_F(Clipboard, CopyAndPasteWithinAViewGiveBackTheBytesBothCodePagesHave) {
    for (int view = 0; view < 3; ++view) {
        SCOPED_TRACE("view " + std::to_string(view));
        std::string bytes = "line\r\n";
        for (int b = 0x20; b < 0x100; ++b) {
            auto byte = static_cast<std::uint8_t>(b);
            // KOI8-R crosses the clipboard as 866: only what 866 also has comes back.
            if (view == 2 && MapHigh(kOemToKoi8, MapHigh(kKoi8ToOem, byte)) != byte) continue;
            bytes += static_cast<char>(byte);
        }
        ShowView(view);
        // The control's own messages cross as the commands do: each pastes what the other copied.
        for (bool commandCopies : {true, false}) {
            SCOPED_TRACE(commandCopies ? "command copies, WM_PASTE pastes" : "WM_CUT cuts, command pastes");
            SetControlText(bytes, false);
            Select(0, -1);
            if (commandCopies) {
                Command(IDM_COPY);
            } else {
                SendMessageA(EditorControl, WM_CUT, 0, 0);
                EXPECT_EQ(ControlText(), "");
            }
            SetControlText("[]", false);
            Select(1, 1);
            if (commandCopies) SendMessageA(EditorControl, WM_PASTE, 0, 0);
            else Command(IDM_PASTE);
            EXPECT_EQ(ControlText(), "[" + bytes + "]");
        }
    }
}

TEST_F(Clipboard, EmptySelectionLeavesTheClipboardAndTheTextAndRecordsNothing) {
    ASSERT_TRUE(PutOnClipboard("kept"));
    SetControlText("abc", false);
    Select(1, 1);
    Command(IDM_COPY);
    EXPECT_EQ(ClipboardBytes(CF_TEXT), "kept");
    Command(IDM_CUT);
    EXPECT_EQ(ClipboardBytes(CF_TEXT), "kept");
    EXPECT_EQ(ControlText(), "abc");
    // A cut of nothing leaves no step for Undo to take back.
    EXPECT_TRUE(DocumentUndoJournal().Empty());

    ClearUndo();
    Select(0, 2);
    // A cut whose text cannot reach the clipboard (another program holds it open) deletes nothing,
    // and the command says why; the control's own cut keeps the text too.
    ASSERT_TRUE(OpenClipboard(nullptr));
    {
        ModalAnswers answers;
        answers.PressButton(IDOK);
        Command(IDM_CUT);
        EXPECT_EQ(answers.Seen().size(), 1u);
    }
    SendMessageA(EditorControl, WM_CUT, 0, 0);
    EXPECT_EQ(SendMessageA(EditorControl, EM_GETLASTFAILURE, 0, 0), ERROR_ACCESS_DENIED);
    CloseClipboard();
    EXPECT_EQ(ControlText(), "abc");
    EXPECT_EQ(DocumentUndoJournal().Newest(), nullptr);
    EXPECT_EQ(ClipboardBytes(CF_TEXT), "kept");

    Command(IDM_CUT);
    EXPECT_EQ(ClipboardBytes(CF_TEXT), "ab");
    EXPECT_EQ(ControlText(), "c");
    UndoLast();
    EXPECT_EQ(ControlText(), "abc");
}

TEST_F(Clipboard, PasteInKoi8ViewConvertsOemTextAndDeleteAndSelectAllWork) {
    ASSERT_TRUE(PutOnClipboard(InView("Ёж"_ui, 1).c_str(), CF_OEMTEXT));
    ShowView(2);
    SetControlText("", false);
    Command(IDM_PASTE);
    EXPECT_EQ(ControlText(), InView("Ёж"_ui, 2));

    Command(IDM_SELECT_ALL);
    CHARRANGE all = Selection();
    EXPECT_EQ(all.cpMin, 0);
    EXPECT_EQ(all.cpMax, 2);
    Command(IDM_DELETE);
    EXPECT_EQ(ControlText(), "");
    UndoLast();
    EXPECT_EQ(ControlText(), InView("Ёж"_ui, 2));

    // Nothing on the clipboard: paste changes nothing and records nothing.
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    ClearUndo();
    Command(IDM_PASTE);
    EXPECT_EQ(ControlText(), InView("Ёж"_ui, 2));
    EXPECT_TRUE(DocumentUndoJournal().Empty());
}
