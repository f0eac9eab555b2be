#pragma once
// Characters of UTF-8 text for the UTF-8 view: a character is one well-formed sequence of 1-4 bytes,
// and every byte that belongs to none (a stray continuation byte, a cut or overlong sequence, a
// surrogate) is a character of its own, kept as it is.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct Utf8Character {
    char32_t value;        // the character; for a byte of its own, that byte's value
    std::size_t length;    // 1-4
    bool wellFormed;       // false for a byte of its own
    bool cut;              // a sequence well-formed so far that the end of the bytes cuts off
};

// The character that starts at bytes[0]; `available` (at least 1) bytes can be read.
Utf8Character ReadUtf8Character(const std::uint8_t* bytes, std::size_t available);

inline Utf8Character ReadUtf8Character(std::string_view text, std::size_t at) {
    return ReadUtf8Character(reinterpret_cast<const std::uint8_t*>(text.data()) + at, text.size() - at);
}

// Whether a character starts at text[at]: false only inside a well-formed sequence.
bool StartsUtf8Character(std::string_view text, std::size_t at);

void AppendUtf8(char32_t character, std::string& out);

// The small letter of a capital Latin, Greek or Cyrillic letter (every letter of the five Cyrillic
// code pages, of Latin-1 and Latin Extended-A, and the Greek alphabet), or the character itself. A
// letter and its small letter are equally long in UTF-8, so folding keeps every offset.
char32_t SmallLetterOf(char32_t character);

// Text across the system's UTF-16: a byte of no character goes out as U+FFFD, and half of a
// surrogate pair alone comes in as U+FFFD.
std::u16string Utf16OfUtf8(std::string_view text);
std::string Utf8OfUtf16(std::u16string_view text);
