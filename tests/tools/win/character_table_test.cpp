// The character table on the real window: the dialog is worked from a timer inside its modal loop,
// as a user would, and its bytes go into the editor control and onto the clipboard.
#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "base/ui_text.h"
#include "base/win/program.h"
#include "base/win/screen_scale.h"
#include "control/win/editor_control.h"
#include "document/win/editor_window.h"
#include "document/win/program_document.h"
#include "document/win/document_files.h"
#include "document/win/view_code_page.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/application_fixture.h"
#include "support/win/clipboard_contents.h"
#include "support/win/dialog_fit.h"
#include "support/win/editor_text.h"
#include "support/win/modal_answers.h"
#include "support/win/settings_key.h"
#include "tools/character_table.h"

namespace {

HWND Table(HWND dialog) { return GetDlgItem(dialog, IDC_CHARACTER_TABLE); }

void SelectCells(HWND dialog, std::uint8_t first, std::uint8_t last) {
    Select(Table(dialog), CharacterTablePosition(first), CharacterTablePosition(last) + 1);
}

// A key pressed in the dialog goes through the dialog manager as in the dialog's own loop.
void PressKey(HWND dialog, WPARAM key) {
    PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageA(GetFocus(), WM_KEYUP, key, 0xC0000001);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (IsDialogMessageA(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Another thread holds the clipboard open while it lives, as a clipboard viewer might.
class ClipboardHeldElsewhere {
public:
    ClipboardHeldElsewhere() {
        opened_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, Hold, this, 0, nullptr);
        WaitForSingleObject(opened_, 5000);
    }
    ~ClipboardHeldElsewhere() {
        SetEvent(release_);
        WaitForSingleObject(thread_, 5000);
        for (HANDLE handle : {thread_, opened_, release_}) CloseHandle(handle);
    }
    bool Held() const { return held_; }

private:
    static DWORD WINAPI Hold(void* self) {
        auto* holder = static_cast<ClipboardHeldElsewhere*>(self);
        holder->held_ = OpenClipboard(nullptr) != FALSE;
        SetEvent(holder->opened_);
        WaitForSingleObject(holder->release_, 10000);
        if (holder->held_) CloseClipboard();
        return 0;
    }
    HANDLE opened_, release_, thread_;
    volatile bool held_ = false;
};

class CharacterTableTest : public ApplicationTest {
protected:

    // Opens the table by its command; `work` runs while it is open, and whatever it leaves open is
    // closed. Returns whether the dialog was there to work.
    bool WithTable(std::function<void(HWND)> work) {
        bool seen = false;
        answers_.AnswerWith([&](HWND dialog) {
            seen = true;
            work(dialog);
            if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        SendMessageA(MainWindow, WM_COMMAND, IDM_CHARACTER_TABLE, 0);
        return seen;
    }

    ModalAnswers answers_;
};

}  // namespace

TEST_F(CharacterTableTest, TheTableShowsEveryByteFromSpaceUpInTheViewAndFontOfTheText) {
    ShowView(1);
    CHARFORMATA text{};
    text.cbSize = sizeof text;
    SendMessageA(EditorControl, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&text));
    ASSERT_TRUE(WithTable([&](HWND dialog) {
        EXPECT_EQ(WindowText(dialog), "Таблица символов"_ui);
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), MainWindow) << "owned by the main window";
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDOK)), "Копировать напрямую"_ui);
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_COPY_CHARACTERS)), "Копировать"_ui);
        EXPECT_EQ(WindowText(GetDlgItem(dialog, IDCANCEL)), "Закрыть"_ui);
        HWND table = Table(dialog);
        EXPECT_EQ(WindowText(table), CharacterTableText());
        EXPECT_EQ(SendMessageA(table, EM_GETVIEWCODEPAGE, 0, 0), 1);
        EXPECT_TRUE(GetWindowLongPtrA(table, GWL_STYLE) & ES_READONLY);
        CHARFORMATA format{};
        format.cbSize = sizeof format;
        SendMessageA(table, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        EXPECT_STREQ(format.szFaceName, text.szFaceName);
        EXPECT_EQ(format.yHeight, text.yHeight);
        EXPECT_EQ(format.bCharSet, text.bCharSet);
        EXPECT_EQ(format.dwEffects & (CFE_BOLD | CFE_ITALIC), text.dwEffects & (CFE_BOLD | CFE_ITALIC));
        // Typing into the table changes nothing.
        SetFocus(table);
        SendMessageA(table, WM_CHAR, 'x', 0);
        EXPECT_EQ(WindowText(table), CharacterTableText());
    }));
    EXPECT_EQ(ControlText(), "");
}

// Run at 96 dpi and again on a 150 % screen: the cells keep the text's point size, so their rows are
// as far apart as that size in the pixels of the table's monitor (a font made for another DPI is
// two thirds or half as tall again), and the dialog as it opens shows every control whole.
TEST_F(CharacterTableTest, TheCellsKeepTheTextsPointSizeAtTheScreensScale) {
    CHARFORMATA twelvePoints{};
    twelvePoints.cbSize = sizeof twelvePoints;
    twelvePoints.dwMask = CFM_SIZE;
    twelvePoints.yHeight = 240;
    SendMessageA(EditorControl, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&twelvePoints));
    ASSERT_TRUE(WithTable([&](HWND dialog) {
        for (const std::string& fault : ControlsNotShownWhole(dialog)) ADD_FAILURE() << fault;
        HWND table = Table(dialog);
        CHARFORMATA format{};
        format.cbSize = sizeof format;
        SendMessageA(table, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        EXPECT_EQ(format.yHeight, 240);
        const int dpi = WindowDpi(table);
        const int em = MulDiv(format.yHeight, dpi, 1440);
        POINTL first{}, second{};
        SendMessageA(table, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&first), CharacterTablePosition(0x20));
        SendMessageA(table, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&second), CharacterTablePosition(0x40));
        const int pitch = second.y - first.y;
        EXPECT_GE(pitch, em) << dpi << " dpi";
        EXPECT_LE(pitch, em * 3 / 2) << dpi << " dpi";
        std::printf("%d dpi: rows %d pixels apart for %ld twips\n", dpi, pitch, format.yHeight);
    }));
}

TEST_F(CharacterTableTest, CopyDirectlyInsertsTheSelectedBytesAndTheTableStaysOpen) {
    SetControlText("[XY]");
    Select(EditorControl, 1, 3);
    ASSERT_TRUE(WithTable([&](HWND dialog) {
        // An empty selection does nothing.
        Select(Table(dialog), 5, 5);
        Click(dialog, IDOK);
        EXPECT_EQ(ControlText(), "[XY]");

        SelectCells(dialog, 'A', 'A');
        Click(dialog, IDOK);
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(GetFocus(), Table(dialog)) << "back in the table for the next";
        EXPECT_EQ(ControlText(), "[A]");

        // Across a row's end the line break comes along; Enter is the same button.
        SelectCells(dialog, 0x3F, 0x40);
        PressKey(dialog, VK_RETURN);
        EXPECT_TRUE(IsWindow(dialog));
        EXPECT_EQ(ControlText(), "[A?\r\n@]");
        PressKey(dialog, VK_ESCAPE);
    }));
    EXPECT_EQ(ControlText(), "[A?\r\n@]");
    // One undo step per insertion, the first giving the selection back.
    UndoLast();
    EXPECT_EQ(ControlText(), "[A]");
    UndoLast();
    EXPECT_EQ(ControlText(), "[XY]");
    EXPECT_TRUE(DocumentUndoJournal().Empty());
}

TEST_F(CharacterTableTest, CopyPutsTheBytesOnTheClipboardInTheViewsFormInsertsThemAndCloses) {
    // KOI8-R: the letter а (0xC1) goes onto the clipboard as its 866 code, as OEM text.
    ShowView(2);
    ASSERT_TRUE(PutOnClipboard("before"));
    HWND seenDialog = nullptr;
    ASSERT_TRUE(WithTable([&](HWND dialog) {
        seenDialog = dialog;
        Select(Table(dialog), 0, 0);
        Click(dialog, IDC_COPY_CHARACTERS);
        EXPECT_EQ(ClipboardBytes(CF_TEXT), "before") << "nothing selected, nothing copied";
        SelectCells(dialog, 0xC1, 0xC2);
        Click(dialog, IDC_COPY_CHARACTERS);
    }));
    EXPECT_FALSE(IsWindow(seenDialog));
    EXPECT_EQ(ClipboardBytes(CF_OEMTEXT), "\xA0\xA1");
    EXPECT_EQ(ControlText(), "\xC1\xC2");
    UndoLast();
    EXPECT_EQ(ControlText(), "");

    // ANSI: plain text as it stands.
    ShowView(0);
    ASSERT_TRUE(WithTable([&](HWND dialog) {
        SelectCells(dialog, 0xE0, 0xE0);
        Click(dialog, IDC_COPY_CHARACTERS);
    }));
    EXPECT_EQ(ClipboardBytes(CF_TEXT), "\xE0");
    EXPECT_EQ(ControlText(), "\xE0");
}

TEST_F(CharacterTableTest, WhenTheClipboardCannotBeOpenedCopyStillInsertsAndCloses) {
    ASSERT_TRUE(PutOnClipboard("kept"));
    {
        ClipboardHeldElsewhere holder;
        if (!holder.Held()) GTEST_SKIP() << "the clipboard could not be held";
        ASSERT_TRUE(WithTable([&](HWND dialog) {
            SelectCells(dialog, 'Z', 'Z');
            Click(dialog, IDC_COPY_CHARACTERS);
        }));
    }
    EXPECT_EQ(ControlText(), "Z");
    EXPECT_EQ(ClipboardBytes(CF_TEXT), "kept");
}
