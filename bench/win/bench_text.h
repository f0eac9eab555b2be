#pragma once
// What the benchmarks under Wine share: a clock and the big Russian text they work on.
#include <windows.h>

#include <cstddef>
#include <string>

// Seconds since some fixed moment, from the performance counter.
inline double Seconds() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Russian prose in 1251 with CR LF line breaks, lines of about 100 bytes, filled up to exactly `size`
// bytes. Every line holds "загрузки" in small letters.
inline std::string MakeRussianProse(std::size_t size) {
    const std::string line =
        "\xDD\xF2\xEE \xF2\xE5\xEA\xF1\xF2 \xE4\xEB\xFF \xEF\xF0\xEE\xE2\xE5\xF0\xEA\xE8 \xF1\xEA\xEE\xF0\xEE\xF1\xF2\xE8"
        " \xE7\xE0\xE3\xF0\xF3\xE7\xEA\xE8 \xE8 \xF1\xEE\xF5\xF0\xE0\xED\xE5\xED\xE8\xFF, line of text 0123456789\r\n";
    std::string text;
    text.reserve(size);
    while (text.size() + line.size() <= size) text += line;
    text.append(size - text.size(), 'x');
    return text;
}

// The same prose as UTF-8, as a Linux desktop saves it, filled up to exactly `size` bytes.
inline std::string MakeRussianUtf8Prose(std::size_t size) {
    const std::string ansi = MakeRussianProse(200);
    const std::string first = ansi.substr(0, ansi.find('\n') + 1);
    wchar_t wide[256];
    int count = MultiByteToWideChar(1251, 0, first.data(), static_cast<int>(first.size()), wide, 256);
    char bytes[512];
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, count, bytes, sizeof bytes, nullptr, nullptr);
    const std::string line(bytes, static_cast<std::size_t>(length));
    std::string text;
    text.reserve(size);
    while (text.size() + line.size() <= size) text += line;
    text.append(size - text.size(), 'x');
    return text;
}

// The same prose as UTF-16 LE with its byte order mark, as Windows tools write "Unicode" text (CR LF
// lines), `size` bytes in all.
inline std::string MakeRussianUtf16Prose(std::size_t size) {
    const std::string ansi = MakeRussianProse(200);
    const std::string first = ansi.substr(0, ansi.find('\n') + 1);
    wchar_t wide[256];
    const int count = MultiByteToWideChar(1251, 0, first.data(), static_cast<int>(first.size()), wide, 256);
    const std::string line(reinterpret_cast<const char*>(wide), static_cast<std::size_t>(count) * 2);
    std::string text = "\xFF\xFE";
    text.reserve(size);
    while (text.size() + line.size() <= size) text += line;
    while (text.size() + 2 <= size) text += std::string("x\0", 2);
    return text;
}
