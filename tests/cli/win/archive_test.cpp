// The shipped vemkoconv.exe over a folder of Cyrillic names, as a user on Windows runs it: the names
// reach the file system whole, the dry run changes nothing, and the run converts the Russian files and
// keeps their dates.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoding/unicode_conversion.h"
#include "support/win/file_bytes.h"

namespace {

const std::string kRussian =
    "Широкая электрификация южных губерний даст мощный толчок подъёму сельского хозяйства.\r\n"
    "Съешь же ещё этих мягких французских булок, да выпей чаю.\r\n";

std::wstring Here() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

void SetWriteTime(const std::wstring& path, const FILETIME& time) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

ULONGLONG WriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
}

DWORD RunVemkoconv(const std::wstring& arguments) {
    std::wstring line = L"\"" + Here() + L"vemkoconv.exe\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 1000 + GetLastError();
    WaitForSingleObject(process.hProcess, 120000);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}

struct Entry {
    std::wstring name;
    std::string bytes;
    std::string converted;  // what the run must leave; the bytes themselves when nothing
};

TEST(VemkoconvOnWindows, AFolderOfCyrillicNamesIsWalkedAndItsRussianFilesConvertedWithTheirDates) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring top = std::wstring(temp) + L"архив " + std::to_wstring(GetCurrentProcessId());
    const std::wstring letters = top + L"\\письма 1998";
    ASSERT_TRUE(CreateDirectoryW(top.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(letters.c_str(), nullptr));
    const std::string utf8 = kRussian;
    const std::vector<Entry> entries = {
        {letters + L"\\письмо в 1251.txt", ConvertText(kRussian, TextEncoding::Utf8, TextEncoding::Cp1251), utf8},
        {letters + L"\\отчёт в 866.txt", ConvertText(kRussian, TextEncoding::Utf8, TextEncoding::Cp866), utf8},
        {top + L"\\ёлка koi8.txt", ConvertText(kRussian, TextEncoding::Utf8, TextEncoding::Koi8R), utf8},
        {top + L"\\readme.txt", "Plain English, nothing to convert.\r\n", ""},
        {top + L"\\данные.bin", std::string("\x00\x01\x02\xFF\xFE\x00\x10", 7), ""},
    };
    FILETIME old{};
    SYSTEMTIME y2k{1999, 12, 5, 31, 23, 59, 0, 0};
    SystemTimeToFileTime(&y2k, &old);
    for (const Entry& e : entries) {
        WriteBytes(e.name, e.bytes);
        SetWriteTime(e.name, old);
    }
    const ULONGLONG dated = WriteTime(entries.front().name);

    // Status 4: the binary file is left alone, and the status says so.
    EXPECT_EQ(RunVemkoconv(L"convert -f auto -i -r -n \"" + top + L"\""), 4u);
    for (const Entry& e : entries) {
        EXPECT_EQ(ReadBytes(e.name), e.bytes) << "dry run";
        EXPECT_EQ(WriteTime(e.name), dated) << "dry run";
    }

    EXPECT_EQ(RunVemkoconv(L"convert -f auto -i -r -p \"" + top + L"\""), 4u);
    for (const Entry& e : entries) {
        EXPECT_EQ(ReadBytes(e.name), e.converted.empty() ? e.bytes : e.converted);
        EXPECT_EQ(WriteTime(e.name), dated);
    }

    for (const Entry& e : entries) DeleteFileW(e.name.c_str());
    RemoveDirectoryW(letters.c_str());
    RemoveDirectoryW(top.c_str());
}

}  // namespace
