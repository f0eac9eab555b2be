// The documents' commands as the main window carries them out: menu and accelerator commands sent
// to the MainWindow, the recent-files items, and closing a modified document.
#include "base/ui_text.h"
#include "document/recent_files.h"
#include "support/win/document_fixture.h"
#include "support/win/modal_answers.h"

using DocumentCommands = DocumentTest;

TEST_F(DocumentCommands, ViewAndSizeCommandsReachTheView) {
    SetControlText("\x8F\xE0\xA8\xA2\xA5\xE2\r\n", false);
    Command(IDM_VIEW_OEM);
    EXPECT_EQ(CodePageIndex, 1);
    EXPECT_EQ(StatusText(2), "OEM (866)");
    EXPECT_TRUE(GetMenuState(GetMenu(MainWindow), IDM_VIEW_OEM, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(GetMenu(MainWindow), IDM_VIEW_ANSI, MF_BYCOMMAND) & MF_CHECKED);
    Command(IDM_SIZE_UP);
    EXPECT_EQ(ReadSettingDword("SizeD", 0), 220u);
    Command(IDM_SIZE_DOWN);
    Command(IDM_SIZE_DOWN);
    EXPECT_EQ(ReadSettingDword("SizeD", 0), 180u);
    EXPECT_FALSE(Modified());
    Command(IDM_VIEW_ANSI);
    EXPECT_EQ(CodePageIndex, 0);
}

TEST_F(DocumentCommands, SaveRunsSaveAsForTheUntitledDocumentOnly) {
    SetControlText("first\r\n");
    ModalAnswers answers;
    answers.ChooseFile(TestPath("saved.txt"));
    Command(IDM_SAVE);
    EXPECT_EQ(ReadBytes(TestPath("saved.txt")), "first\r\n");
    EXPECT_STREQ(CurrentFileName, TestPath("saved.txt").c_str());

    SetControlText("second\r\n");
    Command(IDM_SAVE);  // no dialog now
    EXPECT_EQ(ReadBytes(TestPath("saved.txt")), "second\r\n");
    EXPECT_EQ(answers.Seen().size(), 1u);
    EXPECT_FALSE(Modified());
}

TEST_F(DocumentCommands, ARecentFileOpensFromTheMenuAndAVanishedOneIsForgotten) {
    WriteBytes(TestPath("older.txt"), "older\r\n");
    WriteBytes(TestPath("newer.txt"), "newer\r\n");
    ASSERT_TRUE(LoadFile(TestPath("older.txt").c_str()));
    ASSERT_TRUE(LoadFile(TestPath("newer.txt").c_str()));

    Command(IDM_RECENT_FIRST + 1);
    EXPECT_STREQ(CurrentFileName, TestPath("older.txt").c_str());
    EXPECT_EQ(ControlText(), "older\r\n");
    EXPECT_EQ(RecentFilePath(0), TestPath("older.txt"));

    DeleteFileA(TestPath("newer.txt").c_str());
    Command(IDM_RECENT_FIRST + 1);
    EXPECT_STREQ(CurrentFileName, TestPath("older.txt").c_str()) << "nothing else happens";
    EXPECT_EQ(RecentFilePath(1), "");
    // Beyond the list: nothing at all.
    Command(IDM_RECENT_LAST);
    EXPECT_STREQ(CurrentFileName, TestPath("older.txt").c_str());
}

TEST_F(DocumentCommands, OpenNewAndCloseStopWhenTheTextCouldNotBeSaved) {
    const std::string path = TestPath("guarded.txt");
    WriteBytes(path, "on disk\r\n");
    WriteBytes(TestPath("other.txt"), "other\r\n");
    ASSERT_TRUE(LoadFile(path.c_str()));
    SetControlText("unsaved work\r\n");

    ModalAnswers answers;
    {
        LockedFile lock(path);
        // Open: "Yes", the save fails, so no dialog follows.
        answers.PressButton(IDYES);
        answers.PressButton(IDOK);
        Command(IDM_OPEN);
        // New: the same.
        answers.PressButton(IDYES);
        answers.PressButton(IDOK);
        Command(IDM_NEW);
        // Close: the same, and the window stays.
        answers.PressButton(IDYES);
        answers.PressButton(IDOK);
        SendMessageA(MainWindow, WM_CLOSE, 0, 0);
        ASSERT_TRUE(IsWindow(MainWindow));
        // Close with Cancel: stays too.
        answers.PressButton(IDCANCEL);
        SendMessageA(MainWindow, WM_CLOSE, 0, 0);
        ASSERT_TRUE(IsWindow(MainWindow));
    }
    EXPECT_EQ(answers.Seen().size(), 7u) << "no file dialog was opened";
    EXPECT_EQ(answers.Unanswered(), 0u);
    EXPECT_EQ(ControlText(), "unsaved work\r\n");
    EXPECT_STREQ(CurrentFileName, path.c_str());
    EXPECT_TRUE(Modified());
    EXPECT_EQ(ReadBytes(path), "on disk\r\n");

    // The end of the session is refused the same way.
    answers.PressButton(IDCANCEL);
    EXPECT_EQ(SendMessageA(MainWindow, WM_QUERYENDSESSION, 0, 0), 0);
    EXPECT_TRUE(Modified());
}
