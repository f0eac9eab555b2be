// Files by name whatever the system's code page: the program's names are 1251 texts, the file
// system's are UTF-16.
#include <string>

#include "app/ui_text.h"
#include "app/win/shown_text.h"
#include "document/recent_files.h"
#include "document/win/document_fixture.h"
#include "support/win/modal_answers.h"

namespace {

std::wstring Title() {
    wchar_t title[MAX_PATH + 16] = {};
    GetWindowTextW(MainWindow, title, MAX_PATH + 16);
    return title;
}

}  // namespace

using FileNames = DocumentTest;

TEST_F(FileNames, CyrillicNamesOpenSaveInsertAndAreListed) {
    const std::string path = TestPath("Письмо №1 «ёж».txt"_ui);
    WriteBytes(path, "first\r\n");
    ASSERT_TRUE(LoadFile(path.c_str()));
    EXPECT_EQ(ControlText(), "first\r\n");
    EXPECT_STREQ(CurrentFileName, path.c_str());
    EXPECT_EQ(Title(), L"[Письмо №1 «ёж».txt]-VEMKO");
    EXPECT_EQ(RecentFilePath(0), path);
    SetControlText("second\r\n");
    ASSERT_TRUE(SaveDocument());
    EXPECT_EQ(ReadBytes(path), "second\r\n");

    ModalAnswers answers;
    const std::string copy = TestPath("Копия.txt"_ui);
    answers.ChooseFile(copy);
    ASSERT_TRUE(SaveDocumentAs());
    EXPECT_EQ(ReadBytes(copy), "second\r\n");
    EXPECT_STREQ(CurrentFileName, copy.c_str());
    EXPECT_EQ(Title(), L"[Копия.txt]-VEMKO");
    EXPECT_EQ(RecentFilePath(0), copy);
    EXPECT_EQ(RecentFilePath(1), path);

    SetControlText("", false);
    answers.ChooseFile(path);
    InsertFile();
    EXPECT_EQ(ControlText(), "second\r\n");
    answers.ChooseFile(copy);
    OpenDocument();
    EXPECT_STREQ(CurrentFileName, copy.c_str());
    EXPECT_EQ(answers.Unanswered(), 0u);
    for (const SeenModal& seen : answers.Seen()) EXPECT_FALSE(seen.unexpected) << seen.title;
}

// A name with characters that 1251 lacks: the program's text of it has '?' in their place, which no
// file name holds, while the file is opened, saved and shown by its own name.
TEST_F(FileNames, ANameThat1251CannotWriteOpensSavesAndShowsButIsNotListed) {
    const std::wstring path = WideText(TestPath("")) + L"Ελλάδα.txt";
    HANDLE probe = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) GTEST_SKIP() << "this system's file names cannot hold Greek";
    CloseHandle(probe);
    WriteBytes(path, "alpha");
    ASSERT_TRUE(LoadFile(path.c_str()));
    EXPECT_EQ(ControlText(), "alpha");
    EXPECT_EQ(std::string(CurrentFileName), TestPath("??????.txt"));
    EXPECT_EQ(Title(), L"[Ελλάδα.txt]-VEMKO");
    EXPECT_EQ(RecentFilePath(0), "") << "a name the list cannot hold is not listed";

    SetControlText("beta");
    ASSERT_TRUE(SaveDocument());
    EXPECT_EQ(ReadBytes(path), "beta");
    EXPECT_EQ(TestFolderFiles().size(), 1u);

    ModalAnswers answers;
    const std::wstring other = WideText(TestPath("")) + L"Ψ.txt";
    answers.ChooseFile(other);
    ASSERT_TRUE(SaveDocumentAs());
    EXPECT_EQ(ReadBytes(other), "beta");
    EXPECT_EQ(Title(), L"[Ψ.txt]-VEMKO");
    SetControlText("", false);
    answers.ChooseFile(path);
    InsertFile();
    EXPECT_EQ(ControlText(), "beta");
    answers.ChooseFile(path);
    OpenDocument();
    EXPECT_EQ(Title(), L"[Ελλάδα.txt]-VEMKO");
    EXPECT_EQ(answers.Unanswered(), 0u);
}
