#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "base/settings.h"
#include "base/ui_text.h"
#include "base/version.h"
#include "app/win/application.h"
#include "app/win/shell_window.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "app/win/status_bar.h"
#include "document/win/document_name.h"
#include "appearance/win/options_dialog.h"
#include "control/win/editor_control.h"
#include "base/win/registry_settings.h"
#include "app/win/toolbar.h"
#include "document/win/program_document.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/modal_answers.h"
#include "support/win/settings_key.h"

namespace {

struct StartupOptions : testing::Test {
    SettingsKeySnapshot snapshot;
    void SetUp() override {
        ClearSettingsKey();
        InstallRegistrySettings();
    }
    void TearDown() override { CloseTestApplication(); }
};

WINDOWPLACEMENT SavedPlacement(RECT normal, UINT showCommand = SW_SHOWNORMAL) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    placement.showCmd = showCommand;
    placement.ptMinPosition = {-1, -1};
    placement.ptMaxPosition = {-1, -1};
    placement.rcNormalPosition = normal;
    return placement;
}

void StorePlacement(const WINDOWPLACEMENT& placement) {
    WriteRawSetting("DEF", REG_BINARY, &placement, sizeof placement);
}

std::string StoredPlacementBytes() {
    DWORD type = 0;
    std::string data;
    return ReadRawSetting("DEF", &type, &data) ? data : std::string();
}

RECT NormalRectangle() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(MainWindow, &placement);
    return placement.rcNormalPosition;
}

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

const RECT kSavedRectangle{120, 90, 720, 560};

TEST_F(StartupOptions, NormalStartAppliesTheSavedPlacementAndSavesTheNewOne) {
    StorePlacement(SavedPlacement(kSavedRectangle));
    ASSERT_NE(StartTestApplication("vemko.exe", SW_SHOWNORMAL), nullptr);
    EXPECT_TRUE(Program().switches.restorePlacement);
    EXPECT_TRUE(NormalRectangle() == kSavedRectangle);
    EXPECT_TRUE(IsWindowVisible(MainWindow));

    MoveWindow(MainWindow, 50, 60, 500, 400, TRUE);
    SaveWindowPlacement();
    WINDOWPLACEMENT saved{};
    ASSERT_TRUE(ReadSettingBlock("DEF", &saved, sizeof saved));
    EXPECT_EQ(saved.length, sizeof saved);
    EXPECT_TRUE(saved.rcNormalPosition == (RECT{50, 60, 550, 460}));
}

TEST_F(StartupOptions, StartedMinimisedNeitherAppliesNorSavesThePlacement) {
    StorePlacement(SavedPlacement(kSavedRectangle));
    const std::string before = StoredPlacementBytes();
    ASSERT_NE(StartTestApplication("vemko.exe", SW_SHOWMINNOACTIVE), nullptr);
    EXPECT_FALSE(Program().switches.restorePlacement);
    EXPECT_TRUE(IsIconic(MainWindow));
    EXPECT_FALSE(NormalRectangle() == kSavedRectangle);
    SaveWindowPlacement();
    CloseTestApplication();
    EXPECT_EQ(StoredPlacementBytes(), before);
}

TEST_F(StartupOptions, StartedMaximisedOrWithoutRememberingNeitherAppliesNorSaves) {
    StorePlacement(SavedPlacement(kSavedRectangle));
    const std::string before = StoredPlacementBytes();
    ASSERT_NE(StartTestApplication("vemko.exe", SW_SHOWMAXIMIZED), nullptr);
    EXPECT_FALSE(Program().switches.restorePlacement);
    CloseTestApplication();

    WriteSettingDword("AU", 0);
    ASSERT_NE(StartTestApplication("vemko.exe", SW_SHOWDEFAULT), nullptr);
    EXPECT_FALSE(Program().switches.restorePlacement);
    EXPECT_FALSE(NormalRectangle() == kSavedRectangle);
    SaveWindowPlacement();
    CloseTestApplication();
    EXPECT_EQ(StoredPlacementBytes(), before);
}

TEST_F(StartupOptions, PlacementIsNotSavedWhileTheSettingsKeyDoesNotExist) {
    ASSERT_NE(StartTestApplication("vemko.exe", SW_SHOWDEFAULT), nullptr);
    EXPECT_TRUE(Program().switches.restorePlacement);
    EXPECT_TRUE(IsWindowVisible(MainWindow));
    SaveWindowPlacement();
    EXPECT_FALSE(SettingsKeyExists());
}

TEST_F(StartupOptions, SavedPlacementThatWouldHideTheWindowStillShowsIt) {
    StorePlacement(SavedPlacement(kSavedRectangle, SW_HIDE));
    ASSERT_NE(StartTestApplication("vemko.exe", SW_SHOWNORMAL), nullptr);
    EXPECT_TRUE(IsWindowVisible(MainWindow));
    EXPECT_TRUE(NormalRectangle() == kSavedRectangle);
}

// Posted commands to the main window, as the queue hands them out; each is kept from running (the
// print command would open the print dialog, which nobody here answers).
std::vector<WPARAM> postedCommands;
LRESULT CALLBACK WatchPostedCommands(int code, WPARAM wParam, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_COMMAND) {
        postedCommands.push_back(message->wParam);
        message->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<WPARAM> CommandsPostedAtStart(const char* commandLine) {
    postedCommands.clear();
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, WatchPostedCommands, nullptr, GetCurrentThreadId());
    StartTestApplication(commandLine);
    UnhookWindowsHookEx(hook);
    CloseTestApplication();
    return postedCommands;
}

TEST_F(StartupOptions, PrintSwitchPostsThePrintCommand) {
    EXPECT_EQ(CommandsPostedAtStart("vemko.exe /p"), std::vector<WPARAM>{IDM_PRINT});
    EXPECT_EQ(CommandsPostedAtStart("\"C:\\Program Files\\vemko.exe\" /P \"C:\\no such folder\\a b.txt\""),
              std::vector<WPARAM>{IDM_PRINT});
    EXPECT_TRUE(CommandsPostedAtStart("vemko.exe").empty());
    EXPECT_TRUE(CommandsPostedAtStart("vemko.exe /x").empty());
}

TEST_F(StartupOptions, FileThatCannotBeOpenedLeavesTheUntitledDocument) {
    ASSERT_NE(StartTestApplication("vemko.exe C:\\no such folder\\no such file.txt"), nullptr);
    EXPECT_STREQ(CurrentFileName, UntitledName);
    EXPECT_EQ(WindowText(MainWindow), "[БезИмени]-VEMKO"_ui);
}

// The idle step runs once the queue is empty; this timer fires only after the loop has gone idle.
BYTE undoStateWhenIdle = 0;
void CALLBACK EndLoopWhenIdle(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    undoStateWhenIdle = static_cast<BYTE>(SendMessageA(ToolBar, TB_GETSTATE, IDM_UNDO, 0));
    PostQuitMessage(7);
}

TEST_F(StartupOptions, MessageLoopRefreshesTheButtonsWhenIdleAndEndsWithTheQuitCode) {
    ASSERT_NE(StartTestApplication(), nullptr);
    ASSERT_TRUE(DocumentUndoJournal().Empty());
    SendMessageA(ToolBar, TB_SETSTATE, IDM_UNDO, MAKELPARAM(TBSTATE_ENABLED, 0));
    PostMessageA(MainWindow, WM_NULL, 0, 0);
    SetTimer(nullptr, 0, 50, EndLoopWhenIdle);
    EXPECT_EQ(RunMessageLoop(), 7);
    EXPECT_EQ(undoStateWhenIdle, TBSTATE_INDETERMINATE);
}

TEST_F(StartupOptions, FailedCallIsReportedWithTheSystemsText) {
    ASSERT_NE(StartTestApplication(), nullptr);
    char fileNotFound[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND, 0,
                   fileNotFound, sizeof fileNotFound, nullptr);
    char badEnvironment[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_BAD_ENVIRONMENT, 0,
                   badEnvironment, sizeof badEnvironment, nullptr);
    ModalAnswers answers;
    answers.PressButton(IDOK);
    answers.PressButton(IDOK);
    SetLastError(ERROR_FILE_NOT_FOUND);
    ReportLastError();
    SetLastError(0);
    ReportLastError();
    ASSERT_EQ(answers.Seen().size(), 2u);
    EXPECT_EQ(answers.Seen()[0].title, "VEMKO");
    EXPECT_FALSE(answers.Seen()[0].text.empty());
    EXPECT_EQ(answers.Seen()[0].text, fileNotFound);
    EXPECT_EQ(answers.Seen()[1].text, badEnvironment) << "no pending error reports code 10";
}

// A named function: the 32-bit system calls it as stdcall, which a lambda cannot be.
BOOL CALLBACK AppendChildText(HWND child, LPARAM all) {
    *reinterpret_cast<std::string*>(all) += WindowText(child) + "\n";
    return TRUE;
}

TEST_F(StartupOptions, AboutBoxNamesTheProgramAndItsVersion) {
    ASSERT_NE(StartTestApplication(), nullptr);
    ModalAnswers answers;
    std::string texts;
    answers.InspectAndCancel([&](HWND dialog) {
        EnumChildWindows(dialog, AppendChildText, reinterpret_cast<LPARAM>(&texts));
    });
    ShowAboutBox();
    ASSERT_EQ(answers.Seen().size(), 1u);
    EXPECT_NE(answers.Seen()[0].title.find("VEMKO"), std::string::npos) << answers.Seen()[0].title;
    EXPECT_NE(texts.find("Версия " VEMKO_VERSION "."_ui), std::string::npos) << texts;
}

TEST_F(StartupOptions, CustomisingAHiddenToolBarShowsItForTheRunOnly) {
    WriteSettingDword("TL", 0);
    ASSERT_NE(StartTestApplication(), nullptr);
    ASSERT_EQ(ToolBar, nullptr);
    ModalAnswers answers;
    answers.CancelDialog();
    CustomizeToolBar();
    EXPECT_EQ(answers.Seen().size(), 1u);
    ASSERT_NE(ToolBar, nullptr);
    EXPECT_TRUE(IsWindowVisible(ToolBar));
    EXPECT_EQ(ReadSettingDword("TL", 1), 0u);
    CloseTestApplication();
    ASSERT_NE(StartTestApplication(), nullptr);
    EXPECT_EQ(ToolBar, nullptr);
}

}  // namespace

namespace {

TEST_F(StartupOptions, ResetWhileCustomisingRestoresTheSavedLayout) {
    ASSERT_NE(StartTestApplication(), nullptr);
    ASSERT_NE(ToolBar, nullptr);
    SendMessageA(ToolBar, TB_DELETEBUTTON, 0, 0);
    SaveToolBarLayout();
    const LRESULT savedCount = SendMessageA(ToolBar, TB_BUTTONCOUNT, 0, 0);
    ModalAnswers answers;
    LRESULT countDuringDialog = -1;
    answers.InspectAndCancel([&](HWND) {
        SendMessageA(ToolBar, TB_DELETEBUTTON, 0, 0);
        SendMessageA(ToolBar, TB_DELETEBUTTON, 0, 0);
        RestoreToolBarLayout();
        countDuringDialog = SendMessageA(ToolBar, TB_BUTTONCOUNT, 0, 0);
    });
    CustomizeToolBar();
    EXPECT_EQ(answers.Seen().size(), 1u);
    EXPECT_EQ(countDuringDialog, savedCount);
    TBBUTTON first{};
    SendMessageA(ToolBar, TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&first));
    EXPECT_EQ(first.idCommand, IDM_OPEN);
}

}  // namespace

namespace {

bool FailingRegistration(HINSTANCE) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return false;
}

TEST_F(StartupOptions, WithoutTheEditorClassTheStartIsReportedAndTheLoopEndsWith255) {
    char expected[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_MOD_NOT_FOUND, 0,
                   expected, sizeof expected, nullptr);
    Program().editorClassRegistration = FailingRegistration;
    // Each start is its own process in the product; here the class of the earlier starts is gone.
    UnregisterClassW(L"RICHEDIT", GetModuleHandleA(nullptr));
    ModalAnswers answers;
    answers.PressButton(IDOK);
    const bool started = StartApplication(GetModuleHandleA(nullptr), "vemko.exe");
    Program().editorClassRegistration = nullptr;
    ASSERT_TRUE(started);
    ASSERT_EQ(answers.Seen().size(), 1u);
    EXPECT_EQ(answers.Seen()[0].text, expected);
    EXPECT_EQ(EditorControl, nullptr);
    EXPECT_NE(StatusBar, nullptr);
    EXPECT_NE(ToolBar, nullptr);
    EXPECT_EQ(RunMessageLoop(), 255);
}

}  // namespace
