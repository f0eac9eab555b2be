// The editor control's subclass and the undo journal on the program's own control, driven by real
// key input.
#include <gtest/gtest.h>
#include <windows.h>
#include <richole.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/ui_text.h"
#include "base/win/shell_messages.h"
#include "appearance/win/menu_tables.h"
#include "document/win/edit_callback.h"
#include "control/utf16_characters.h"
#include "support/core/plain_utf16.h"
#include "support/win/clipboard_contents.h"
#include "support/win/editing_fixture.h"
#include "control/win/editor_control.h"
#include "encoding/code_page_tables.h"
#include "document/win/transform_commands.h"
#include "support/win/command_recorder.h"
#include "support/win/modal_answers.h"

namespace {
// ---- The random edit property ----------------------------------------------------------------

const wchar_t kTypedCharacters[] = L"абвгдежзийклмнопрстуфхцчшщъыьэюяАБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯЁё"
                                   L"azAZ09 .,;-\t«»„“”–—…№";

// A position that does not split a CR LF pair.
LONG WholePosition(LONG position) {
    if (position > 0 && ByteAt(position - 1) == '\r' && ByteAt(position) == '\n') ++position;
    return position;
}

// Where edits go wrong if they go wrong at all: the ends, both sides of a line break, anywhere.
LONG InterestingPosition(std::mt19937& random) {
    const LONG length = TextLength();
    std::vector<LONG> breaks;
    for (LONG p = 0; p < length; ++p)
        if (ByteAt(p) == '\r') breaks.push_back(p);
    switch (random() % 5) {
    case 0: return 0;
    case 1: return length;
    case 2: if (!breaks.empty()) return breaks[random() % breaks.size()]; [[fallthrough]];
    case 3: if (!breaks.empty()) return WholePosition(breaks[random() % breaks.size()] + 2); [[fallthrough]];
    default: return WholePosition(static_cast<LONG>(random() % (static_cast<unsigned>(length) + 1)));
    }
}

std::string RandomText(std::mt19937& random, std::uint8_t view) {
    std::string text;
    const int lines = 1 + static_cast<int>(random() % 5);
    for (int line = 0; line < lines; ++line) {
        const int length = static_cast<int>(random() % 9);
        for (int i = 0; i < length; ++i)
            text += static_cast<char>(ViewByteOfTyped(AnsiByteOf(kTypedCharacters[random() % (std::size(kTypedCharacters) - 1)]), view));
        if (line + 1 < lines || random() % 2) text += "\r\n";
    }
    return text;
}

// One random edit by key (or a whole-text conversion); returns what it was, for the failure report.
std::string RandomEdit(std::mt19937& random) {
    switch (random() % 14) {
    case 0:
    case 1:
    case 2: {
        const wchar_t character = kTypedCharacters[random() % (std::size(kTypedCharacters) - 1)];
        Type(character);
        const std::uint8_t expected = ViewByteOfTyped(AnsiByteOf(character), CodePageIndex);
        CHARRANGE caret = Selection();
        EXPECT_EQ(ByteAt(caret.cpMin - 1), expected) << "typed U+" << std::hex << int{character} << " in view "
                                                     << int{CodePageIndex};
        return "type " + std::to_string(int{character});
    }
    case 3: Select(InterestingPosition(random), Selection().cpMin); return "caret/select";
    case 4: { const LONG p = InterestingPosition(random); Select(p, p); return "caret " + std::to_string(p); }
    case 5: Press(VK_RETURN); return "enter";
    case 6: Press(VK_BACK); return "backspace";
    case 7: Press(VK_DELETE); return "delete";
    case 8: Press(VK_BACK, kCtrl); return "ctrl+backspace";
    case 9: Press(VK_DELETE, kCtrl); return "ctrl+delete";
    case 10: Press('Y', kCtrl); return "ctrl+y";
    case 11: Press(VK_INSERT); return "insert";
    case 12: {
        const WORD keys[] = {VK_LEFT, VK_RIGHT, VK_HOME, VK_END, VK_UP, VK_DOWN};
        Press(keys[random() % std::size(keys)], random() % 3 == 0 ? kShift : kNone);
        return "move";
    }
    default: {
        // A whole-text rewrite: nothing selected, so the conversion records a snapshot and the view
        // follows the converted bytes.
        Select(Selection().cpMin, Selection().cpMin);
        const UINT commands[] = {IDM_TO_ANSI, IDM_TO_OEM, IDM_TO_KOI8};
        const UINT command = commands[random() % 3];
        RunTransformCommand(command);
        return "convert " + std::to_string(command);
    }
    }
}

TEST_F(EditingTest, RandomKeyEditsAreAllTakenBackInEveryView) {
    int edits = 0;
    for (std::uint8_t view : {0, 1, 2}) {
        for (unsigned seed = 1; seed <= 2; ++seed) {
            std::mt19937 random(seed * 7919 + view);
            ShowView(view);
            const std::string original = RandomText(random, view);
            Start(original, 0);
            std::ostringstream log;
            for (int step = 0; step < 60; ++step) {
                log << RandomEdit(random) << "; ";
                ++edits;
                if (HasFailure()) break;
            }
            if (ProgramDocument().Overwrite()) Press(VK_INSERT);
            UndoAll();
            ASSERT_EQ(ControlText(), original) << "view " << int{view} << " seed " << seed << ": " << log.str();
            EXPECT_EQ(CodePageIndex, view) << log.str();
        }
    }
    EXPECT_GE(edits, 300);
}

// ---- Typing ----------------------------------------------------------------------------------

TEST_F(EditingTest, CyrillicTypedOnARussianLayoutBecomesTheBytesOfEachView) {
    const std::wstring typed = L"Жёлтый «Ёж» — №1";
    for (std::uint8_t view : {0, 1, 2}) {
        ShowView(view);
        Start("");
        Type(typed);
        EXPECT_EQ(ControlText(), ViewBytesOf(typed, view)) << int{view};
    }
    // The quotes and the dash are ASCII in the OEM and KOI8-R views.
    EXPECT_EQ(ViewBytesOf(L"«—»", 1), "<->");
    EXPECT_EQ(ViewBytesOf(L"«—»", 2), "<->");
    EXPECT_EQ(ViewBytesOf(L"Ж", 2), "\xF6");

    // A character that 1251 lacks has no byte to stand for it: refused, nothing recorded.
    ShowView(0);
    Start("");
    ClearUndo();
    Type(L"aλéb");
    EXPECT_EQ(ControlText(), "ab");
    Type(std::wstring(L"\xD83D\xDE00"));
    EXPECT_EQ(ControlText(), "ab");
    UndoLast();
    UndoLast();
    EXPECT_EQ(ControlText(), "");
    EXPECT_TRUE(DocumentUndoJournal().Empty()) << "two characters typed, two records";
}

// The UTF-8 view takes any character as its UTF-8 bytes, a character beyond the basic plane
// included; Backspace, Delete and overwriting take whole characters, and Undo brings them back whole.
TEST_F(EditingTest, TheUtf8ViewTypesAnyCharacterAsItsBytesAndUndoesWholeCharacters) {
    Start("");
    CodePageIndex = kUtf8View;
    SendMessageA(EditorControl, EM_SETVIEWCODEPAGE, kUtf8View, 0);
    Type(std::wstring(L"\x0416\x03BB\xD83D\xDE00"));  // Ж λ 😀
    const std::string typed = "\xD0\x96\xCE\xBB\xF0\x9F\x98\x80";
    EXPECT_EQ(ControlText(), typed);
    Press(VK_BACK);
    EXPECT_EQ(ControlText(), typed.substr(0, 4));
    UndoLast();
    EXPECT_EQ(ControlText(), typed);
    Press(VK_HOME);
    Press(VK_DELETE);
    EXPECT_EQ(ControlText(), typed.substr(2));
    UndoLast();
    Press(VK_HOME);
    Press(VK_INSERT);
    Type(L"\x00E9");  // é over Ж
    Press(VK_INSERT);
    EXPECT_EQ(ControlText(), "\xC3\xA9" + typed.substr(2));
    UndoLast();
    EXPECT_EQ(ControlText(), typed);
    for (int i = 0; i < 3; ++i) UndoLast();
    EXPECT_EQ(ControlText(), "");
    EXPECT_TRUE(DocumentUndoJournal().Empty());
    ShowView(0);
}

// A UTF-16 LE file with its byte order mark, as Windows tools write it, opens in the UTF-16 LE view;
// Enter and "ещё" typed at its end through the keyboard go in as UTF-16 LE units, the caret steps
// over whole characters, Backspace and Undo take whole characters, and Ctrl+S saves valid UTF-16 LE.
TEST_F(EditingTest, AUtf16FileTypedIntoAndSavedStaysUtf16) {
    const std::string original = "\xFF\xFE" + PlainUtf16Bytes(u"Привет, мир\r\nвторая строка 😀", false);
    const std::string path = TestPath("powershell.txt");
    WriteBytes(path, original);
    ASSERT_TRUE(LoadFile(path.c_str()));
    EXPECT_EQ(CodePageIndex, kUtf16LeView);
    EXPECT_EQ(StatusText(2), "UTF-16 LE");
    EXPECT_EQ(StatusText(kLineEndsPart), "CR LF") << "read as bytes, the units CR and LF are a lone CR and LF";
    SetFocus(EditorControl);
    Press(VK_END, kCtrl);
    Press(VK_LEFT);
    EXPECT_EQ(Selection().cpMin, static_cast<LONG>(original.size()) - 4) << "the pair is one character";
    Press(VK_END, kCtrl);
    Press(VK_RETURN);
    Type(L"ещё");
    const std::string typed = original + PlainUtf16Bytes(u"\r\nещё", false);
    EXPECT_EQ(ControlText(), typed);
    Press(VK_BACK);
    EXPECT_EQ(ControlText(), original + PlainUtf16Bytes(u"\r\nещ", false));
    UndoLast();
    EXPECT_EQ(ControlText(), typed);
    Press('S', kCtrl);
    const std::string saved = ReadBytes(path);
    EXPECT_EQ(saved, typed);
    EXPECT_EQ(Utf16OfView(saved, false).find(u'\uFFFD'), std::u16string::npos) << "every unit a character";
    UndoAll();
    EXPECT_EQ(ControlText(), original);
    ShowView(0);
}

// A file with LF line ends, as Linux, git and the web write them, in 1251 and in UTF-16 LE with its
// mark: Enter, typing and a paste of another program's CR LF text put in LF (in units), Ctrl+S saves
// it LF-only, and the status bar says LF; a copy gives other programs CR LF. Converting its line ends
// is one Undo step, and a text with breaks of two kinds says so.
TEST_F(EditingTest, AnLfFileTypedIntoPastedIntoAndSavedStaysLfOnly) {
    for (bool utf16 : {false, true}) {
        SCOPED_TRACE(utf16 ? "UTF-16 LE" : "1251");
        auto bytes = [&](std::wstring_view text) {
            return utf16 ? PlainUtf16Bytes(std::u16string(text.begin(), text.end()), false) : ViewBytesOf(text, 0);
        };
        const std::string original = (utf16 ? "\xFF\xFE" : "") + bytes(L"первая строка\nвторая\n");
        const std::string path = TestPath(utf16 ? "lf-utf16.txt" : "lf.txt");
        WriteBytes(path, original);
        ASSERT_TRUE(LoadFile(path.c_str()));
        EXPECT_EQ(CodePageIndex, utf16 ? kUtf16LeView : 0);
        EXPECT_EQ(StatusText(kLineEndsPart), "LF");
        SetFocus(EditorControl);
        Press(VK_END, kCtrl);
        Type(L"ещё");
        Press(VK_RETURN);
        Type(L"x");
        const std::string typed = original + bytes(L"ещё\nx");
        EXPECT_EQ(ControlText(), typed);
        ASSERT_TRUE(PutCharactersOnClipboard(L"\r\nодин\r\nдва"));
        Press('V', kCtrl);
        const std::string pasted = typed + bytes(L"\nодин\nдва");
        EXPECT_EQ(ControlText(), pasted);
        UndoLast();
        EXPECT_EQ(ControlText(), typed) << "the paste is one step";
        UndoLast();
        EXPECT_EQ(ControlText(), original + bytes(L"ещё\n")) << "the x";
        UndoLast();
        EXPECT_EQ(ControlText(), original + bytes(L"ещё")) << "Enter, one LF";
        Press(VK_RETURN);
        Type(L"x");
        Press('V', kCtrl);
        EXPECT_EQ(ControlText(), pasted);
        Press('S', kCtrl);
        const std::string saved = ReadBytes(path);
        EXPECT_EQ(saved, pasted);
        if (utf16) EXPECT_EQ(Utf16OfView(saved, false).find_first_of(u"\r\uFFFD"), std::u16string::npos);
        else EXPECT_EQ(saved.find('\r'), std::string::npos);
        EXPECT_EQ(StatusText(kLineEndsPart), "LF");

        Press('A', kCtrl);
        Press('C', kCtrl);
        const std::wstring copied = ClipboardUnicode();
        EXPECT_NE(copied.find(L"первая строка\r\nвторая\r\nещё\r\nx\r\nодин\r\nдва"), std::wstring::npos) << AnsiText(copied);
        Select(0, 0);
        Command(IDM_LINE_ENDS_CRLF);
        EXPECT_EQ(ControlText(), (utf16 ? "\xFF\xFE" : "") + bytes(L"первая строка\r\nвторая\r\nещё\r\nx\r\nодин\r\nдва"));
        EXPECT_EQ(StatusText(kLineEndsPart), "CR LF");
        UndoLast();
        EXPECT_EQ(ControlText(), pasted);
        EXPECT_EQ(StatusText(kLineEndsPart), "LF");
        // Only the selected first line's break: the text now ends its lines as that one does.
        const LONG firstBreak = static_cast<LONG>(original.find(bytes(L"\n")));
        Select(0, firstBreak + (utf16 ? 2 : 1));
        Command(IDM_LINE_ENDS_CRLF);
        EXPECT_EQ(StatusText(kLineEndsPart), "CR LF (смешанные)"_ui);
        UndoLast();
        EXPECT_EQ(ControlText(), pasted);
        UndoAll();
        ShowView(0);
    }
}

TEST_F(EditingTest, TypedRunIsTakenBackOneCharacterAtATime) {
    Start("");
    Type(L"абв");
    ASSERT_EQ(DocumentUndoJournal().RecordCount(), 1u);
    UndoLast();
    EXPECT_EQ(ControlText(), "аб"_ui);
    UndoLast();
    UndoLast();
    EXPECT_EQ(ControlText(), "");
    EXPECT_TRUE(DocumentUndoJournal().Empty());
}

TEST_F(EditingTest, OemViewPutsInTheLetterAItselfAndOneUndoTakesItOut) {
    ShowView(1);
    Start("xy\r\nz", 1);
    Type(L'а');
    EXPECT_EQ(ControlText(), "x\xA0y\r\nz");
    EXPECT_EQ(Selection().cpMin, 2);
    UndoLast();
    EXPECT_EQ(ControlText(), "xy\r\nz");
    EXPECT_TRUE(DocumentUndoJournal().Empty());
}

TEST_F(EditingTest, TypingOverWholeLinesKeepsTheLastLineBreak) {
    Start("one\r\ntwo\r\nend");
    Select(0, 10);
    Type(L'Ж');
    EXPECT_EQ(ControlText(), "Ж\r\nend"_ui);
    UndoLast();
    EXPECT_EQ(ControlText(), "one\r\ntwo\r\nend");
}

// ---- Deleting --------------------------------------------------------------------------------

TEST_F(EditingTest, DeleteFromInsideALineKeepsTheLineBreakAndFromALineStartDoesNot) {
    Start("abc\r\ndef\r\nghi");
    Select(1, 5);
    Press(VK_DELETE);
    EXPECT_EQ(ControlText(), "a\r\ndef\r\nghi");
    UndoLast();
    EXPECT_EQ(ControlText(), "abc\r\ndef\r\nghi");

    Select(0, 10);
    Press(VK_DELETE);
    EXPECT_EQ(ControlText(), "ghi");
    UndoLast();
    EXPECT_EQ(ControlText(), "abc\r\ndef\r\nghi");

    // Lines ended by LF alone: all the selected characters go, the LF stays.
    Start("abc\ndef\n");
    Select(1, 4);
    Press(VK_DELETE);
    EXPECT_EQ(ControlText(), "a\ndef\n");
}

TEST_F(EditingTest, DeleteAndBackspaceNextToALineBreakTakeAndRestoreTheWholePair) {
    Start("ab\r\ncd", 2);
    Press(VK_DELETE);
    EXPECT_EQ(ControlText(), "abcd");
    UndoLast();
    EXPECT_EQ(ControlText(), "ab\r\ncd");
    EXPECT_EQ(Selection().cpMin, 2);

    Select(4, 4);
    Press(VK_BACK);
    EXPECT_EQ(ControlText(), "abcd");
    UndoLast();
    EXPECT_EQ(ControlText(), "ab\r\ncd");
    EXPECT_EQ(Selection().cpMin, 4);

    // Backspace over a selection deletes it in one step.
    Select(1, 5);
    Press(VK_BACK);
    EXPECT_EQ(ControlText(), "ad");
    UndoLast();
    EXPECT_EQ(ControlText(), "ab\r\ncd");
}

TEST_F(EditingTest, WordDeletionsAtTheEndsOfTheTextDoNothing) {
    Start("слово два"_ui, 0);
    Press(VK_BACK, kCtrl);
    Select(TextLength(), TextLength());
    Press(VK_DELETE, kCtrl);
    EXPECT_EQ(ControlText(), "слово два"_ui);
    EXPECT_TRUE(DocumentUndoJournal().Empty());

    Select(0, 0);
    Press(VK_DELETE, kCtrl);
    EXPECT_EQ(ControlText(), "два"_ui);
    Select(TextLength(), TextLength());
    Press(VK_BACK, kCtrl);
    EXPECT_EQ(ControlText(), "");
    UndoLast();
    UndoLast();
    EXPECT_EQ(ControlText(), "слово два"_ui);
}

TEST_F(EditingTest, CtrlYDeletesTheCaretsLineAndOneUndoBringsItBack) {
    const std::string text = "one\r\nдва\r\nthree"_ui;
    Start(text, 6);
    Press('Y', kCtrl);
    EXPECT_EQ(ControlText(), "one\r\nthree");
    EXPECT_EQ(DocumentUndoJournal().RecordCount(), 1u);
    UndoLast();
    EXPECT_EQ(ControlText(), text);
    EXPECT_TRUE(DocumentUndoJournal().Empty());

    // The last line has no break of its own; the one above it stays.
    Select(12, 12);
    Press('Y', kCtrl);
    EXPECT_EQ(ControlText(), "one\r\nдва\r\n"_ui);
    UndoLast();
    EXPECT_EQ(ControlText(), text);
}

// ---- Overwrite mode --------------------------------------------------------------------------

TEST_F(EditingTest, InsertSwitchesToOverwriteAndTypingInFrontOfALineBreakInsertsBeforeIt) {
    Start("ab\r\ncd", 1);
    Press(VK_INSERT);
    EXPECT_TRUE(ProgramDocument().Overwrite());
    EXPECT_EQ(StatusText(kEditModePart), "Замена"_ui);
    Type(L'ж');
    EXPECT_EQ(ControlText(), "aж\r\ncd"_ui);
    Type(L'з');  // in front of the CR: inserted, the line break stays
    EXPECT_EQ(ControlText(), "aжз\r\ncd"_ui);
    UndoLast();
    EXPECT_EQ(ControlText(), "aж\r\ncd"_ui);
    UndoLast();
    EXPECT_EQ(ControlText(), "ab\r\ncd");

    // The OEM view's letter put in by hand follows the same rule.
    ShowView(1);
    Start("ab\r\ncd", 2);
    Type(L'а');
    EXPECT_EQ(ControlText(), "ab\xA0\r\ncd");
    Select(0, 0);
    Type(L'а');
    EXPECT_EQ(ControlText(), "\xA0" "b\xA0\r\ncd");
    UndoLast();
    UndoLast();
    EXPECT_EQ(ControlText(), "ab\r\ncd");

    Press(VK_INSERT);
    EXPECT_FALSE(ProgramDocument().Overwrite());
    EXPECT_EQ(StatusText(kEditModePart), "Вставка"_ui);
}

// ---- Shortcuts, menu, drops, layout ----------------------------------------------------------

TEST_F(EditingTest, ShortcutsReachTheMainWindowWhileTheTextHasTheFocus) {
    Start("text", 4);
    CommandRecorder recorder(MainWindow, {.passSystemCommands = true, .holdMenuInitialisation = true});
    Press('S', kCtrl);
    Press('O', kCtrl);
    Press(VK_F2);
    Press(VK_F2, kCtrl);
    Press(VK_F2, kAlt);
    Press('Z', kCtrl);
    EXPECT_EQ(recorder.TakeCommands(),
              (std::vector<UINT>{IDM_SAVE, IDM_OPEN, IDM_VIEW_ANSI, IDM_VIEW_OEM, IDM_VIEW_KOI8, IDM_UNDO}));
    EXPECT_EQ(ControlText(), "text");
    EXPECT_TRUE(DocumentUndoJournal().Empty());
}

// The open pop-up menu of the thread, found from a timer inside its modal loop and then closed;
// the greyed state of the Edit commands while it was open.
HMENU shownContextMenu = nullptr;
std::vector<UINT> greyedWhileShown;
constexpr UINT kEditCommands[] = {IDM_UNDO, IDM_CUT, IDM_COPY, IDM_PASTE, IDM_DELETE};

void CALLBACK CloseContextMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menuWindow = FindWindowA("#32768", nullptr);
    if (!menuWindow) return;
    KillTimer(nullptr, timer);
    shownContextMenu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    for (UINT command : kEditCommands)
        if (GetMenuState(shownContextMenu, command, MF_BYCOMMAND) & MF_GRAYED) greyedWhileShown.push_back(command);
    EndMenu();
}

void ShowContextMenuAndClose() {
    shownContextMenu = nullptr;
    greyedWhileShown.clear();
    UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseContextMenu);
    SendMessageA(EditorControl, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    KillTimer(nullptr, timer);
}

TEST_F(EditingTest, RightButtonShowsTheEditMenuAndTheControlNeverSeesTheRelease) {
    Start("text", 0);
    ShowContextMenuAndClose();
    ASSERT_NE(Program().menus.subMenus[1], nullptr);
    EXPECT_EQ(shownContextMenu, Program().menus.subMenus[1]);

    // Its commands are greyed and enabled as when the Edit menu opens from the menu bar.
    ASSERT_TRUE(PutOnClipboard(nullptr));
    ShowContextMenuAndClose();
    EXPECT_EQ(greyedWhileShown, (std::vector<UINT>{IDM_UNDO, IDM_CUT, IDM_COPY, IDM_PASTE, IDM_DELETE}));
    Type(L'x');
    Select(1, 3);
    ASSERT_TRUE(PutOnClipboard("clip"));
    ShowContextMenuAndClose();
    EXPECT_EQ(shownContextMenu, Program().menus.subMenus[1]);
    EXPECT_TRUE(greyedWhileShown.empty()) << greyedWhileShown.size() << " greyed";
}

HDROP DropOf(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) list += name + '\0';
    list += '\0';
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
    auto* files = static_cast<DROPFILES*>(GlobalLock(block));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = FALSE;
    memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

TEST_F(EditingTest, DroppedFileOpensAfterTheSaveChangesQuestion) {
    WriteBytes(TestPath("first.txt"), "первый"_ui);
    WriteBytes(TestPath("second.txt"), "второй"_ui);
    Start("changed", 0);
    SendMessageA(EditorControl, EM_SETMODIFY, TRUE, 0);

    {
        ModalAnswers answers;
        answers.PressButton(IDCANCEL);
        EXPECT_EQ(SendMessageA(EditorControl, WM_DROPFILES,
                               reinterpret_cast<WPARAM>(DropOf({TestPath("first.txt")})), 0), 0);
        Settle();
        EXPECT_EQ(answers.Seen().size(), 1u);
    }
    EXPECT_EQ(ControlText(), "changed");
    EXPECT_STREQ(CurrentFileName, UntitledName);

    {
        ModalAnswers answers;
        answers.PressButton(IDNO);
        SendMessageA(EditorControl, WM_DROPFILES,
                     reinterpret_cast<WPARAM>(DropOf({TestPath("first.txt"), TestPath("second.txt"), TestPath("x")})), 0);
        Settle();
        EXPECT_EQ(answers.Seen().size(), 1u);
    }
    EXPECT_EQ(ControlText(), "первый"_ui);
    EXPECT_EQ(std::string(CurrentFileName), TestPath("first.txt"));
}

TEST_F(EditingTest, KeyboardLayoutChangeShowsTheLayoutAndGoesNoFurther) {
    Start("текст"_ui, 0);
    Select(0, 5);
    EXPECT_EQ(SendMessageA(EditorControl, WM_INPUTLANGCHANGE, 204, reinterpret_cast<LPARAM>(GetKeyboardLayout(0))), 1);
    EXPECT_EQ(StatusText(1), "RU");
    EXPECT_EQ(ControlText(), "текст"_ui);
    EXPECT_EQ(Selection().cpMax, 5);
}

TEST_F(EditingTest, WithTheJournalOffNothingIsRecordedAndTheKeysStillEdit) {
    SetJournalOff(true);
    Start("one two\r\nthree", 3);
    Type(L"ж");
    Press(VK_BACK, kCtrl);  // the control's own word deletion
    Press(VK_RETURN);
    Select(0, 0);
    Press('Y', kCtrl);
    EXPECT_TRUE(DocumentUndoJournal().Empty());
    EXPECT_EQ(ControlText(), " two\r\nthree");
}

// ---- The callback object ---------------------------------------------------------------------

// The slots are called by number, as the control calls them through the interface's table.
template <typename Function>
Function Slot(IRichEditOleCallback* object, int slot) {
    return reinterpret_cast<Function>((*reinterpret_cast<void***>(object))[slot]);
}

TEST_F(EditingTest, CallbackObjectAnswersItsSlotsAndADropTakesPlainText) {
    IRichEditOleCallback* object = EditCallbackObject();
    ASSERT_NE(object, nullptr);
    using QueryInterface = HRESULT(STDMETHODCALLTYPE*)(IRichEditOleCallback*, REFIID, void**);
    using Count = ULONG(STDMETHODCALLTYPE*)(IRichEditOleCallback*);
    using QueryAcceptData = HRESULT(STDMETHODCALLTYPE*)(IRichEditOleCallback*, LPDATAOBJECT, CLIPFORMAT*, DWORD, BOOL, HGLOBAL);
    using GetClipboardData = HRESULT(STDMETHODCALLTYPE*)(IRichEditOleCallback*, CHARRANGE*, DWORD, LPDATAOBJECT*);
    using GetContextMenu = HRESULT(STDMETHODCALLTYPE*)(IRichEditOleCallback*, WORD, LPOLEOBJECT, CHARRANGE*, HMENU*);
    using NoArgument = HRESULT(STDMETHODCALLTYPE*)(IRichEditOleCallback*, void*);

    void* out = &out;
    EXPECT_EQ(Slot<QueryInterface>(object, 0)(object, IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(Slot<QueryInterface>(object, 0)(object, IID_IUnknown, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(Slot<Count>(object, 1)(object), 2u);
    EXPECT_EQ(Slot<Count>(object, 2)(object), 1u);
    EXPECT_EQ(Slot<NoArgument>(object, 3)(object, nullptr), E_NOTIMPL);
    EXPECT_EQ(Slot<NoArgument>(object, 5)(object, nullptr), E_NOTIMPL);
    EXPECT_EQ(Slot<NoArgument>(object, 7)(object, nullptr), S_OK);
    EXPECT_EQ(Slot<NoArgument>(object, 9)(object, nullptr), E_NOTIMPL);
    LPDATAOBJECT data = reinterpret_cast<LPDATAOBJECT>(&out);
    EXPECT_EQ(Slot<GetClipboardData>(object, 10)(object, nullptr, RECO_COPY, nullptr), E_POINTER);
    EXPECT_EQ(Slot<GetClipboardData>(object, 10)(object, nullptr, RECO_COPY, &data), E_NOTIMPL);
    EXPECT_EQ(data, nullptr);
    HMENU menu = reinterpret_cast<HMENU>(&out);
    EXPECT_EQ(Slot<GetContextMenu>(object, 12)(object, 0, nullptr, nullptr, &menu), E_NOTIMPL);
    EXPECT_EQ(menu, nullptr);

    Start("moved text", 0);
    CLIPFORMAT format = CF_UNICODETEXT;
    EXPECT_EQ(Slot<QueryAcceptData>(object, 8)(object, nullptr, &format, RECO_PASTE, TRUE, nullptr), S_OK);
    EXPECT_EQ(format, CF_UNICODETEXT);
    EXPECT_TRUE(DocumentUndoJournal().Empty());
    // A drop takes plain text; the document records it as it goes in (the next test), not before.
    EXPECT_EQ(Slot<QueryAcceptData>(object, 8)(object, nullptr, &format, RECO_DROP, TRUE, nullptr), S_OK);
    EXPECT_EQ(format, CF_TEXT);
    EXPECT_TRUE(DocumentUndoJournal().Empty());
}

// A point inside the character at the position, on the screen.
POINT ScreenPointOf(LONG position) {
    POINTL point{};
    SendMessageA(EditorControl, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), position);
    POINT screen{point.x + 1, point.y + 4};
    ClientToScreen(EditorControl, &screen);
    return screen;
}

void MouseTo(POINT point, DWORD button) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(point.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(point.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
    SendInput(1, &input, sizeof input);
    Settle();
}

TEST_F(EditingTest, TextDraggedWithTheMouseIsTakenBackInOneStep) {
    Start("moved text", 0);
    Select(0, 5);
    const POINT from = ScreenPointOf(2);
    const POINT to = ScreenPointOf(10);
    MouseTo(from, 0);
    MouseTo(from, MOUSEEVENTF_LEFTDOWN);
    MouseTo({(from.x + to.x) / 2, from.y}, 0);
    MouseTo(to, 0);
    MouseTo(to, MOUSEEVENTF_LEFTUP);
    ASSERT_EQ(ControlText(), " textmoved");
    ASSERT_EQ(DocumentUndoJournal().RecordCount(), 1u);
    EXPECT_EQ(DocumentUndoJournal().Newest()->kind, UndoKind::TextSnapshot);
    UndoLast();
    EXPECT_EQ(ControlText(), "moved text");
    EXPECT_EQ(Selection().cpMin, 0);
    EXPECT_EQ(Selection().cpMax, 5);
}

}  // namespace
