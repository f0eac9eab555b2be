#include <algorithm>

#include "base/ui_text.h"
#include "document/recent_files.h"
#include "support/win/document_fixture.h"
#include "encoding/code_page_tables.h"
#include "support/win/modal_answers.h"

namespace {

// Every byte value, in lines of 16 ended by CR LF: NUL, lone CR and lone LF included.
std::string EveryByteInLines() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        bytes += static_cast<char>(b);
        if (b % 16 == 15) bytes += "\r\n";
    }
    return bytes;
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

// " Привет, Мир! Это текст о коде." in each code page.
const std::string kKoi8Text = "\x20\xF0\xD2\xC9\xD7\xC5\xD4\x2C\x20\xED\xC9\xD2\x21\x20\xFC\xD4\xCF\x20\xD4\xC5\xCB\xD3\xD4\x2E\r\n";
const std::string kOemText = "\x20\x8F\xE0\xA8\xA2\xA5\xE2\x2C\x20\x8C\xA8\xE0\x21\x20\x9D\xE2\xAE\x20\xE2\xA5\xAA\xE1\xE2\x2E\r\n";

std::string MessageBoxTexts(const ModalAnswers& answers) {
    std::string all;
    for (const SeenModal& seen : answers.Seen()) all += "[" + seen.title + ": " + seen.text + "]";
    return all;
}

}  // namespace

using DocumentFiles = DocumentTest;

TEST_F(DocumentFiles, EveryByteLoadsAndSavesBackIdenticalInEachView) {
    const std::string bytes = EveryByteInLines();
    WriteBytes(TestPath("every.bin"), bytes);
    ASSERT_TRUE(LoadFile(TestPath("every.bin").c_str()));
    EXPECT_EQ(ControlText(), bytes);
    EXPECT_FALSE(Modified());
    EXPECT_STREQ(CurrentFileName, TestPath("every.bin").c_str());
    EXPECT_EQ(WindowText(MainWindow), "[every.bin]-VEMKO");

    for (UINT command : {IDM_VIEW_OEM, IDM_VIEW_KOI8, IDM_VIEW_ANSI, IDM_VIEW_KOI8}) {
        SelectViewCodePage(command);
        EXPECT_EQ(ControlText(), bytes) << "view " << command - IDM_VIEW_ANSI;
        std::string copy = TestPath("copy" + std::to_string(command) + ".bin");
        lstrcpynA(CurrentFileName, copy.c_str(), MAX_PATH);
        SendMessageA(EditorControl, EM_SETMODIFY, TRUE, 0);
        ASSERT_TRUE(SaveDocument());
        EXPECT_EQ(ReadBytes(copy), bytes) << "saved in view " << command - IDM_VIEW_ANSI;
        EXPECT_FALSE(Modified());
    }
    // Saving over the loaded file itself gives the same bytes back too.
    lstrcpynA(CurrentFileName, TestPath("every.bin").c_str(), MAX_PATH);
    ASSERT_TRUE(SaveDocument());
    EXPECT_EQ(ReadBytes(TestPath("every.bin")), bytes);
}

TEST_F(DocumentFiles, LoadPutsTheGuessedViewOnAndNamesItInTheStatusBar) {
    WriteBytes(TestPath("koi8.txt"), Repeat(kKoi8Text, 20));
    WriteBytes(TestPath("oem.txt"), Repeat(kOemText, 20));
    WriteBytes(TestPath("ascii.txt"), Repeat("Plain ASCII text, nothing else.\r\n", 20));

    ASSERT_TRUE(LoadFile(TestPath("koi8.txt").c_str()));
    EXPECT_EQ(CodePageIndex, 2);
    EXPECT_EQ(StatusText(2), "KOI8 R");
    if (HMENU menu = GetMenu(MainWindow); menu && GetMenuState(menu, IDM_VIEW_KOI8, MF_BYCOMMAND) != UINT(-1))
        EXPECT_TRUE(GetMenuState(menu, IDM_VIEW_KOI8, MF_BYCOMMAND) & MF_CHECKED);

    ASSERT_TRUE(LoadFile(TestPath("oem.txt").c_str()));
    EXPECT_EQ(CodePageIndex, 1);
    EXPECT_EQ(StatusText(2), "OEM (866)");

    ASSERT_TRUE(LoadFile(TestPath("ascii.txt").c_str()));
    EXPECT_EQ(CodePageIndex, 0) << "plain ASCII switches the view back to ANSI";
    EXPECT_EQ(StatusText(2), "ANSI (1251)");
    // The view never changed a byte.
    EXPECT_EQ(ControlText(), Repeat("Plain ASCII text, nothing else.\r\n", 20));
}

TEST_F(DocumentFiles, AUtf8RussianFileOpensInTheUtf8ViewAndSwitchingViewsChangesNoByte) {
    // "Привет, мир" as a Linux desktop writes it: UTF-8, LF line ends; long enough that the 4092nd
    // byte cuts a character.
    std::string utf8 = "#" + Repeat("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80\n", 300);
    ASSERT_EQ(static_cast<unsigned char>(utf8[4091]) & 0xC0, 0xC0) << "the window must end on a lead byte";
    WriteBytes(TestPath("utf8.txt"), utf8);
    ASSERT_TRUE(LoadFile(TestPath("utf8.txt").c_str()));
    EXPECT_EQ(CodePageIndex, kUtf8View);
    EXPECT_EQ(StatusText(2), "UTF-8");
    if (HMENU menu = GetMenu(MainWindow); menu && GetMenuState(menu, IDM_VIEW_UTF8, MF_BYCOMMAND) != UINT(-1)) {
        EXPECT_TRUE(GetMenuState(menu, IDM_VIEW_UTF8, MF_BYCOMMAND) & MF_CHECKED);
        EXPECT_FALSE(GetMenuState(menu, IDM_VIEW_ANSI, MF_BYCOMMAND) & MF_CHECKED);
    }
    const std::string loaded = ControlText();
    SelectViewCodePage(IDM_VIEW_ANSI);
    EXPECT_EQ(StatusText(2), "ANSI (1251)");
    SelectViewCodePage(IDM_VIEW_UTF8);
    EXPECT_EQ(CodePageIndex, kUtf8View);
    EXPECT_EQ(ControlText(), loaded);
    lstrcpynA(CurrentFileName, TestPath("utf8 copy.txt").c_str(), MAX_PATH);
    SendMessageA(EditorControl, EM_SETMODIFY, TRUE, 0);
    ASSERT_TRUE(SaveDocument());
    EXPECT_EQ(ReadBytes(TestPath("utf8 copy.txt")), ReadBytes(TestPath("utf8.txt")));

    // The byte order mark alone opens the UTF-8 view; 1251 text that is no UTF-8 opens as before.
    WriteBytes(TestPath("bom.txt"), "\xEF\xBB\xBFplain");
    ASSERT_TRUE(LoadFile(TestPath("bom.txt").c_str()));
    EXPECT_EQ(CodePageIndex, kUtf8View);
    WriteBytes(TestPath("ansi.txt"), Repeat("\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0\r\n", 20));
    ASSERT_TRUE(LoadFile(TestPath("ansi.txt").c_str()));
    EXPECT_EQ(CodePageIndex, kAnsi1251);
}

TEST_F(DocumentFiles, AFileOfTextLimitLoadsAndOneByteMoreIsRefusedWithAMessage) {
    Program().textLimit = 4000;
    const std::string fits(4000, 'a');
    WriteBytes(TestPath("fits.txt"), fits);
    WriteBytes(TestPath("over.txt"), fits + "b");
    ASSERT_TRUE(LoadFile(TestPath("fits.txt").c_str()));

    ModalAnswers answers;
    answers.PressButton(IDOK);
    EXPECT_FALSE(LoadFile(TestPath("over.txt").c_str()));
    ASSERT_EQ(answers.Seen().size(), 1u);
    EXPECT_EQ(answers.Seen()[0].title, "VEMKO");
    EXPECT_FALSE(answers.Seen()[0].text.empty());
    EXPECT_EQ(ControlText(), fits);
    EXPECT_STREQ(CurrentFileName, TestPath("fits.txt").c_str());

    // A file that cannot be opened is refused without a word.
    EXPECT_FALSE(LoadFile(TestPath("missing.txt").c_str()));
    EXPECT_EQ(answers.Seen().size(), 1u);
}

TEST_F(DocumentFiles, AReadOnlyFileIsOverwrittenOnlyAfterYesAndStaysReadOnly) {
    const std::string path = TestPath("ro.txt");
    WriteBytes(path, "old text\r\n");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(LoadFile(path.c_str()));
    SetControlText("new text\r\n");

    ModalAnswers answers;
    answers.PressButton(IDNO);
    EXPECT_FALSE(SaveDocument());
    ASSERT_EQ(answers.Seen().size(), 1u);
    EXPECT_EQ(answers.Seen()[0].text, path + ": только для чтения!\rПерезаписать?"_ui);
    EXPECT_EQ(ReadBytes(path), "old text\r\n");
    EXPECT_TRUE(Modified());

    answers.PressButton(IDYES);
    EXPECT_TRUE(SaveDocument());
    EXPECT_EQ(ReadBytes(path), "new text\r\n");
    EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(Modified());
    EXPECT_EQ(answers.Seen().size(), 2u) << MessageBoxTexts(answers);
}

TEST_F(DocumentFiles, ASaveThatCannotReplaceTheFileLeavesItByteIdentical) {
    const std::string path = TestPath("kept.txt");
    const std::string old = EveryByteInLines();
    WriteBytes(path, old);
    ASSERT_TRUE(LoadFile(path.c_str()));
    SetControlText(Repeat("something else entirely\r\n", 1000));

    ModalAnswers answers;
    answers.PressButton(IDOK);
    {
        LockedFile lock(path);
        ASSERT_TRUE(lock.Held());
        EXPECT_FALSE(SaveDocument());
    }
    EXPECT_EQ(answers.Seen().size(), 1u) << "the failure is reported";
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_TRUE(Modified());
    // Nothing is left behind in the folder.
    EXPECT_EQ(TestFolderFiles(), std::vector<std::string>{"kept.txt"});

    // A folder of that name in the way: refused the same way.
    lstrcpynA(CurrentFileName, TestPath("folder.txt").c_str(), MAX_PATH);
    CreateDirectoryA(CurrentFileName, nullptr);
    answers.PressButton(IDOK);
    EXPECT_FALSE(SaveDocument());
    EXPECT_EQ(answers.Seen().size(), 2u);
    EXPECT_TRUE(GetFileAttributesA(CurrentFileName) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(Modified());
    EXPECT_EQ(TestFolderFiles(), std::vector<std::string>{"kept.txt"});
}

// A folder on a small full file system, made by the caller (for instance a 64 KB tmpfs under the
// prefix's Z: drive) and named in VEMKO_FULL_FOLDER: the write itself fails part-way.
TEST_F(DocumentFiles, ASaveThatRunsOutOfDiskLeavesTheOldFileByteIdentical) {
    const char* folder = std::getenv("VEMKO_FULL_FOLDER");
    if (!folder || !*folder) GTEST_SKIP() << "VEMKO_FULL_FOLDER names no small file system";
    const std::string path = std::string(folder) + "\\full.txt";
    WriteBytes(path, "the old file\r\n");
    lstrcpynA(CurrentFileName, path.c_str(), MAX_PATH);
    SetControlText(std::string(4 << 20, 'x'));

    ModalAnswers answers;
    answers.PressButton(IDOK);
    EXPECT_FALSE(SaveDocument());
    EXPECT_EQ(answers.Seen().size(), 1u);
    EXPECT_EQ(ReadBytes(path), "the old file\r\n");
    EXPECT_TRUE(Modified());
    // The partly written new file does not stay behind to fill the disk.
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((std::string(folder) + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    EXPECT_EQ(names, std::vector<std::string>{"full.txt"});
    DeleteFileA(path.c_str());
}

TEST_F(DocumentFiles, EachAnswerOfTheSaveChangesQuestion) {
    const std::string path = TestPath("doc.txt");
    WriteBytes(path, "on disk\r\n");
    ASSERT_TRUE(LoadFile(path.c_str()));
    ModalAnswers answers;

    // Not modified: no question.
    EXPECT_TRUE(ConfirmSaveChanges());
    EXPECT_TRUE(answers.Seen().empty());

    SetControlText("edited\r\n");
    answers.PressButton(IDCANCEL);
    EXPECT_FALSE(ConfirmSaveChanges());
    ASSERT_EQ(answers.Seen().size(), 1u);
    EXPECT_EQ(answers.Seen()[0].text, "Сохранить "_ui + path + "?");
    EXPECT_TRUE(Modified());
    EXPECT_EQ(ControlText(), "edited\r\n");

    answers.PressButton(IDNO);
    EXPECT_TRUE(ConfirmSaveChanges());
    EXPECT_EQ(ReadBytes(path), "on disk\r\n");

    answers.PressButton(IDYES);
    EXPECT_TRUE(ConfirmSaveChanges());
    EXPECT_EQ(ReadBytes(path), "edited\r\n");
    EXPECT_FALSE(Modified());

    // "Yes" and the save fails: the caller must not go on.
    SetControlText("edited again\r\n");
    answers.PressButton(IDYES);
    answers.PressButton(IDOK);  // the error
    {
        LockedFile lock(path);
        EXPECT_FALSE(ConfirmSaveChanges());
    }
    EXPECT_TRUE(Modified());
    EXPECT_EQ(ControlText(), "edited again\r\n");
    EXPECT_EQ(answers.Seen().size(), 5u) << MessageBoxTexts(answers);
    EXPECT_EQ(answers.Unanswered(), 0u);
}

TEST_F(DocumentFiles, YesOnAnUntitledDocumentRunsSaveAsAndACancelledDialogLosesNothing) {
    SetControlText("typed, never saved\r\n");
    ModalAnswers answers;
    answers.PressButton(IDYES);
    answers.CancelDialog();
    EXPECT_FALSE(ConfirmSaveChanges());
    EXPECT_EQ(answers.Seen().size(), 2u);
    EXPECT_STREQ(CurrentFileName, UntitledName);
    EXPECT_TRUE(Modified());
    EXPECT_EQ(ControlText(), "typed, never saved\r\n");

    const std::string path = TestPath("named.txt");
    answers.PressButton(IDYES);
    answers.ChooseFile(path);
    EXPECT_TRUE(ConfirmSaveChanges());
    EXPECT_STREQ(CurrentFileName, path.c_str());
    EXPECT_EQ(ReadBytes(path), "typed, never saved\r\n");
    EXPECT_FALSE(Modified());
    EXPECT_EQ(WindowText(MainWindow), "[named.txt]-VEMKO");
    // Saved under a new name: listed first, caret 0.
    EXPECT_EQ(RecentFilePath(0), path);
}

TEST_F(DocumentFiles, TheChosenFilterIsOfferedNextAndGivesItsDefaultExtension) {
    WriteBytes(TestPath("page.htm"), "<p>\r\n");
    ModalAnswers answers;
    // Open with the HTML filter chosen in the dialog.
    answers.ChooseFile(TestPath("page.htm"));
    Program().fileDialog.filterIndex = 3;
    OpenDocument();
    EXPECT_STREQ(CurrentFileName, TestPath("page.htm").c_str());
    EXPECT_EQ(Program().fileDialog.filterIndex, 3u);

    // The dialogs carry the program's small icon.
    ASSERT_NE(Program().smallIcon, nullptr);
    answers.InspectAndCancel([](HWND dialog) {
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0)), Program().smallIcon);
    });
    InsertFile();
    EXPECT_EQ(ControlText(), "<p>\r\n");

    // The next Save As offers it, and a name typed without extension gets "htm".
    SetControlText("<p>changed</p>\r\n");
    answers.ChooseFile(TestPath("other"));
    EXPECT_TRUE(SaveDocumentAs());
    EXPECT_STREQ(CurrentFileName, TestPath("other.htm").c_str());
    EXPECT_EQ(ReadBytes(TestPath("other.htm")), "<p>changed</p>\r\n");

    // Choosing another type in the dialog changes the default extension with it.
    answers.ChooseFile(TestPath("source"), 5);
    EXPECT_TRUE(SaveDocumentAs());
    EXPECT_STREQ(CurrentFileName, TestPath("source.c").c_str());
    EXPECT_EQ(Program().fileDialog.filterIndex, 5u);
    EXPECT_EQ(answers.Seen().size(), 4u) << MessageBoxTexts(answers);
}

TEST_F(DocumentFiles, AReadErrorWhileLoadingKeepsTheDocumentItHad) {
    const std::string path = TestPath("first.txt");
    WriteBytes(path, "the document\r\n");
    ASSERT_TRUE(LoadFile(path.c_str()));
    ProgramDocument().Replace(0, 0, "", UndoKind::TextSnapshot);

    // Reading this file fails in the system (the process's memory image from address 0).
    ModalAnswers answers;
    answers.PressButton(IDOK);
    EXPECT_FALSE(LoadFile("Z:\\proc\\self\\mem"));
    EXPECT_EQ(answers.Seen().size(), 1u) << "the read error is reported";
    EXPECT_STREQ(CurrentFileName, path.c_str());
    EXPECT_EQ(ControlText(), "the document\r\n");
    EXPECT_FALSE(Modified());
    EXPECT_EQ(WindowText(MainWindow), "[first.txt]-VEMKO");
    EXPECT_EQ(DocumentUndoJournal().RecordCount(), 1u);
    EXPECT_EQ(ReadBytes(path), "the document\r\n");
}

TEST_F(DocumentFiles, AnInsertedFileReplacesTheSelectionAndOneUndoTakesItOut) {
    const std::string path = TestPath("base.txt");
    WriteBytes(path, "first line\r\nsecond line\r\n");
    WriteBytes(TestPath("insert.txt"), std::string("\x01inserted\x00\xFF\r\n", 13));
    ASSERT_TRUE(LoadFile(path.c_str()));
    SendMessageA(EditorControl, EM_SETSEL, 6, 10);  // "line" of the first line

    ModalAnswers answers;
    answers.ChooseFile(TestPath("insert.txt"));
    InsertFile();
    EXPECT_EQ(ControlText(), std::string("first \x01inserted\x00\xFF\r\n\r\nsecond line\r\n", 34));
    EXPECT_STREQ(CurrentFileName, path.c_str());
    EXPECT_EQ(CodePageIndex, 0);
    EXPECT_TRUE(Modified());

    UndoLast();
    EXPECT_EQ(ControlText(), "first line\r\nsecond line\r\n");
    EXPECT_TRUE(DocumentUndoJournal().Empty());
}

TEST_F(DocumentFiles, ALoadedFileIsListedAndItsCaretComesBack) {
    WriteBytes(TestPath("one.txt"), std::string(500, 'a'));
    WriteBytes(TestPath("two.txt"), "two\r\n");
    ASSERT_TRUE(LoadFile(TestPath("one.txt").c_str()));
    EXPECT_EQ(RecentFilePath(0), TestPath("one.txt"));
    SendMessageA(EditorControl, EM_SETSEL, 321, 321);
    EXPECT_TRUE(ConfirmSaveChanges());  // leaving the file stores its caret
    ASSERT_TRUE(LoadFile(TestPath("two.txt").c_str()));
    EXPECT_EQ(RecentFilePath(0), TestPath("two.txt"));
    EXPECT_EQ(RecentFilePath(1), TestPath("one.txt"));
    ASSERT_TRUE(LoadFile(TestPath("one.txt").c_str()));
    EXPECT_EQ(Selection().cpMin, 321);
    EXPECT_EQ(Selection().cpMax, 321);

    // "RP" off, as the options dialog leaves it.
    Program().switches.restoreCaretPosition = false;
    EXPECT_TRUE(ConfirmSaveChanges());
    ASSERT_TRUE(LoadFile(TestPath("two.txt").c_str()));
    ASSERT_TRUE(LoadFile(TestPath("one.txt").c_str()));
    EXPECT_EQ(Selection().cpMin, 0) << "with \"RP\" off the list does not move the caret";
    Program().switches.restoreCaretPosition = true;
}

// A view switched to by hand is kept with the file: opened again by name (the open dialog and the
// command line load it so) or from the recent list, the file comes back in that view instead of the
// guess, also after the program saved it; once another program changed it, it is guessed again and
// the choice is gone. The guess alone is never kept.
TEST_F(DocumentFiles, AViewChosenByHandComesBackUntilAnotherProgramChangesTheFile) {
    const std::string chosen = TestPath("chosen.txt"), other = TestPath("other.txt");
    const std::string letter = Repeat("Plain ASCII text, nothing else.\r\n", 5);
    WriteBytes(chosen, letter);
    WriteBytes(other, "other\r\n");
    auto reopened = [&] {
        EXPECT_TRUE(LoadFile(other.c_str()));
        EXPECT_EQ(CodePageIndex, 0);
        EXPECT_TRUE(LoadFile(chosen.c_str()));
        return int{CodePageIndex};
    };
    ASSERT_TRUE(LoadFile(chosen.c_str()));
    EXPECT_EQ(reopened(), 0);
    Command(IDM_VIEW_OEM);
    EXPECT_EQ(reopened(), 1);
    ASSERT_TRUE(LoadFile(other.c_str()));
    ASSERT_EQ(RecentFilePath(1), chosen);
    Command(IDM_RECENT_FIRST + 1);
    EXPECT_STREQ(CurrentFileName, chosen.c_str());
    EXPECT_EQ(CodePageIndex, 1) << "from the recent list";
    Command(IDM_VIEW_UTF16_LE);
    SendMessageA(EditorControl, EM_SETMODIFY, TRUE, 0);
    ASSERT_TRUE(SaveDocument());
    EXPECT_EQ(reopened(), kUtf16LeView) << "the program's own save keeps the choice";
    WriteBytes(chosen, letter + "one line more\r\n");
    EXPECT_EQ(reopened(), 0) << "changed by another program: guessed";
    EXPECT_EQ(reopened(), 0) << "and the choice forgotten";
}
