#pragma once
// The application started once for a test program, a fresh untitled document before each test, the
// settings in memory, and files in a folder of the prefix's C: drive.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <cstdio>
#include <string>

#include "base/settings.h"
#include "app/win/application.h"
#include "app/win/shell_window.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "document/win/document_name.h"
#include "base/win/shown_text.h"
#include "document/win/program_document.h"
#include "document/win/document_files.h"
#include "document/win/view_code_page.h"
#include "encoding/code_page_tables.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/editor_text.h"
#include "support/win/file_bytes.h"

inline const char* const kTestFolder = "C:\\vemko-tests\\documents";

inline std::string TestPath(const std::string& name) { return std::string(kTestFolder) + "\\" + name; }


inline std::string StatusText(int part) {
    return StatusBarPart(part);
}

// Holds a file open without sharing delete or write, so it cannot be replaced or written (as another
// program does that keeps the file open).
class LockedFile {
public:
    explicit LockedFile(const std::string& path)
        : file_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~LockedFile() { CloseHandle(file_); }
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    bool Held() const { return file_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE file_;
};

// Removes the test folder's files (read-only ones too) so each test starts from nothing.
inline void EmptyTestFolder() {
    CreateDirectoryA("C:\\vemko-tests", nullptr);
    CreateDirectoryA(kTestFolder, nullptr);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(WideText(TestPath("*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring path = WideText(TestPath("")) + found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (found.cFileName[0] != L'.') RemoveDirectoryW(path.c_str());
            continue;
        }
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// The names in the test folder.
inline std::vector<std::string> TestFolderFiles() {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(WideText(TestPath("*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(AnsiText(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

class DocumentTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        StartTestApplication();
        previousLimit_ = Program().textLimit;
    }
    static void TearDownTestSuite() {
        CloseTestApplication();
    }

    void SetUp() override {
        ASSERT_TRUE(MainWindow && EditorControl) << "the application did not start with its editor control";
        InstallSettingsStore(&settings_);
        Program().textLimit = previousLimit_;
        EmptyTestFolder();
        // A new document: empty, untitled, unmodified, journal empty, ANSI view.
        SetControlText("", false);
        ClearUndo();
        lstrcpynA(CurrentFileName, UntitledName, MAX_PATH);
        UpdateTitle();
        CodePageIndex = 0;
        ApplyViewCodePage();
    }
    void TearDown() override {
        InstallSettingsStore(nullptr);
        Program().textLimit = previousLimit_;
    }

    MemorySettingsStore settings_;
    static inline std::uint32_t previousLimit_ = 0;
};
