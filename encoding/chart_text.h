#pragma once
// Text between the bytes of a Cyrillic code page and UTF-16, by the code page's published chart.
// The program's own texts (menus, messages, file names, settings) are 1251 bytes; the screen, the
// file system and the registry take UTF-16, which reads the same on a system of any code page. A
// byte the chart leaves unassigned (0x98 in 1251) stands for the C1 control character of the same
// number, as the system's own tables have it, so every byte survives the way there and back.
#include <string>
#include <string_view>

#include "base/charts.h"

// The character of one byte.
char16_t CharacterOfByte(const charts::HighHalf& chart, unsigned char byte);
// The byte of one character, or -1 when the code page lacks it.
int ByteOfCharacter(const charts::HighHalf& chart, char16_t character);

std::u16string DecodeChart(const charts::HighHalf& chart, std::string_view bytes);
// A character the code page lacks becomes '?', which no file name can hold: a name that cannot be
// written in the code page is never taken for another file. `lossless`, when given, says whether
// every character had its byte.
std::string EncodeChart(const charts::HighHalf& chart, std::u16string_view text, bool* lossless = nullptr);

// The program's texts: 1251.
inline std::u16string Utf16FromAnsi(std::string_view bytes) { return DecodeChart(charts::kWindows1251, bytes); }
inline std::string AnsiFromUtf16(std::u16string_view text, bool* lossless = nullptr) {
    return EncodeChart(charts::kWindows1251, text, lossless);
}
