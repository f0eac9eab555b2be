#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "app/win/application.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "app/win/status_bar.h"
#include "document/win/document_name.h"
#include "document/win/document_files.h"
#include "document/win/view_code_page.h"
#include "support/win/app_harness.h"

#include <string>

// Started with the name of a KOI8-R file (quoted: it holds blanks), the program opens it in the
// KOI8-R view under the file's own name.
TEST(CommandLineFile, AKoi8FileNamedOnTheCommandLineOpensInTheKoi8View) {
    CreateDirectoryA("C:\\vemko-tests", nullptr);
    CreateDirectoryA("C:\\vemko-tests\\command line", nullptr);
    // (Non-ASCII file names need a Unix locale with that character set, which the Wine harness
    // does not have.)
    const std::string name = "Letter to Ivan.txt";
    const std::string path = "C:\\vemko-tests\\command line\\" + name;
    // " Привет, Иван!" and a second line, in KOI8-R.
    const std::string bytes = "\x20\xF0\xD2\xC9\xD7\xC5\xD4\x2C\x20\xE9\xD7\xC1\xCE\x21\r\n\xE4\xCF \xD7\xD3\xD4\xD2\xC5\xDE\xC9\r\n";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);

    const std::string commandLine = "vemko.exe \"" + path + "\"";
    ASSERT_NE(StartTestApplication(commandLine.c_str()), nullptr);
    ASSERT_NE(EditorControl, nullptr);
    EXPECT_EQ(WindowText(MainWindow), "[" + name + "]-VEMKO");
    EXPECT_STREQ(CurrentFileName, path.c_str());
    EXPECT_EQ(CodePageIndex, 2);
    if (StatusBar) EXPECT_EQ(StatusBarPart(2), "KOI8 R");
    EXPECT_EQ(SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0), static_cast<LRESULT>(bytes.size()));
    EXPECT_FALSE(SendMessageA(EditorControl, EM_GETMODIFY, 0, 0));
    CloseTestApplication();
}

// The command line is taken in UTF-16: a Cyrillic name opens on a system of any code page, and a
// name that 1251 cannot write opens where the file system can hold it.
TEST(CommandLineFile, NamesOnTheCommandLineOpenWhateverTheirAlphabet) {
    CreateDirectoryA("C:\\vemko-tests", nullptr);
    CreateDirectoryA("C:\\vemko-tests\\command line", nullptr);
    for (const std::wstring name : {L"Письмо Ивану.txt", L"Γράμμα.txt"}) {
        const std::wstring path = L"C:\\vemko-tests\\command line\\" + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;  // a system whose file names cannot hold Greek
        DWORD written = 0;
        WriteFile(file, "text", 4, &written, nullptr);
        CloseHandle(file);

        const std::wstring commandLine = L"vemko.exe \"" + path + L"\"";
        ASSERT_TRUE(StartApplication(GetModuleHandleA(nullptr), commandLine.c_str()));
        PumpMessages();
        ASSERT_NE(EditorControl, nullptr);
        wchar_t title[MAX_PATH] = {};
        GetWindowTextW(MainWindow, title, MAX_PATH);
        EXPECT_EQ(std::wstring(title), L"[" + name + L"]-VEMKO");
        EXPECT_EQ(DocumentPath(), path);
        EXPECT_EQ(SendMessageA(EditorControl, WM_GETTEXTLENGTH, 0, 0), 4);
        CloseTestApplication();
        DeleteFileW(path.c_str());
    }
}
