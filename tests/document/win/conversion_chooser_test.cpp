#include "document/win/conversion_chooser.h"

#include <richedit.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/settings.h"
#include "base/ui_text.h"
#include "base/win/program.h"
#include "encoding/text_encoding.h"
#include "control/win/editor_control.h"
#include "document/win/editor_window.h"
#include "document/win/program_document.h"
#include "document/win/view_code_page.h"
#include "encoding/code_page_tables.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/editor_text.h"
#include "support/win/settings_key.h"

namespace {

const std::string kKoi8Hello = "\xF0\xD2\xC9\xD7\xC5\xD4, \xCD\xC9\xD2";
const std::string kAnsiHello = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0";

// What the test does with the chooser once it shows, from a timer inside the dialog's modal loop.
std::function<void(HWND)> dialogAction;
bool dialogSeen = false;
// A dialog that the action did not close is cancelled after a while, so a fault fails the test
// instead of hanging it.
HWND openDialog = nullptr;
bool dialogLeftOpen = false;
UINT_PTR watchdog = 0;

BOOL CALLBACK FindChooser(HWND window, LPARAM found) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK CloseLeftOpen(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    watchdog = 0;
    if (!IsWindow(openDialog)) return;
    dialogLeftOpen = true;
    PostMessageA(openDialog, WM_COMMAND, IDCANCEL, 0);
}

void CALLBACK ActOnChooser(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindChooser, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, timer);
    dialogSeen = true;
    openDialog = dialog;
    watchdog = SetTimer(nullptr, 0, 3000, CloseLeftOpen);
    dialogAction(dialog);
}

// Runs command 27 through the main window; the action sees the dialog while it is open.
void RunChooser(std::function<void(HWND)> action) {
    dialogAction = std::move(action);
    dialogSeen = false;
    dialogLeftOpen = false;
    SetTimer(nullptr, 0, 30, ActOnChooser);
    SendMessageA(MainWindow, WM_COMMAND, IDM_CONVERSION_CHOOSER, 0);
    if (watchdog) KillTimer(nullptr, watchdog);
    watchdog = 0;
}

std::string ListItem(HWND list, int index) {
    char text[32] = {};
    SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

class ConversionChooserTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(StartTestApplication(), nullptr);
        ASSERT_NE(EditorControl, nullptr);
        ClearUndo();
        SetWindowTextA(EditorControl, kKoi8Hello.c_str());
        CodePageIndex = kOem866;
        ApplyViewCodePage();
    }
    void TearDown() override { CloseTestApplication(); }

    SettingsKeySnapshot keep_;
};

TEST_F(ConversionChooserTest, ConvertsTheChosenPairIgnoringTheViewAndRemembersIt) {
    WriteSettingDword("CP1", 3);
    WriteSettingDword("CP2", 4);
    Select(3, 3);
    std::string caption;
    LRESULT offeredSource = -1, offeredTarget = -1;
    std::string names[6];
    RunChooser([&](HWND dialog) {
        caption = WindowText(dialog);
        HWND source = GetDlgItem(dialog, IDC_SOURCE_CODE_PAGE);
        HWND target = GetDlgItem(dialog, IDC_TARGET_CODE_PAGE);
        offeredSource = SendMessageA(source, LB_GETCURSEL, 0, 0);
        offeredTarget = SendMessageA(target, LB_GETCURSEL, 0, 0);
        for (int i = 0; i < 6; ++i) names[i] = ListItem(target, i);
        SendMessageA(source, LB_SETCURSEL, kKoi8R, 0);
        SendMessageA(target, LB_SETCURSEL, kAnsi1251, 0);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    ASSERT_TRUE(dialogSeen);
    EXPECT_FALSE(dialogLeftOpen);
    EXPECT_EQ(caption, "Кодировки"_ui);
    EXPECT_EQ(offeredSource, 3);
    EXPECT_EQ(offeredTarget, 4);
    EXPECT_EQ(names[0], "ANSI (1251)");
    EXPECT_EQ(names[1], "OEM (866)");
    EXPECT_EQ(names[2], "KOI8 R");
    EXPECT_EQ(names[3], "ISO");
    EXPECT_EQ(names[4], "MAC");
    EXPECT_EQ(names[5], "UTF-8");

    // Nothing was selected: the whole text is converted, the caret comes back, the view stays.
    EXPECT_EQ(ControlText(), kAnsiHello);
    EXPECT_EQ(CodePageIndex, kOem866);
    EXPECT_EQ(SendMessageA(EditorControl, EM_GETVIEWCODEPAGE, 0, 0), kOem866);
    EXPECT_EQ(Selection().cpMin, 3);
    EXPECT_EQ(Selection().cpMax, 3);
    EXPECT_EQ(ReadSettingDword("CP1", 99), 2u);
    EXPECT_EQ(ReadSettingDword("CP2", 99), 0u);
    ASSERT_EQ(DocumentUndoJournal().RecordCount(), 1u);
    EXPECT_EQ(DocumentUndoJournal().Newest()->kind, UndoKind::ReplaceRange);
    UndoLast();
    EXPECT_EQ(ControlText(), kKoi8Hello);

    // The same code page on both sides still converts (through 866 and back) and records an entry.
    RunChooser([&](HWND dialog) {
        SendDlgItemMessageA(dialog, IDC_SOURCE_CODE_PAGE, LB_SETCURSEL, kKoi8R, 0);
        SendDlgItemMessageA(dialog, IDC_TARGET_CODE_PAGE, LB_SETCURSEL, kKoi8R, 0);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_FALSE(dialogLeftOpen);
    EXPECT_EQ(ControlText(), kKoi8Hello);
    ASSERT_EQ(DocumentUndoJournal().RecordCount(), 1u);
    EXPECT_EQ(DocumentUndoJournal().Newest()->kind, UndoKind::ReplaceRange);
    EXPECT_EQ(ReadSettingDword("CP1", 99), 2u);
    EXPECT_EQ(ReadSettingDword("CP2", 99), 2u);

    // UTF-8 as the target: the whole text by the charts, the view following; back again as the source.
    const std::string utf8Hello = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80";
    ClearUndo();
    RunChooser([&](HWND dialog) {
        SendDlgItemMessageA(dialog, IDC_SOURCE_CODE_PAGE, LB_SETCURSEL, kKoi8R, 0);
        SendDlgItemMessageA(dialog, IDC_TARGET_CODE_PAGE, LB_SETCURSEL, static_cast<int>(TextEncoding::Utf8), 0);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(ControlText(), utf8Hello);
    EXPECT_EQ(CodePageIndex, kUtf8View);
    EXPECT_EQ(ReadSettingDword("CP2", 99), 5u);
    RunChooser([&](HWND dialog) {
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_TARGET_CODE_PAGE, LB_GETCURSEL, 0, 0), static_cast<int>(TextEncoding::Utf8));
        SendDlgItemMessageA(dialog, IDC_SOURCE_CODE_PAGE, LB_SETCURSEL, static_cast<int>(TextEncoding::Utf8), 0);
        SendDlgItemMessageA(dialog, IDC_TARGET_CODE_PAGE, LB_SETCURSEL, kAnsi1251, 0);
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(ControlText(), kAnsiHello);
    EXPECT_EQ(CodePageIndex, kAnsi1251);
    EXPECT_EQ(DocumentUndoJournal().RecordCount(), 1u);
    UndoLast();
    EXPECT_EQ(ControlText(), kKoi8Hello);
    EXPECT_EQ(CodePageIndex, kOem866);
}

TEST_F(ConversionChooserTest, EscapeClosesWithoutConvertingOrWritingAndAStoredValueOutOfRangeOffersTheFirst) {
    WriteSettingDword("CP1", 9);
    WriteSettingDword("CP2", 1);
    LRESULT offeredSource = -1, offeredTarget = -1;
    RunChooser([&](HWND dialog) {
        offeredSource = SendDlgItemMessageA(dialog, IDC_SOURCE_CODE_PAGE, LB_GETCURSEL, 0, 0);
        offeredTarget = SendDlgItemMessageA(dialog, IDC_TARGET_CODE_PAGE, LB_GETCURSEL, 0, 0);
        // Esc in the focused list: the dialog's own loop turns it into IDCANCEL.
        HWND focus = GetFocus();
        PostMessageA(focus ? focus : dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageA(focus ? focus : dialog, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    });
    ASSERT_TRUE(dialogSeen);
    EXPECT_FALSE(dialogLeftOpen);
    EXPECT_EQ(offeredSource, 0);
    EXPECT_EQ(offeredTarget, 1);
    EXPECT_EQ(ControlText(), kKoi8Hello);
    EXPECT_EQ(ReadSettingDword("CP1", 99), 9u);
    EXPECT_EQ(ReadSettingDword("CP2", 99), 1u);
    EXPECT_TRUE(DocumentUndoJournal().Empty());
}

}  // namespace
