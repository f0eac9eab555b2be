#include "support/win/document_fixture.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

std::string Lines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "line " + std::to_string(i) + " \xE0\xE1\xE2 \x80\xA0\xB0 \xC1\xD2\r\n";
    return text;
}

LONG FontHeight() {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    SendMessageA(EditorControl, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    return format.yHeight;
}

std::string ActiveLayoutName() {
    char name[KL_NAMELENGTH] = {};
    GetKeyboardLayoutNameA(name);
    return name;
}

}  // namespace

using ViewCodePage = DocumentTest;

TEST_F(ViewCodePage, SwitchingTheViewKeepsBytesSelectionModifiedFlagAndTopLine) {
    const std::string text = Lines(400);
    SetControlText(text, false);
    SendMessageA(EditorControl, EM_LINESCROLL, 0, 120);
    const LRESULT top = SendMessageA(EditorControl, EM_GETFIRSTVISIBLELINE, 0, 0);
    ASSERT_GT(top, 0);
    // A selection on the screen, a few lines below the top.
    const auto selectionStart = static_cast<LONG>(SendMessageA(EditorControl, EM_LINEINDEX, top + 3, 0)) + 2;
    SendMessageA(EditorControl, EM_SETSEL, selectionStart, selectionStart + 10);
    ASSERT_EQ(SendMessageA(EditorControl, EM_GETFIRSTVISIBLELINE, 0, 0), top);

    for (bool modified : {false, true}) {
        SendMessageA(EditorControl, EM_SETMODIFY, modified, 0);
        for (UINT command : {IDM_VIEW_OEM, IDM_VIEW_KOI8, IDM_VIEW_KOI8, IDM_VIEW_ANSI}) {
            SelectViewCodePage(command);
            EXPECT_EQ(CodePageIndex, command - IDM_VIEW_ANSI);
            EXPECT_EQ(ControlText(), text);
            EXPECT_EQ(Selection().cpMin, selectionStart);
            EXPECT_EQ(Selection().cpMax, selectionStart + 10);
            EXPECT_EQ(Modified(), modified);
            EXPECT_EQ(SendMessageA(EditorControl, EM_GETFIRSTVISIBLELINE, 0, 0), top);
            EXPECT_EQ(StatusText(2), CodePageNames[command - IDM_VIEW_ANSI]);
        }
    }
}

namespace {

// Moves the view's first line to `after` while the view code page changes, as a font of another
// height or a line index in other units can.
struct TopLineMover final : DocumentWatcher {
    std::size_t after = 0;
    void OnViewChanged() noexcept override { ProgramDocument().Editing().ScrollTo(after, 0); }
};

}  // namespace

TEST_F(ViewCodePage, OnlyATopLineThatMovedDownIsScrolledBack) {
    SetControlText(Lines(400), false);
    const std::pair<std::size_t, std::size_t> moves[] = {{40, 50}, {50, 40}, {40, 40}};
    for (auto [before, after] : moves) {
        SelectViewCodePage(IDM_VIEW_ANSI);
        SendMessageA(EditorControl, EM_LINESCROLL, 0, static_cast<LPARAM>(before) - SendMessageA(EditorControl, EM_GETFIRSTVISIBLELINE, 0, 0));
        ASSERT_EQ(SendMessageA(EditorControl, EM_GETFIRSTVISIBLELINE, 0, 0), static_cast<LRESULT>(before));
        // The caret on a line that both tops show, so that putting the selection back scrolls nothing.
        const auto caret = static_cast<LPARAM>(SendMessageA(EditorControl, EM_LINEINDEX, std::max(before, after) + 1, 0));
        SendMessageA(EditorControl, EM_SETSEL, caret, caret);
        ASSERT_EQ(SendMessageA(EditorControl, EM_GETFIRSTVISIBLELINE, 0, 0), static_cast<LRESULT>(before));
        TopLineMover mover;
        mover.after = after;
        ProgramDocument().AddWatcher(&mover);
        SelectViewCodePage(IDM_VIEW_OEM);
        ProgramDocument().RemoveWatcher(&mover);
        EXPECT_EQ(SendMessageA(EditorControl, EM_GETFIRSTVISIBLELINE, 0, 0),
                  static_cast<LRESULT>(after > before ? before : after))
            << before << " to " << after;
    }
}

TEST_F(ViewCodePage, EachViewHasItsOwnFontAndReselectingShowsAChangedSetting) {
    WriteSettingDword("SizeW", 240);
    WriteSettingDword("SizeD", 300);
    WriteSettingString("FontD", "Terminal");
    SelectViewCodePage(IDM_VIEW_OEM);
    EXPECT_EQ(FontHeight(), 300);
    SelectViewCodePage(IDM_VIEW_ANSI);
    EXPECT_EQ(FontHeight(), 240);
    WriteSettingDword("SizeW", 260);
    SelectViewCodePage(IDM_VIEW_ANSI);
    EXPECT_EQ(FontHeight(), 260);
}

TEST_F(ViewCodePage, SizeCommandsGoByOnePointAndStopAtTheBounds) {
    struct Case {
        UINT command;
        std::uint32_t start;
        std::vector<std::uint32_t> steps;
    };
    for (const Case& c : {Case{IDM_SIZE_UP, 500, {520, 520}}, Case{IDM_SIZE_DOWN, 100, {80, 80}},
                          Case{IDM_SIZE_UP, 510, {530, 530}}, Case{IDM_SIZE_DOWN, 90, {70, 70}}}) {
        WriteSettingDword("SizeK", c.start);
        SelectViewCodePage(IDM_VIEW_KOI8);
        for (std::uint32_t expected : c.steps) {
            ChangeViewFontSize(c.command);
            EXPECT_EQ(ReadSettingDword("SizeK", 0), expected) << "from " << c.start;
            EXPECT_EQ(FontHeight(), static_cast<LONG>(expected));
        }
    }
    // Without a stored size the commands start from 200; other views keep theirs.
    WriteSettingDword("SizeW", 300);
    SelectViewCodePage(IDM_VIEW_OEM);
    ChangeViewFontSize(IDM_SIZE_UP);
    EXPECT_EQ(ReadSettingDword("SizeD", 0), 220u);
    EXPECT_EQ(ReadSettingDword("SizeW", 0), 300u);
}

TEST_F(ViewCodePage, TheKeyboardLayoutSurvivesAViewChangeAndIsShownByName) {
    HKL russian = LoadKeyboardLayoutA("00000419", KLF_ACTIVATE);
    ASSERT_NE(russian, nullptr);
    ASSERT_EQ(ActiveLayoutName(), "00000419");
    ShowKeyboardLayout();
    EXPECT_EQ(StatusText(1), "RU");
    for (UINT command : {IDM_VIEW_OEM, IDM_VIEW_KOI8, IDM_VIEW_ANSI}) {
        SelectViewCodePage(command);
        EXPECT_EQ(ActiveLayoutName(), "00000419");
    }

    // Wine keeps the layout of the system's locale whatever is loaded; where a switch takes effect
    // the other names are checked too.
    if (LoadKeyboardLayoutA("00000409", KLF_ACTIVATE) && ActiveLayoutName() == "00000409") {
        ShowKeyboardLayout();
        EXPECT_EQ(StatusText(1), "EN");
    }
    if (LoadKeyboardLayoutA("00000407", KLF_ACTIVATE) && ActiveLayoutName() == "00000407") {
        ShowKeyboardLayout();
        EXPECT_EQ(StatusText(1), "00000407");
    }
    ActivateKeyboardLayout(russian, 0);
}

TEST_F(ViewCodePage, AViewChangeIsNotUndoableInTheControl) {
    SetControlText("text", false);
    SendMessageA(EditorControl, EM_SETSEL, 4, 4);
    SendMessageA(EditorControl, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("!"));
    ASSERT_TRUE(SendMessageA(EditorControl, EM_CANUNDO, 0, 0));
    SelectViewCodePage(IDM_VIEW_OEM);
    EXPECT_FALSE(SendMessageA(EditorControl, EM_CANUNDO, 0, 0));
    EXPECT_EQ(ControlText(), "text!");
}
