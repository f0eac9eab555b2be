// The options dialog on the real main window: opened by its menu command, filled in and answered
// from a timer inside its modal loop, as a user would.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <functional>
#include <string>

#include "app/win/application.h"
#include "base/settings.h"
#include "base/ui_text.h"
#include "base/win/program.h"
#include "base/win/shown_text.h"
#include "appearance/win/options_dialog.h"
#include "document/win/document_files.h"
#include "document/win/editor_window.h"
#include "base/win/registry_settings.h"
#include "app/win/status_bar.h"
#include "app/win/toolbar.h"
#include "document/win/program_document.h"
#include "document/win/recovery_keeper.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/dialog_fit.h"
#include "support/win/modal_answers.h"
#include "support/win/settings_key.h"

namespace {

constexpr int kCheckBoxes[] = {IDC_SHOW_TOOLBAR,         IDC_SHOW_STATUS_BAR, IDC_BIG_BUTTONS, IDC_UNDO_JOURNAL,
                               IDC_REMEMBER_WINDOW_SIZE, IDC_REMEMBER_CARET,  IDC_IGNORE_LINE_BREAKS,
                               IDC_RECOVERY_COPY};

void SetTicked(HWND dialog, int id, bool on) {
    if (Ticked(dialog, id) != on) SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
}

bool Stored(const char* name) {
    DWORD type = 0;
    std::string data;
    return ReadRawSetting(name, &type, &data);
}

int ToolBarImageHeight() {
    int width = 0, height = 0;
    ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageA(ToolBar, TB_GETIMAGELIST, 0, 0)), &width, &height);
    return height;
}

RECT EditorRectInClient() {
    RECT rectangle;
    GetWindowRect(EditorControl, &rectangle);
    MapWindowPoints(nullptr, MainWindow, reinterpret_cast<POINT*>(&rectangle), 2);
    return rectangle;
}

void TypeIntoControl(const char* text) {
    for (const char* c = text; *c; ++c) SendMessageA(EditorControl, WM_CHAR, static_cast<unsigned char>(*c), 0);
}

struct OptionsDialogTest : testing::Test {
    SettingsKeySnapshot snapshot;
    ModalAnswers answers;

    void SetUp() override {
        ClearSettingsKey();
        InstallRegistrySettings();
    }
    void TearDown() override { CloseTestApplication(); }

    // Opens the dialog by its command; `fill` changes it and the button ends it.
    void RunDialog(std::function<void(HWND)> fill, int button) {
        answers.AnswerWith([fill, button](HWND dialog) {
            fill(dialog);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
        });
        SendMessageA(MainWindow, WM_COMMAND, IDM_OPTIONS, 0);
        // The layout is posted.
        PumpMessages();
        EXPECT_EQ(answers.Unanswered(), 0u);
        for (const SeenModal& seen : answers.Seen()) EXPECT_FALSE(seen.unexpected) << seen.title;
    }
};

TEST_F(OptionsDialogTest, AFreshInstallationShowsItsDefaultsAndCancelWritesNothing) {
    ASSERT_NE(StartTestApplication(), nullptr);
    HWND toolBar = ToolBar;
    HWND statusBar = StatusBar;
    ASSERT_NE(toolBar, nullptr);
    ASSERT_NE(statusBar, nullptr);
    RunDialog(
        [](HWND dialog) {
            EXPECT_EQ(WindowText(dialog), "Параметры"_ui);
            EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0)), Program().smallIcon);
            EXPECT_TRUE(Ticked(dialog, IDC_SHOW_TOOLBAR));
            EXPECT_TRUE(Ticked(dialog, IDC_SHOW_STATUS_BAR));
            EXPECT_FALSE(Ticked(dialog, IDC_BIG_BUTTONS));
            EXPECT_TRUE(Ticked(dialog, IDC_UNDO_JOURNAL));
            EXPECT_TRUE(Ticked(dialog, IDC_REMEMBER_WINDOW_SIZE));
            EXPECT_TRUE(Ticked(dialog, IDC_REMEMBER_CARET));
            EXPECT_TRUE(Ticked(dialog, IDC_RECOVERY_COPY));
            EXPECT_EQ(ItemText(dialog, IDC_RECOVERY_COPY), "Копия для восстановления"_ui);
            // Ticked while "IG" is missing, though alignment reads a missing "IG" as clear.
            EXPECT_TRUE(Ticked(dialog, IDC_IGNORE_LINE_BREAKS));
            EXPECT_EQ(ItemText(dialog, IDC_FIRST_LINE_INDENT), "0");
            EXPECT_EQ(ItemText(dialog, IDC_LEFT_INDENT), "0");
            EXPECT_EQ(ItemText(dialog, IDC_RIGHT_MARGIN), "80");
            EXPECT_EQ(ItemText(dialog, IDC_UNDO_JOURNAL), "Отмена правки"_ui);
            EXPECT_EQ(ItemText(dialog, IDC_IGNORE_LINE_BREAKS), "Игнорировать перевод строки"_ui);
            EXPECT_EQ(ItemText(dialog, IDOK), "ОК"_ui);
            // Each edit has its up-down beside it, with the range of its setting.
            for (int upDown : {IDC_FIRST_LINE_INDENT_UPDOWN, IDC_LEFT_INDENT_UPDOWN, IDC_RIGHT_MARGIN_UPDOWN}) {
                HWND control = GetDlgItem(dialog, upDown);
                ASSERT_NE(control, nullptr) << upDown;
                EXPECT_TRUE(IsWindowVisible(control));
                EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(control, UDM_GETBUDDY, 0, 0)),
                          GetDlgItem(dialog, upDown - 1));
            }
            EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_RIGHT_MARGIN_UPDOWN, UDM_GETRANGE, 0, 0), MAKELONG(128, 10));
            EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_LEFT_INDENT_UPDOWN, UDM_GETRANGE, 0, 0), MAKELONG(80, 0));
            EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_FIRST_LINE_INDENT_UPDOWN, UDM_GETRANGE, 0, 0), MAKELONG(80, 0));
            // Everything changed, then cancelled.
            for (int box : kCheckBoxes) SendDlgItemMessageA(dialog, box, BM_CLICK, 0, 0);
            SetDlgItemTextA(dialog, IDC_RIGHT_MARGIN, "40");
        },
        IDCANCEL);
    EXPECT_EQ(ToolBar, toolBar);
    EXPECT_EQ(StatusBar, statusBar);
    for (const char* name : {"ST", "TL", "BIG", "NO", "AU", "RP", "IG", "LI", "RI", "FI", "RC"})
        EXPECT_FALSE(Stored(name)) << name;
}

// Each check box shows its whole text beside its box, every control lies inside the dialog and none
// covers another, at the scaling the test runs with: the dialog as it opens, the up-down controls
// made beside their edits.
TEST_F(OptionsDialogTest, EveryControlAndCheckBoxTextFitsTheDialog) {
    ASSERT_NE(StartTestApplication(), nullptr);
    RunDialog(
        [](HWND dialog) {
            for (const std::string& fault : ControlsNotShownWhole(dialog)) ADD_FAILURE() << fault;
        },
        IDCANCEL);
}

TEST_F(OptionsDialogTest, TheRecoveryCopySwitchIsStored) {
    ASSERT_NE(StartTestApplication(), nullptr);
    ASSERT_TRUE(RecoveryCopyWanted());
    RunDialog([](HWND dialog) { SetTicked(dialog, IDC_RECOVERY_COPY, false); }, IDOK);
    EXPECT_EQ(ReadSettingDword("RC", 7), 0u);
    EXPECT_FALSE(RecoveryCopyWanted());
    RunDialog([](HWND dialog) { EXPECT_FALSE(Ticked(dialog, IDC_RECOVERY_COPY)); SetTicked(dialog, IDC_RECOVERY_COPY, true); }, IDOK);
    EXPECT_EQ(ReadSettingDword("RC", 7), 1u);
}

TEST_F(OptionsDialogTest, TheStatusBarGoesAtOnceAndComesBackWithCaretAndMode) {
    ASSERT_NE(StartTestApplication(), nullptr);
    ASSERT_NE(StatusBar, nullptr);
    SendMessageA(EditorControl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("one\r\ntwo"));
    SendMessageA(EditorControl, EM_SETSEL, 7, 7);
    ShowCaretPosition();

    RunDialog([](HWND dialog) { SetTicked(dialog, IDC_SHOW_STATUS_BAR, false); }, IDOK);
    EXPECT_EQ(StatusBar, nullptr);
    EXPECT_EQ(ReadSettingDword("ST", 7), 0u);
    RECT client;
    GetClientRect(MainWindow, &client);
    EXPECT_EQ(EditorRectInClient().bottom, client.bottom) << "the editor takes the status bar's room";

    ProgramDocument().SetOverwrite(true);
    RunDialog(
        [](HWND dialog) {
            EXPECT_FALSE(Ticked(dialog, IDC_SHOW_STATUS_BAR));
            SetTicked(dialog, IDC_SHOW_STATUS_BAR, true);
        },
        IDOK);
    ASSERT_NE(StatusBar, nullptr);
    EXPECT_EQ(ReadSettingDword("ST", 7), 1u);
    EXPECT_EQ(StatusBarPart(0), "   3:2");
    EXPECT_EQ(StatusBarPart(2), "ANSI (1251)");
    EXPECT_EQ(StatusBarPart(kEditModePart), "Замена"_ui);
    RECT status;
    GetWindowRect(StatusBar, &status);
    EXPECT_EQ(EditorRectInClient().bottom, client.bottom - (status.bottom - status.top));
    ProgramDocument().SetOverwrite(false);
}

TEST_F(OptionsDialogTest, BigButtonsRebuildTheToolBarAndAHiddenToolBarGivesTheEditorItsRoom) {
    ASSERT_NE(StartTestApplication(), nullptr);
    ASSERT_NE(ToolBar, nullptr);
    EXPECT_EQ(ToolBarImageHeight(), 16);

    RunDialog([](HWND dialog) { SetTicked(dialog, IDC_BIG_BUTTONS, true); }, IDOK);
    ASSERT_NE(ToolBar, nullptr);
    EXPECT_TRUE(Program().switches.bigButtons);
    EXPECT_EQ(ReadSettingDword("BIG", 7), 1u);
    EXPECT_EQ(ToolBarImageHeight(), 24);
    RECT bar;
    GetWindowRect(ToolBar, &bar);
    EXPECT_EQ(EditorRectInClient().top, bar.bottom - bar.top);

    RunDialog(
        [](HWND dialog) {
            EXPECT_TRUE(Ticked(dialog, IDC_BIG_BUTTONS));
            SetTicked(dialog, IDC_SHOW_TOOLBAR, false);
        },
        IDOK);
    EXPECT_EQ(ToolBar, nullptr);
    EXPECT_EQ(ReadSettingDword("TL", 7), 0u);
    EXPECT_EQ(EditorRectInClient().top, 0);

    // A toolbar shown by the customisation only is ticked, and OK keeps it.
    CreateToolBar();
    RunDialog([](HWND dialog) { EXPECT_TRUE(Ticked(dialog, IDC_SHOW_TOOLBAR)); }, IDOK);
    EXPECT_NE(ToolBar, nullptr);
    EXPECT_EQ(ReadSettingDword("TL", 7), 1u);
}

TEST_F(OptionsDialogTest, SwitchingTheJournalOffDiscardsItsEntriesAndUndoBecomesTheControls) {
    ASSERT_NE(StartTestApplication(), nullptr);
    SendMessageA(EditorControl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
    SendMessageA(EditorControl, EM_SETSEL, 3, 3);
    TypeIntoControl("xy");
    ASSERT_FALSE(DocumentUndoJournal().Empty());

    RunDialog([](HWND dialog) { SetTicked(dialog, IDC_UNDO_JOURNAL, false); }, IDOK);
    EXPECT_TRUE(JournalOff());
    EXPECT_TRUE(JournalWasOff());
    EXPECT_TRUE(DocumentUndoJournal().Empty());
    EXPECT_EQ(ReadSettingDword("NO", 7), 1u);

    // Nothing is recorded now; Undo is the control's own, which takes the typed run back.
    TypeIntoControl("z");
    EXPECT_TRUE(DocumentUndoJournal().Empty());
    SendMessageA(MainWindow, WM_COMMAND, IDM_UNDO, 0);
    EXPECT_EQ(WindowText(EditorControl), "abc");

    RunDialog(
        [](HWND dialog) {
            EXPECT_FALSE(Ticked(dialog, IDC_UNDO_JOURNAL));
            SetTicked(dialog, IDC_UNDO_JOURNAL, true);
        },
        IDOK);
    EXPECT_FALSE(JournalOff());
    EXPECT_TRUE(JournalWasOff()) << "the journal says nothing about the changes made while it was off";
    EXPECT_EQ(ReadSettingDword("NO", 7), 0u);
    TypeIntoControl("z");
    EXPECT_FALSE(DocumentUndoJournal().Empty());
}

TEST_F(OptionsDialogTest, IndentsOutsideTheirRangesStoreTheirDefaults) {
    WriteSettingDword("LI", 4);
    WriteSettingDword("FI", 2);
    WriteSettingDword("RI", 70);
    WriteSettingDword("IG", 0);
    ASSERT_NE(StartTestApplication(), nullptr);
    RunDialog(
        [](HWND dialog) {
            EXPECT_EQ(ItemText(dialog, IDC_LEFT_INDENT), "4");
            EXPECT_EQ(ItemText(dialog, IDC_FIRST_LINE_INDENT), "2");
            EXPECT_EQ(ItemText(dialog, IDC_RIGHT_MARGIN), "70");
            EXPECT_FALSE(Ticked(dialog, IDC_IGNORE_LINE_BREAKS));
            SetDlgItemTextA(dialog, IDC_RIGHT_MARGIN, "200");
            SetDlgItemTextA(dialog, IDC_LEFT_INDENT, "12");
            SetDlgItemTextA(dialog, IDC_FIRST_LINE_INDENT, "");
            SetTicked(dialog, IDC_IGNORE_LINE_BREAKS, true);
        },
        IDOK);
    EXPECT_EQ(ReadSettingDword("RI", 7), 80u);
    EXPECT_EQ(ReadSettingDword("LI", 7), 12u);
    // An empty edit reads as 0, which is in the first indent's range.
    EXPECT_EQ(ReadSettingDword("FI", 7), 0u);
    EXPECT_EQ(ReadSettingDword("IG", 7), 1u);

    RunDialog(
        [](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_RIGHT_MARGIN, "5");
            SetDlgItemTextA(dialog, IDC_LEFT_INDENT, "81");
            SetDlgItemTextA(dialog, IDC_FIRST_LINE_INDENT, "80");
            SetTicked(dialog, IDC_IGNORE_LINE_BREAKS, false);
        },
        IDOK);
    EXPECT_EQ(ReadSettingDword("RI", 7), 80u);
    EXPECT_EQ(ReadSettingDword("LI", 7), 0u);
    EXPECT_EQ(ReadSettingDword("FI", 7), 80u);
    EXPECT_EQ(ReadSettingDword("IG", 7), 0u);

    // The up-down's arrows step within the range.
    RunDialog(
        [](HWND dialog) {
            HWND upDown = GetDlgItem(dialog, IDC_RIGHT_MARGIN_UPDOWN);
            SendMessageA(upDown, UDM_SETPOS, 0, MAKELPARAM(128, 0));
            EXPECT_EQ(ItemText(dialog, IDC_RIGHT_MARGIN), "128");
        },
        IDOK);
    EXPECT_EQ(ReadSettingDword("RI", 7), 128u);
}

TEST_F(OptionsDialogTest, WindowSizeAndCaretMemoryAreHeldAndStored) {
    ASSERT_NE(StartTestApplication("vemko.exe", SW_SHOWNORMAL), nullptr);
    ASSERT_TRUE(Program().switches.rememberWindowSize);
    ASSERT_TRUE(Program().switches.restorePlacement);
    ASSERT_TRUE(Program().switches.restoreCaretPosition);
    RunDialog(
        [](HWND dialog) {
            SetTicked(dialog, IDC_REMEMBER_WINDOW_SIZE, false);
            SetTicked(dialog, IDC_REMEMBER_CARET, false);
        },
        IDOK);
    EXPECT_FALSE(Program().switches.rememberWindowSize);
    EXPECT_FALSE(Program().switches.restoreCaretPosition);
    EXPECT_FALSE(Program().switches.restorePlacement) << "a window no longer remembered is not saved at exit";
    EXPECT_EQ(ReadSettingDword("AU", 7), 0u);
    EXPECT_EQ(ReadSettingDword("RP", 7), 0u);

    RunDialog([](HWND dialog) { SetTicked(dialog, IDC_REMEMBER_WINDOW_SIZE, true); }, IDOK);
    EXPECT_TRUE(Program().switches.rememberWindowSize);
    EXPECT_TRUE(Program().switches.restorePlacement) << "ticked again, this window's placement is saved at exit";
    EXPECT_EQ(ReadSettingDword("AU", 7), 1u);
    CloseTestApplication();
    EXPECT_TRUE(Stored("DEF"));
}

TEST_F(OptionsDialogTest, AStartMinimisedKeepsItsPlacementUnsavedWhileTheSwitchStays) {
    ASSERT_NE(StartTestApplication("vemko.exe", SW_SHOWMINNOACTIVE), nullptr);
    ASSERT_FALSE(Program().switches.restorePlacement);
    RunDialog([](HWND dialog) { SetTicked(dialog, IDC_REMEMBER_CARET, false); }, IDOK);
    EXPECT_FALSE(Program().switches.restorePlacement);
}

}  // namespace
