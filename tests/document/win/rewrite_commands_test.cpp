#include "document/win/conversion_commands.h"
#include "document/win/transform_commands.h"

#include <richedit.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/win/application.h"
#include "base/settings.h"
#include "base/ui_text.h"
#include "base/win/program.h"
#include "control/win/editor_control.h"
#include "document/win/editor_window.h"
#include "document/win/program_document.h"
#include "document/win/view_code_page.h"
#include "encoding/code_page_tables.h"
#include "encoding/text_encoding.h"
#include "encoding/unicode_conversion.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/editor_text.h"
#include "support/win/modal_answers.h"
#include "support/win/settings_key.h"
#include "tools/win/word_wrap.h"

namespace {

// "Привет, мир" and "строка" in the code pages the tests use.
const std::string kKoi8Hello = "\xF0\xD2\xC9\xD7\xC5\xD4, \xCD\xC9\xD2";
const std::string kAnsiHello = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0";
const std::string kKoi8Line = "\xD3\xD4\xD2\xCF\xCB\xC1";
const std::string kAnsiLine = "\xF1\xF2\xF0\xEE\xEA\xE0";

class RunTransformTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(StartTestApplication(), nullptr);
        ASSERT_NE(EditorControl, nullptr);
        ClearUndo();
        Program().pendingChord = ChordState{};
    }
    void TearDown() override { CloseTestApplication(); }

    static LRESULT ControlView() { return SendMessageA(EditorControl, EM_GETVIEWCODEPAGE, 0, 0); }
    // Keys as they reach the text through the program's loop: the Ctrl key going down, and a letter
    // struck while Ctrl is held.
    static void Key(UINT message, WPARAM key, LPARAM lParam) {
        MSG taken{EditorControl, message, key, lParam, GetTickCount(), {}};
        DispatchLoopMessage(taken);
    }
    static void HoldCtrl(bool held) {
        BYTE state[256] = {};
        if (held) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
        SetKeyboardState(state);
        if (held) Key(WM_KEYDOWN, VK_CONTROL, 1);
        else Key(WM_KEYUP, VK_CONTROL, 0xC0000001);
    }
    static void Strike(UINT key) {
        Key(WM_KEYDOWN, key, 1);
        Key(WM_KEYUP, key, 0xC0000001);
    }
};

TEST_F(RunTransformTest, WholeTextToAnsiConvertsSwitchesTheViewAndIsUndoneInOneStep) {
    // The NUL byte must survive the input copy and the way back.
    const std::string koi8 = kKoi8Hello + std::string("\r\n\0x\r\n", 6) + kKoi8Line;
    SetControlText(koi8);
    ShowView(kKoi8R);
    Select(4, 4);

    Command(IDM_TO_ANSI);
    EXPECT_EQ(ControlText(), kAnsiHello + std::string("\r\n\0x\r\n", 6) + kAnsiLine);
    EXPECT_EQ(CodePageIndex, kAnsi1251);
    EXPECT_EQ(ControlView(), kAnsi1251);
    EXPECT_EQ(Selection().cpMin, 4);
    EXPECT_EQ(Selection().cpMax, 4);
    EXPECT_EQ(DocumentUndoJournal().RecordCount(), 1u);

    Command(IDM_UNDO);
    EXPECT_EQ(ControlText(), koi8);
    EXPECT_EQ(CodePageIndex, kKoi8R);
    EXPECT_EQ(ControlView(), kKoi8R);
    EXPECT_TRUE(DocumentUndoJournal().Empty());

    // "-> Fido (H,p)" with nothing selected: 866 with Н as the Latin H and р as the Latin p, shown
    // in the OEM view.
    SetControlText("\xCD\xE0\xF0\xEE\xE4");  // "Народ" in 1251
    ShowView(kAnsi1251);
    Select(1, 1);
    Command(IDM_TO_FIDO);
    EXPECT_EQ(ControlText(), "H\xA0p\xAE\xA4");
    EXPECT_EQ(CodePageIndex, kOem866);
    EXPECT_EQ(ControlView(), kOem866);
    UndoLast();
    EXPECT_EQ(ControlText(), "\xCD\xE0\xF0\xEE\xE4");
    EXPECT_EQ(CodePageIndex, kAnsi1251);
}

TEST_F(RunTransformTest, SelectionConversionChangesOnlyTheSelectionAndKeepsTheView) {
    SetControlText(kKoi8Hello + "\r\n" + kKoi8Line);
    ShowView(kKoi8R);
    Select(8, 11);  // "мир"

    Command(IDM_TO_ANSI);
    EXPECT_EQ(ControlText(), kKoi8Hello.substr(0, 8) + kAnsiHello.substr(8) + "\r\n" + kKoi8Line);
    EXPECT_EQ(CodePageIndex, kKoi8R);
    EXPECT_EQ(ControlView(), kKoi8R);
    EXPECT_EQ(Selection().cpMin, 8);
    EXPECT_EQ(Selection().cpMax, 11);

    // "-> O&EM" in the OEM view changes nothing, but it is still an edit that can be undone.
    ShowView(kOem866);
    Command(IDM_TO_OEM);
    EXPECT_EQ(DocumentUndoJournal().RecordCount(), 2u);
    UndoLast();
    UndoLast();
    EXPECT_EQ(ControlText(), kKoi8Hello + "\r\n" + kKoi8Line);
}

TEST_F(RunTransformTest, ChordOfTwoKeysConvertsAndTheSameKeyTwiceOnlySwitchesTheView) {
    // The chord takes the text to be in the first key's code page whatever the view.
    SetControlText(kKoi8Hello);
    ShowView(kAnsi1251);
    Select(0, 0);
    Command(IDM_CHORD_K);
    EXPECT_EQ(ControlText(), kKoi8Hello);
    EXPECT_EQ(Program().pendingChord.PendingChord(), kKoi8R);
    Command(IDM_CHORD_W);
    EXPECT_EQ(ControlText(), kAnsiHello);
    EXPECT_EQ(CodePageIndex, kAnsi1251);
    EXPECT_EQ(Program().pendingChord.PendingChord(), -1);

    Command(IDM_CHORD_D);
    Command(IDM_CHORD_D);
    EXPECT_EQ(ControlText(), kAnsiHello);
    EXPECT_EQ(CodePageIndex, kOem866);
    EXPECT_EQ(ControlView(), kOem866);
    EXPECT_EQ(Program().pendingChord.PendingChord(), -1);
}

TEST_F(RunTransformTest, CtrlKThenCtrlWTypedInTheTextConvertsKoi8ToAnsiOnlyWithCtrlHeldThroughout) {
    SetControlText(kKoi8Hello);
    ShowView(kOem866);
    Select(0, 0);
    HoldCtrl(true);
    Strike('K');
    Strike('W');
    HoldCtrl(false);
    EXPECT_EQ(ControlText(), kAnsiHello);
    EXPECT_EQ(CodePageIndex, kAnsi1251);

    // Ctrl let go and pressed again between the keys abandons the chord: W starts a new one.
    HoldCtrl(true);
    Strike('K');
    HoldCtrl(false);
    HoldCtrl(true);
    Strike('W');
    HoldCtrl(false);
    EXPECT_EQ(ControlText(), kAnsiHello);
    EXPECT_EQ(Program().pendingChord.PendingChord(), kAnsi1251);
}

TEST_F(RunTransformTest, AlignmentWidensASelectionThatStartsInsideALineToWholeLines) {
    SettingsKeySnapshot keep;
    WriteSettingDword("RI", 20);
    WriteSettingDword("LI", 0);
    WriteSettingDword("FI", 0);
    WriteSettingDword("IG", 0);
    const std::string before = "first line here\r\nthe quick brown fox jumps over the lazy dog\r\nlast\r\n";
    SetControlText(before);
    Select(23, 53);  // from inside "quick" to inside "lazy"

    Command(IDM_ALIGN_LEFT);
    EXPECT_EQ(ControlText(), "first line here\r\nthe quick brown fox\r\njumps over the lazy\r\ndog\r\n\r\nlast\r\n");
    EXPECT_EQ(Selection().cpMin, 17);
    EXPECT_EQ(Selection().cpMax, 17);

    // A selection that starts at the start of a line is taken as it is, its line's tail left alone.
    SetControlText("aaa bbb ccc ddd\r\n");
    Select(0, 7);
    Command(IDM_ALIGN_RIGHT);
    EXPECT_EQ(ControlText(), std::string(14, ' ') + "aaa bbb\r\n ccc ddd\r\n");

    UndoLast();
    EXPECT_EQ(ControlText(), "aaa bbb ccc ddd\r\n");

    // In a text of LF lines (or CR lines) the aligned lines end as the text's do.
    SetControlText("the quick brown fox jumps\nover the lazy dog\n");
    Select(0, 0);
    Command(IDM_ALIGN_LEFT);
    EXPECT_EQ(ControlText(), "the quick brown fox\njumps\nover the lazy dog\n");
    SetControlText("aaa bbb ccc ddd eee fff\rnext\r");
    Select(0, 0);
    Command(IDM_ALIGN_LEFT);
    EXPECT_EQ(ControlText(), "aaa bbb ccc ddd eee\rfff\rnext\r");

    // With nothing selected the whole text is aligned and the caret goes back to its old position
    // number, wherever that now falls in the text.
    const std::string words = "one two three four five six seven eight\r\n";
    SetControlText(words);
    Select(9, 9);
    Command(IDM_ALIGN_RIGHT);
    EXPECT_NE(ControlText(), words);
    EXPECT_EQ(ControlText().substr(0, 1), " ");
    EXPECT_EQ(Selection().cpMin, 9);
    EXPECT_EQ(Selection().cpMax, 9);
}

TEST_F(RunTransformTest, RtfBecomesItsPlainTextInOneUndoStepAndOtherTextStaysAsItWas) {
    const std::string rtf = "{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2\\par world}";
    SetControlText(rtf);
    Select(5, 9);
    Command(IDM_RTF_TO_ANSI);
    EXPECT_EQ(ControlText(), "\xCF\xF0\xE8\xE2\xE5\xF2\r\nworld");
    EXPECT_TRUE(IsWindowVisible(EditorControl));
    EXPECT_EQ(Selection().cpMin, 0);
    EXPECT_EQ(Selection().cpMax, 0);
    UndoLast();
    EXPECT_EQ(ControlText(), rtf);

    // Not RTF: no change, no undo entry, and the user's selection is still there.
    ClearUndo();
    SetControlText("{\\RTF1 x}");
    Select(1, 3);
    Command(IDM_RTF_TO_ANSI);
    EXPECT_EQ(ControlText(), "{\\RTF1 x}");
    EXPECT_EQ(Selection().cpMin, 1);
    EXPECT_EQ(Selection().cpMax, 3);
    EXPECT_TRUE(DocumentUndoJournal().Empty());
}

TEST_F(RunTransformTest, RtfEndsInANewShownControlWithWordWrapAsItWas) {
    SettingsKeySnapshot settings;
    const std::string rtf = "{\\rtf1\\ansi {\\fonttbl{\\f0 Arial;}}\\f0 one\\par two words}";
    for (DWORD style : {kNoWordWrapStyle, DWORD{0}}) {
        if (Program().switches.wordWrapStyle != style) ToggleWordWrap();
        ASSERT_EQ(Program().switches.wordWrapStyle, style);
        const std::uint32_t storedBefore = ReadSettingDword("WW", 7);
        ClearUndo();
        SetControlText(rtf);
        Select(3, 8);
        HWND before = EditorControl;
        Command(IDM_RTF_TO_ANSI);
        EXPECT_NE(EditorControl, before) << "the plain text is in a control of its own";
        EXPECT_FALSE(IsWindow(before));
        EXPECT_TRUE(IsWindowVisible(EditorControl));
        EXPECT_EQ(GetFocus(), EditorControl);
        EXPECT_EQ(Program().switches.wordWrapStyle, style);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(EditorControl, GWL_STYLE) & kNoWordWrapStyle), style);
        EXPECT_EQ(ReadSettingDword("WW", 7), storedBefore);
        EXPECT_EQ(ControlText(), "one\r\ntwo words");
        EXPECT_EQ(Selection().cpMin, 0);
        EXPECT_EQ(Selection().cpMax, 0);
        EXPECT_NE(SendMessageA(EditorControl, EM_GETMODIFY, 0, 0), 0);
        // The new control is laid out across the window as the old one was.
        RECT client{}, editor{};
        GetClientRect(MainWindow, &client);
        GetWindowRect(EditorControl, &editor);
        EXPECT_EQ(editor.right - editor.left, client.right);
        UndoLast();
        EXPECT_EQ(ControlText(), rtf);
    }
}

TEST_F(RunTransformTest, ByteTransformsOfTheWholeTextSelectTheirResultFromTheOldCaret) {
    SetControlText("a=D8=E0=d8 =4");
    Select(2, 2);
    Command(IDM_QUOTED_PRINTABLE);
    EXPECT_EQ(ControlText(), "a\xD8\xE0=d8 =4");
    EXPECT_EQ(Selection().cpMin, 2);
    EXPECT_EQ(Selection().cpMax, 9);  // the result's 9 bytes from the old caret, cut at the end

    SetControlText("one\rtwo\r\nthree\nfour");
    Select(0, 0);
    Command(IDM_LINE_BREAK);
    EXPECT_EQ(ControlText(), "one\r\ntwo\r\nthree\nfour");
    EXPECT_EQ(Selection().cpMax, 20);
    // In a text of LF lines a bare CR becomes the LF the text's lines end with.
    SetControlText("one\ntwo\rthree\n");
    Select(0, 0);
    Command(IDM_LINE_BREAK);
    EXPECT_EQ(ControlText(), "one\ntwo\nthree\n");

    // Every line break of the whole text, or of the selection, made one kind, in one Undo step; the
    // caret keeps its place in the text.
    const std::string mixed = "a\r\nb\nc\rd\r\n";
    SetControlText(mixed);
    Select(5, 5);  // before c
    Command(IDM_LINE_ENDS_LF);
    EXPECT_EQ(ControlText(), "a\nb\nc\nd\n");
    EXPECT_EQ(Selection().cpMin, 4);
    Command(IDM_LINE_ENDS_CR);
    EXPECT_EQ(ControlText(), "a\rb\rc\rd\r");
    UndoLast();
    UndoLast();
    EXPECT_EQ(ControlText(), mixed);
    Select(3, 7);  // b LF c CR
    Command(IDM_LINE_ENDS_CRLF);
    EXPECT_EQ(ControlText(), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(Selection().cpMin, 3);
    EXPECT_EQ(Selection().cpMax, 9);
    const std::size_t records = DocumentUndoJournal().RecordCount();
    Command(IDM_LINE_ENDS_CRLF);
    EXPECT_EQ(DocumentUndoJournal().RecordCount(), records) << "nothing to change, nothing recorded";

    // Transliteration in the KOI8-R view goes through 866 first: "Щука" gives SHuka.
    ShowView(kKoi8R);
    SetControlText("\xFD\xD5\xCB\xC1");
    Select(0, 0);
    Command(IDM_TRANSLIT);
    EXPECT_EQ(ControlText(), "SHuka");
}

TEST_F(RunTransformTest, RewritingTheWholeTextLeavesTheTopLineWhereItWas) {
    std::string text;
    for (int line = 0; line < 300; ++line) text += kAnsiLine + " " + std::to_string(line) + "\r\n";
    SetControlText(text);
    ShowView(kAnsi1251);
    SendMessageA(EditorControl, EM_LINESCROLL, 0, 100);
    const LRESULT top = SendMessageA(EditorControl, EM_GETFIRSTVISIBLELINE, 0, 0);
    ASSERT_GT(top, 0);
    const LRESULT caret = SendMessageA(EditorControl, EM_LINEINDEX, top + 2, 0);
    Select(static_cast<LONG>(caret), static_cast<LONG>(caret));

    // The result is selected from the caret to the end of the text, which the control would scroll to.
    Command(IDM_TRANSLIT);
    EXPECT_EQ(ControlText().substr(0, 10), "stroka 0\r\n");
    EXPECT_EQ(SendMessageA(EditorControl, EM_GETFIRSTVISIBLELINE, 0, 0), top);
    EXPECT_EQ(Selection().cpMin, caret);
}

TEST_F(RunTransformTest, AResultThatWouldPassTheTextLimitLeavesTheTextAsItWas) {
    SendMessageA(EditorControl, EM_EXLIMITTEXT, 0, 24);
    const std::string text = "a\rb\rc\rd\re\rf\rg\rh\ri\rj\r";  // 20 bytes, 30 once repaired
    SetControlText(text);
    Select(3, 3);
    Command(IDM_LINE_BREAK);
    EXPECT_EQ(ControlText(), text);
    EXPECT_EQ(Selection().cpMin, 3);
    EXPECT_EQ(Selection().cpMax, 3);
    EXPECT_TRUE(DocumentUndoJournal().Empty());

    // A result that fits is put back whole.
    Select(0, 4);
    Command(IDM_LINE_BREAK);
    EXPECT_EQ(ControlText(), "a\r\nb\r\nc\rd\re\rf\rg\rh\ri\rj\r");
}

}  // namespace

TEST_F(RunTransformTest, ToUtf8AndOnByTheChartsUndoneInOneStepWithTheViewFollowing) {
    // "Привет, мир" in 1251 to UTF-8 and on to KOI8-R; like any run of whole-text rewrites, one undo
    // takes both back, the view with them.
    const std::string utf8Hello = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80";
    SetControlText(kAnsiHello);
    ShowView(kAnsi1251);
    Select(2, 2);
    Command(IDM_TO_UTF8);
    EXPECT_EQ(ControlText(), utf8Hello);
    EXPECT_EQ(CodePageIndex, kUtf8View);
    EXPECT_EQ(DocumentUndoJournal().RecordCount(), 1u);

    Command(IDM_TO_KOI8);
    EXPECT_EQ(ControlText(), kKoi8Hello);
    EXPECT_EQ(CodePageIndex, kKoi8R);
    EXPECT_EQ(ControlView(), kKoi8R);
    EXPECT_EQ(DocumentUndoJournal().RecordCount(), 1u);

    Command(IDM_UNDO);
    EXPECT_EQ(ControlText(), kAnsiHello);
    EXPECT_EQ(CodePageIndex, kAnsi1251);
    EXPECT_EQ(ControlView(), kAnsi1251);
    EXPECT_TRUE(DocumentUndoJournal().Empty());

    // A selection converts alone, is selected afterwards and leaves the view; characters that the
    // target lacks become '?' and the user is told how many.
    SetControlText("ab \xE2\x88\x9E\xD0\xAF\xE2\x99\xA5 cd");  // "ab ∞Я♥ cd"
    ShowView(kUtf8View);
    ClearUndo();
    Select(3, 11);
    ModalAnswers answers;
    answers.PressButton(IDOK);
    Command(IDM_TO_ANSI);
    EXPECT_EQ(ControlText(), "ab ?\xDF? cd");
    EXPECT_EQ(Selection().cpMin, 3);
    EXPECT_EQ(Selection().cpMax, 6);
    EXPECT_EQ(CodePageIndex, kUtf8View);
    ASSERT_EQ(answers.Seen().size(), 1u);
    EXPECT_NE(answers.Seen()[0].text.find(": 2"), std::string::npos) << answers.Seen()[0].text;
    Command(IDM_UNDO);
    EXPECT_EQ(ControlText(), "ab \xE2\x88\x9E\xD0\xAF\xE2\x99\xA5 cd");
}

TEST_F(RunTransformTest, TheUtf8ViewAlignsAndTransliteratesByCharactersAndGreysRtf) {
    SettingsKeySnapshot keep;
    WriteSettingDword("RI", 10);
    WriteSettingDword("LI", 0);
    WriteSettingDword("FI", 0);
    WriteSettingDword("IG", 0);
    // "мир" is three characters in six bytes: right-aligned in ten columns it takes seven spaces.
    SetControlText("\xD0\xBC\xD0\xB8\xD1\x80\r\n");
    ShowView(kUtf8View);
    Command(IDM_ALIGN_RIGHT);
    EXPECT_EQ(ControlText(), std::string(7, ' ') + "\xD0\xBC\xD0\xB8\xD1\x80\r\n");

    SetControlText("\xD0\xA9\xD1\x83\xD0\xBA\xD0\xB0 \xE2\x88\x9E");  // "Щука ∞"
    Command(IDM_TRANSLIT);
    EXPECT_EQ(ControlText(), "SHuka \xE2\x88\x9E");

    HMENU menu = GetMenu(MainWindow);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(GetMenuState(menu, IDM_RTF_TO_ANSI, MF_BYCOMMAND) & MF_GRAYED);
    SetControlText("{\\rtf1 x}");
    Command(IDM_RTF_TO_ANSI);
    EXPECT_EQ(ControlText(), "{\\rtf1 x}");
    ShowView(kAnsi1251);
    EXPECT_FALSE(GetMenuState(menu, IDM_RTF_TO_ANSI, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(RunTransformTest, RepairMendsOneDamagedParagraphAndKeepsTheRestAsItWas) {
    // A UTF-8 letter with one paragraph pasted from a mail read as 1251, in the UTF-8 view.
    const std::string right = "Первый абзац письма написан верно.\r\n\r\n";
    const std::string tail = "\r\n\r\nПоследний абзац тоже верный — «как и был».";
    const std::string mojibake = "РџСЂРёРІРµС‚, РєР°Рє РґРµР»Р°? Р’СЃС‘ С…РѕСЂРѕС€Рѕ, СЃРїР°СЃРёР±Рѕ.";
    ModalAnswers answers;
    answers.PressButton(IDOK);
    SetControlText(right + mojibake + tail);
    ShowView(kUtf8View);
    ClearUndo();
    Select(0, 0);
    Command(IDM_REPAIR_MOJIBAKE);
    EXPECT_EQ(ControlText(), right + "Привет, как дела? Всё хорошо, спасибо." + tail);
    EXPECT_EQ(CodePageIndex, kUtf8View);
    ASSERT_EQ(answers.Seen().size(), 1u);
    EXPECT_EQ(answers.Seen()[0].text,
              "Исправлено: текст в UTF-8 прочитан как 1251 и сохранён в UTF-8.\nИсправлено частей: 1 из 3"_ui);
    EXPECT_EQ(DocumentUndoJournal().RecordCount(), 1u);
    Command(IDM_UNDO);
    EXPECT_EQ(ControlText(), right + mojibake + tail);
}

TEST_F(RunTransformTest, RepairUndoesMojibakeInOneStepAndSaysWhatItUndid) {
    const std::string sentence = "Привет, как дела? Всё хорошо, спасибо.";
    const std::string koi8 = ConvertText(sentence, TextEncoding::Utf8, TextEncoding::Koi8R);
    const std::string ansi = ConvertText(sentence, TextEncoding::Utf8, TextEncoding::Cp1251);
    // UTF-8 read as 1251 and saved as UTF-8, in the UTF-8 view.
    const std::string mojibake = "РџСЂРёРІРµС‚, РєР°Рє РґРµР»Р°? Р’СЃС‘ С…РѕСЂРѕС€Рѕ, СЃРїР°СЃРёР±Рѕ.";
    ModalAnswers answers;
    for (int i = 0; i < 4; ++i) answers.PressButton(IDOK);
    SetControlText(mojibake);
    ShowView(kUtf8View);
    ClearUndo();
    Select(0, 0);
    Command(IDM_REPAIR_MOJIBAKE);
    EXPECT_EQ(ControlText(), sentence);
    EXPECT_EQ(CodePageIndex, kUtf8View);
    ASSERT_EQ(answers.Seen().size(), 1u);
    EXPECT_EQ(answers.Seen()[0].title, "VEMKO");
    EXPECT_EQ(answers.Seen()[0].text, "Исправлено: текст в UTF-8 прочитан как 1251 и сохранён в UTF-8."_ui);
    EXPECT_EQ(DocumentUndoJournal().RecordCount(), 1u);
    Command(IDM_UNDO);
    EXPECT_EQ(ControlText(), mojibake);

    // KOI8-R shown in the 1251 view ("рТЙЧЕФ"): its bytes stay and the view follows them; an undo
    // takes the view back.
    SetControlText(koi8);
    ShowView(kAnsi1251);
    ClearUndo();
    Select(0, 0);
    Command(IDM_REPAIR_MOJIBAKE);
    EXPECT_EQ(ControlText(), koi8);
    EXPECT_EQ(CodePageIndex, kKoi8R);
    ASSERT_EQ(answers.Seen().size(), 2u);
    EXPECT_EQ(answers.Seen()[1].text, "Исправлено: текст в KOI8-R прочитан как 1251."_ui);
    Command(IDM_UNDO);
    EXPECT_EQ(CodePageIndex, kAnsi1251);

    // A selection is written in the view's code page and the rest stays.
    SetControlText("ok " + koi8 + " ok");
    ClearUndo();
    Select(3, 3 + static_cast<LONG>(koi8.size()));
    Command(IDM_REPAIR_MOJIBAKE);
    EXPECT_EQ(ControlText(), "ok " + ansi + " ok");
    EXPECT_EQ(CodePageIndex, kAnsi1251);

    // A correct text is left as it is.
    SetControlText(ansi);
    Select(0, 0);
    Command(IDM_REPAIR_MOJIBAKE);
    EXPECT_EQ(ControlText(), ansi);
    ASSERT_EQ(answers.Seen().size(), 4u);
    EXPECT_EQ(answers.Seen()[3].text, "Исправлять нечего: текст читается верно."_ui);
}

TEST_F(RunTransformTest, RepairOfATextWithTwoReadingsAsksWhichAndCancelChangesNothing) {
    // 1251 read as Mac Cyrillic and saved as 1251 turned only the capital: "‘айл" is "Файл", or it
    // is Mac Cyrillic's "Сайл" shown in the 1251 view. The first line that is not blank shows each.
    const std::string blank = "\r\n  \r\n";
    const std::string text = blank + "‘айл не найден"_ui + "\r\nok\r\n";
    ModalAnswers answers;
    answers.CancelDialog();
    std::vector<std::string> lines;
    std::string chain;
    answers.AnswerWith([&](HWND dialog) {
        lines = ListBoxItems(GetDlgItem(dialog, IDC_REPAIR_READINGS));
        chain = ItemText(dialog, IDC_REPAIR_CHAIN);
        SendDlgItemMessageA(dialog, IDC_REPAIR_READINGS, LB_SETCURSEL, 1, 0);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    answers.PressButton(IDOK);
    SetControlText(text);
    ShowView(kAnsi1251);
    ClearUndo();
    Select(2, 2);
    Command(IDM_REPAIR_MOJIBAKE);
    EXPECT_EQ(ControlText(), text);
    EXPECT_EQ(Selected(), std::make_pair(2L, 2L));
    EXPECT_TRUE(DocumentUndoJournal().Empty());

    Command(IDM_REPAIR_MOJIBAKE);
    EXPECT_EQ(lines, (std::vector<std::string>{"Файл не найден"_ui, "Сайл не найден"_ui}));
    EXPECT_EQ(chain, "Что случилось: текст в 1251 прочитан как Mac и сохранён в 1251."_ui);
    EXPECT_EQ(ControlText(), blank + "Сайл не найден"_ui + "\r\nok\r\n");
    EXPECT_EQ(CodePageIndex, kAnsi1251);
    ASSERT_EQ(answers.Seen().size(), 3u);
    EXPECT_EQ(answers.Seen()[1].title, "Исправить кракозябры"_ui);
    EXPECT_EQ(answers.Seen()[2].text, "Исправлено: текст в Mac прочитан как 1251."_ui);
    EXPECT_EQ(answers.Unplanned(), "");
    EXPECT_EQ(DocumentUndoJournal().RecordCount(), 1u);
    Command(IDM_UNDO);
    EXPECT_EQ(ControlText(), text);
}

TEST_F(RunTransformTest, ReadSelectionAsWritesAPieceOfAnotherEncodingInTheViewsInOneUndoStep) {
    // A 1251 text with a line pasted from a DOS program (866) and one from a UTF-8 mail.
    const std::string oem = ConvertText("Привет из DOS", TextEncoding::Utf8, TextEncoding::Cp866);
    const std::string before = "Начало письма.\r\n"_ui, after = "\r\nКонец."_ui;
    const std::string text = before + oem + after;
    ModalAnswers answers;
    answers.PressButton(IDOK);
    std::vector<std::string> offered;
    const auto take = [&](int encoding) {
        answers.AnswerWith([&offered, encoding](HWND dialog) {
            offered = ListBoxItems(GetDlgItem(dialog, IDC_READ_AS_ENCODING));
            SendDlgItemMessageA(dialog, IDC_READ_AS_ENCODING, LB_SETCURSEL, encoding, 0);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
    };
    take(kOem866);
    answers.CancelDialog();
    take(static_cast<int>(TextEncoding::Utf8));
    SetControlText(text);
    ShowView(kAnsi1251);
    ClearUndo();
    // Nothing selected: the user is told, and nothing changes.
    Select(3, 3);
    Command(IDM_READ_SELECTION_AS);
    ASSERT_EQ(answers.Seen().size(), 1u);
    EXPECT_EQ(answers.Seen()[0].text, "Ничего не выделено: выделите часть текста, пришедшую в другой кодировке."_ui);
    EXPECT_EQ(ControlText(), text);

    const LONG start = static_cast<LONG>(before.size());
    Select(start, start + static_cast<LONG>(oem.size()));
    Command(IDM_READ_SELECTION_AS);
    EXPECT_EQ(offered, (std::vector<std::string>{"ANSI (1251)", "OEM (866)", "KOI8 R", "ISO", "MAC", "UTF-8", "UTF-16 LE",
                                                 "UTF-16 BE"}));
    EXPECT_EQ(ControlText(), before + "Привет из DOS"_ui + after);
    EXPECT_EQ(CodePageIndex, kAnsi1251);
    EXPECT_EQ(Selected(), std::make_pair(start, start + static_cast<LONG>(oem.size())));
    EXPECT_EQ(DocumentUndoJournal().RecordCount(), 1u);
    Command(IDM_UNDO);
    EXPECT_EQ(ControlText(), text);

    // Cancelled, nothing changes; by the charts the piece may change its length.
    const std::string utf8 = "Привет из почты";
    SetControlText(before + utf8 + after);
    ClearUndo();
    Select(start, start + static_cast<LONG>(utf8.size()));
    Command(IDM_READ_SELECTION_AS);
    EXPECT_EQ(ControlText(), before + utf8 + after);
    EXPECT_TRUE(DocumentUndoJournal().Empty());
    Command(IDM_READ_SELECTION_AS);
    EXPECT_EQ(ControlText(), before + "Привет из почты"_ui + after);
    EXPECT_EQ(DocumentUndoJournal().RecordCount(), 1u);
    Command(IDM_UNDO);
    EXPECT_EQ(ControlText(), before + utf8 + after);
    EXPECT_EQ(answers.Unplanned(), "");
}
