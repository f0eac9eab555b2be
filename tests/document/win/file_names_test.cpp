// Files by name whatever the system's code page: the program's names are 1251 texts, the file
// system's are UTF-16.
#include <string>
#include <vector>

#include "base/ui_text.h"
#include "base/win/shown_text.h"
#include "appearance/menu_items.h"
#include "document/recent_files.h"
#include "support/win/document_fixture.h"
#include "support/win/modal_answers.h"

namespace {

std::wstring Title() {
    wchar_t title[MAX_PATH + 16] = {};
    GetWindowTextW(MainWindow, title, MAX_PATH + 16);
    return title;
}

// Wine's mapping between a Windows path and the Unix one (memory of the process heap); Windows
// itself has neither.
using UnixFileNameFunction = char*(CDECL*)(const wchar_t*);
using DosFileNameFunction = wchar_t*(CDECL*)(const char*);

}  // namespace

using FileNames = DocumentTest;

// A file made on a Linux desktop has a name of UTF-8 bytes on disk; the program shows it as itself
// through an opening, a save and a reopening from the recent files, and the save makes no twin.
TEST_F(FileNames, ANameInUtf8OnDiskShowsAsItselfAndReopensFromTheList) {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto unixFileName = reinterpret_cast<UnixFileNameFunction>(GetProcAddress(kernel, "wine_get_unix_file_name"));
    auto dosFileName = reinterpret_cast<DosFileNameFunction>(GetProcAddress(kernel, "wine_get_dos_file_name"));
    if (!unixFileName || !dosFileName) GTEST_SKIP() << "file names on disk are Wine's";
    char* folder = unixFileName(WideText(kTestFolder).c_str());
    ASSERT_NE(folder, nullptr);
    const std::string onDisk = std::string(folder) + "/Письмо.txt";  // this source's UTF-8 bytes
    HeapFree(GetProcessHeap(), 0, folder);
    wchar_t* name = dosFileName(onDisk.c_str());
    ASSERT_NE(name, nullptr);
    const std::wstring path = name;
    HeapFree(GetProcessHeap(), 0, name);
    const std::string programPath = TestPath("Письмо.txt"_ui);
    ASSERT_EQ(AnsiText(path), programPath) << "the system reads file names on disk as UTF-8";
    WriteBytes(path, "first\r\n");

    ModalAnswers answers;
    answers.ChooseFile(path);
    OpenDocument();
    EXPECT_EQ(ControlText(), "first\r\n");
    EXPECT_EQ(Title(), L"[Письмо.txt]-VEMKO");
    SetControlText("second\r\n");
    ASSERT_TRUE(SaveDocument());
    EXPECT_EQ(ReadBytes(path), "second\r\n");
    EXPECT_EQ(TestFolderFiles(), std::vector<std::string>{"Письмо.txt"_ui});

    SendMessageW(MainWindow, WM_COMMAND, IDM_NEW, 0);
    EXPECT_EQ(ControlText(), "");
    EXPECT_EQ(RecentFilePath(0), programPath);
    EXPECT_EQ(RecentFileLabel(0).label, "&0 Письмо.txt"_ui);
    SendMessageW(MainWindow, WM_COMMAND, IDM_RECENT_FIRST, 0);
    EXPECT_EQ(ControlText(), "second\r\n");
    EXPECT_EQ(Title(), L"[Письмо.txt]-VEMKO");
    EXPECT_EQ(RecentFilePath(0), programPath);
    EXPECT_EQ(answers.Unanswered(), 0u);
    for (const SeenModal& seen : answers.Seen()) EXPECT_FALSE(seen.unexpected) << seen.title;
}

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
