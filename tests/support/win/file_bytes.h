#pragma once
// A whole file's bytes written and read back, for tests that make files as a user's other programs do.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/win/shown_text.h"

// Paths are the program's 1251 texts, or UTF-16 for names that 1251 cannot write.
inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << AnsiText(path);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    CloseHandle(file);
}

inline void WriteBytes(const std::string& path, const std::string& bytes) { WriteBytes(WideText(path), bytes); }

inline std::string ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char block[65536];
    DWORD read = 0;
    while (ReadFile(file, block, sizeof block, &read, nullptr) && read) bytes.append(block, read);
    CloseHandle(file);
    return bytes;
}

inline std::string ReadBytes(const std::string& path) { return ReadBytes(WideText(path)); }
