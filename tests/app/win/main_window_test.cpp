#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "base/settings.h"
#include "base/ui_text.h"
#include "app/win/application.h"
#include "app/win/shell_window.h"
#include "base/win/program.h"
#include "base/win/shown_text.h"
#include "document/win/editor_window.h"
#include "document/win/document_name.h"
#include "appearance/win/options_dialog.h"
#include "appearance/win/menu_tables.h"
#include "app/win/toolbar.h"
#include "document/win/program_document.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/clipboard_contents.h"
#include "support/win/command_recorder.h"
#include "support/win/modal_answers.h"
#include "support/win/settings_key.h"

namespace {

class MainWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        window = StartTestApplication();
    }
    static void TearDownTestSuite() { CloseTestApplication(); }
    void SetUp() override {
        ASSERT_NE(window, nullptr);
        InstallSettingsStore(&settings);
    }
    void TearDown() override { InstallSettingsStore(nullptr); }

    static LRESULT Notify(NMHDR& header) {
        return SendMessageA(window, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }

    static HWND window;
    MemorySettingsStore settings;
};
HWND MainWindowTest::window = nullptr;

bool Greyed(HMENU menu, UINT command) { return GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED; }

}  // namespace

TEST_F(MainWindowTest, CustomisationDialogIsOfferedTheThirtyTwoButtonsWithTheirMenuTexts) {
    std::vector<int> commands;
    for (int position = 0; position < 40; ++position) {
        char text[64];
        std::memset(text, 'x', sizeof text);
        NMTOOLBARA request{};
        request.hdr.code = TBN_GETBUTTONINFOA;
        request.iItem = position;
        request.pszText = text;
        request.cchText = sizeof text;
        LRESULT answer = Notify(request.hdr);
        if (position >= 32) {
            EXPECT_EQ(answer, FALSE) << position;
            continue;
        }
        ASSERT_EQ(answer, TRUE) << position;
        EXPECT_EQ(request.tbButton.idCommand, AvailableButtons[position].idCommand);
        EXPECT_EQ(request.tbButton.iBitmap, AvailableButtons[position].iBitmap);
        EXPECT_EQ(request.tbButton.fsState, TBSTATE_ENABLED);
        EXPECT_EQ(request.tbButton.fsStyle, position == 24 ? TBSTYLE_CHECK : TBSTYLE_BUTTON);
        EXPECT_STREQ(text, MenuText(static_cast<UINT>(request.tbButton.idCommand)));
        commands.push_back(request.tbButton.idCommand);
    }
    EXPECT_EQ(commands, (std::vector<int>{1,  2,  3,  4,  38, 6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 29,
                                          30, 31, 19, 20, 21, 22, 23, 24, 25, 26, 37, 32, 33, 34, 35, 36}));

    // A short text buffer gets as much of the text as fits, terminated.
    char shortText[6];
    NMTOOLBARA request{};
    request.hdr.code = TBN_GETBUTTONINFOA;
    request.iItem = 1;
    request.pszText = shortText;
    request.cchText = sizeof shortText;
    EXPECT_EQ(Notify(request.hdr), TRUE);
    EXPECT_EQ(std::string(shortText), std::string(MenuText(IDM_COPY)).substr(0, 5));
}

TEST_F(MainWindowTest, TooltipsQueriesAndCustomisationHelp) {
    NMTTDISPINFOA tip{};
    tip.hdr.code = TTN_NEEDTEXTA;
    tip.hdr.idFrom = IDM_PRINT;
    Notify(tip.hdr);
    EXPECT_STREQ(tip.szText, "&Печать..."_ui);
    tip.hdr.idFrom = IDM_SIZE_UP;
    Notify(tip.hdr);
    EXPECT_STREQ(tip.szText, "&Размер\t+"_ui);

    NMTOOLBARA query{};
    query.hdr.code = TBN_QUERYINSERT;
    EXPECT_EQ(Notify(query.hdr), TRUE);
    query.hdr.code = TBN_QUERYDELETE;
    EXPECT_EQ(Notify(query.hdr), TRUE);

    CommandRecorder recorder(window);
    NMHDR help{};
    help.code = TBN_CUSTHELP;
    EXPECT_EQ(Notify(help), 0);
    EXPECT_TRUE(recorder.Take().empty());  // posted, not sent
    PumpMessages();
    EXPECT_EQ(recorder.TakeCommands(), (std::vector<UINT>{IDM_HELP}));
}

namespace {

struct OtherMainWindow {
    DWORD ownProcess;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOtherMainWindow(HWND candidate, LPARAM lParam) {
    auto& search = *reinterpret_cast<OtherMainWindow*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(candidate, &process);
    wchar_t className[32] = {};
    GetClassNameW(candidate, className, 32);
    if (process != search.ownProcess && std::wcscmp(className, kMainWindowClassWide) == 0) search.found.push_back(candidate);
    return TRUE;
}

std::vector<HWND> OtherMainWindows() {
    OtherMainWindow search{GetCurrentProcessId(), {}};
    EnumWindows(CollectOtherMainWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

// F1 (the accelerator's command, and the WM_HELP a dialog passes on) opens the help text beside the
// program in a second editor window, once; no "not found" box appears.
TEST_F(MainWindowTest, HelpOpensItsTextInASecondEditorWindowOnce) {
    ModalAnswers answers;
    ASSERT_TRUE(OtherMainWindows().empty());
    SendMessageA(window, WM_COMMAND, IDM_HELP, 0);
    HELPINFO help{};
    help.cbSize = sizeof help;
    help.iContextType = HELPINFO_WINDOW;
    SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    std::vector<HWND> shown;
    for (DWORD started = GetTickCount(); shown.empty() && GetTickCount() - started < 90000;) {
        PumpMessages();
        Sleep(100);
        shown = OtherMainWindows();
    }
    PumpMessages();
    Sleep(1000);
    shown = OtherMainWindows();
    EXPECT_TRUE(answers.Seen().empty());
    ASSERT_EQ(shown.size(), 1u);
    wchar_t title[512] = {};
    GetWindowTextW(shown[0], title, 512);
    EXPECT_NE(std::wstring(title).find(L"vemko-help.txt"), std::wstring::npos) << AnsiText(title);
    PostMessageW(shown[0], WM_CLOSE, 0, 0);
    for (DWORD started = GetTickCount(); !OtherMainWindows().empty() && GetTickCount() - started < 30000;) Sleep(100);
    EXPECT_TRUE(OtherMainWindows().empty());
}

TEST_F(MainWindowTest, CommandsWithoutHandlerChangeNothing) {
    ModalAnswers answers;
    std::string title = WindowText(window);
    LRESULT length = EditorControl ? SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0) : 0;
    for (UINT command = IDM_CTRL_ALT_FIRST; command <= IDM_CTRL_ALT_LAST; ++command)
        SendMessageA(window, WM_COMMAND, command, 0);
    PumpMessages();
    EXPECT_TRUE(answers.Seen().empty()) << "no window stops the user";
    EXPECT_EQ(WindowText(window), title);
    if (EditorControl) EXPECT_EQ(SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0), length);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainWindowTest, UndoPasteAndSaveStatesWhenTheEditPopUpsOpen) {
    HMENU file = Program().menus.subMenus[0];
    HMENU edit = Program().menus.subMenus[1];
    ClearUndo();
    SetJournalOff(false);
    ASSERT_TRUE(PutOnClipboard(nullptr));
    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), MAKELPARAM(1, FALSE));
    EXPECT_TRUE(Greyed(edit, IDM_UNDO));
    EXPECT_TRUE(Greyed(edit, IDM_PASTE));
    EXPECT_TRUE(Greyed(edit, IDM_CUT));
    EXPECT_TRUE(Greyed(edit, IDM_COPY));
    EXPECT_TRUE(Greyed(edit, IDM_DELETE));

    // The journal decides, whatever the control's modified flag says.
    auto recordSomething = [] { ProgramDocument().Replace(0, 0, "", UndoKind::TextSnapshot); };
    recordSomething();
    ASSERT_TRUE(PutOnClipboard("x"));
    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), MAKELPARAM(1, FALSE));
    EXPECT_FALSE(Greyed(edit, IDM_UNDO));
    EXPECT_FALSE(Greyed(edit, IDM_PASTE));

    // The edit pop-up as the text's context menu opens at position 0 of its own menu.
    ClearUndo();
    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), MAKELPARAM(0, FALSE));
    EXPECT_TRUE(Greyed(edit, IDM_UNDO));

    // With the journal off the control's own undo decides, whatever the journal holds.
    ASSERT_NE(EditorControl, nullptr);
    recordSomething();
    SetJournalOff(true);
    SendMessageA(EditorControl, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("z"));
    ASSERT_TRUE(SendMessageA(EditorControl, EM_CANUNDO, 0, 0));
    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), MAKELPARAM(1, FALSE));
    EXPECT_FALSE(Greyed(edit, IDM_UNDO));
    SendMessageA(EditorControl, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), MAKELPARAM(1, FALSE));
    EXPECT_TRUE(Greyed(edit, IDM_UNDO));
    SetJournalOff(false);
    ClearUndo();

    // Other pop-ups and the system menu are left as they are.
    ASSERT_TRUE(PutOnClipboard(nullptr));
    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), MAKELPARAM(5, FALSE));
    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), MAKELPARAM(1, TRUE));
    EXPECT_FALSE(Greyed(edit, IDM_PASTE));

    // Save follows the control's modified flag alone, the journal empty or not.
    SendMessageA(EditorControl, EM_SETMODIFY, TRUE, 0);
    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), MAKELPARAM(0, FALSE));
    EXPECT_FALSE(Greyed(file, IDM_SAVE));
    recordSomething();
    SendMessageA(EditorControl, EM_SETMODIFY, FALSE, 0);
    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), MAKELPARAM(0, FALSE));
    EXPECT_TRUE(Greyed(file, IDM_SAVE));
    ClearUndo();
    SendMessageA(EditorControl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    SendMessageA(EditorControl, EM_SETMODIFY, FALSE, 0);
}

TEST_F(MainWindowTest, RecentFileThatCannotBeOpenedIsForgotten) {
    WriteSettingString("LIST", "30");
    WriteSettingString("3F", "C:\\vemko-tests\\no such folder\\gone.txt");
    WriteSettingString("0F", "C:\\vemko-tests\\no such folder\\also gone.txt");
    SendMessageA(window, WM_COMMAND, IDM_RECENT_FIRST + 5, 0);  // beyond the list: nothing
    EXPECT_EQ(ReadSettingString("3F", 260), "C:\\vemko-tests\\no such folder\\gone.txt");
    SendMessageA(window, WM_COMMAND, IDM_RECENT_FIRST, 0);
    EXPECT_EQ(ReadSettingString("3F", 260), "");
    EXPECT_EQ(ReadSettingString("0F", 260), "C:\\vemko-tests\\no such folder\\also gone.txt");
    EXPECT_EQ(ReadSettingString("LIST", 260), "30");
}

TEST_F(MainWindowTest, NewDocumentIsUntitledWithAnEmptyJournal) {
    lstrcpynA(CurrentFileName, "C:\\vemko-tests\\letter.txt", MAX_PATH);
    UpdateTitle();
    ProgramDocument().Replace(0, 0, "abc", UndoKind::TextSnapshot);
    // Unmodified, so that no save-changes question stops the command.
    ProgramDocument().SetModified(false);
    ASSERT_FALSE(DocumentUndoJournal().Empty());
    SendMessageA(window, WM_COMMAND, IDM_NEW, 0);
    EXPECT_STREQ(CurrentFileName, UntitledName);
    EXPECT_EQ(WindowText(window), "[БезИмени]-VEMKO"_ui);
    EXPECT_TRUE(DocumentUndoJournal().Empty());
    if (EditorControl) {
        EXPECT_EQ(SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0), 0);
        EXPECT_EQ(SendMessageA(EditorControl, EM_GETMODIFY, 0, 0), 0);
    }
}

// Last: it ends the application of this test program.
TEST_F(MainWindowTest, ExitClosesTheWindowAndSavesThePlacementOnlyIntoAnExistingKey) {
    SettingsKeySnapshot keep;
    bool restore = Program().switches.restorePlacement;
    Program().switches.restorePlacement = true;
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath);
    SaveWindowPlacement();
    HKEY key;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key), ERROR_SUCCESS)
        << "the placement must not create the settings key";

    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kSettingsKeyPath, &key), ERROR_SUCCESS);
    RegDeleteValueA(key, "DEF");
    WINDOWPLACEMENT expected{};
    expected.length = sizeof expected;
    GetWindowPlacement(window, &expected);
    SendMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_FALSE(IsWindow(window));
    WINDOWPLACEMENT saved{};
    DWORD size = sizeof saved;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "DEF", nullptr, &type, reinterpret_cast<BYTE*>(&saved), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 44u);
    EXPECT_EQ(saved.length, 44u);
    EXPECT_EQ(std::memcmp(&saved.rcNormalPosition, &expected.rcNormalPosition, sizeof(RECT)), 0);
    RegDeleteValueA(key, "DEF");
    RegCloseKey(key);
    Program().switches.restorePlacement = restore;
    MSG message;
    bool quit = false;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        if (message.message == WM_QUIT) quit = message.wParam == 0;
    EXPECT_TRUE(quit);
}

namespace {

std::vector<int> ToolBarCommands() {
    std::vector<int> commands;
    int count = static_cast<int>(SendMessageA(ToolBar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        SendMessageA(ToolBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        commands.push_back((button.fsStyle & BTNS_SEP) ? 0 : button.idCommand);
    }
    return commands;
}

// The list positions the customisation dialog asked for, with the main window's answers.
struct ButtonQuestion {
    int position;
    LRESULT answer;
};
std::vector<ButtonQuestion> questions;
WNDPROC mainProcedure = nullptr;

LRESULT CALLBACK RecordButtonQuestions(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT answer = CallWindowProcA(mainProcedure, window, message, wParam, lParam);
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == TBN_GETBUTTONINFOA || header->code == TBN_GETBUTTONINFOW)
            questions.push_back({reinterpret_cast<NMTOOLBARA*>(lParam)->iItem, answer});
    }
    return answer;
}

void Notify(UINT code) {
    NMHDR header{ToolBar, 0, code};
    SendMessageA(MainWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
}

}  // namespace

TEST(ToolBarCustomisation, TheDialogIsOfferedThirtyTwoRowsAndAChangedLayoutSurvivesARestart) {
    SettingsKeySnapshot keep;
    ClearSettingsKey();
    ASSERT_NE(StartTestApplication(), nullptr);
    ASSERT_NE(ToolBar, nullptr);

    questions.clear();
    mainProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(MainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordButtonQuestions)));
    bool dialogShown = false;
    {
        ModalAnswers answers;
        answers.InspectAndCancel([&](HWND) { dialogShown = true; });
        SendMessageA(MainWindow, WM_COMMAND, IDM_CUSTOMIZE_TOOLBAR, 0);
    }
    SetWindowLongPtrA(MainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mainProcedure));
    EXPECT_TRUE(dialogShown);
    // Asked from position 0 on; every row answered, and the 33rd question ends the list.
    ASSERT_GE(questions.size(), 33u);
    int rows = 0;
    for (const ButtonQuestion& question : questions) {
        EXPECT_EQ(question.answer, question.position < 32 ? TRUE : FALSE) << question.position;
        EXPECT_LE(question.position, 32);
        if (question.answer) ++rows;
    }
    EXPECT_GE(rows, 32);

    // The user's change is saved when the toolbar reports it, and comes back at the next start.
    SendMessageA(ToolBar, TB_DELETEBUTTON, 0, 0);
    SendMessageA(ToolBar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&AvailableButtons[27]));
    std::vector<int> changed = ToolBarCommands();
    ASSERT_EQ(changed.back(), IDM_TO_FIDO);
    Notify(TBN_TOOLBARCHANGE);
    CloseTestApplication();

    ASSERT_NE(StartTestApplication(), nullptr);
    ASSERT_NE(ToolBar, nullptr);
    EXPECT_EQ(ToolBarCommands(), changed);

    // Reset in the dialog goes back to the saved layout.
    SendMessageA(ToolBar, TB_DELETEBUTTON, 0, 0);
    SendMessageA(ToolBar, TB_DELETEBUTTON, 0, 0);
    Notify(TBN_RESET);
    EXPECT_EQ(ToolBarCommands(), changed);
    CloseTestApplication();
}
