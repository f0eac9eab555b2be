#pragma once
// Characters of UTF-8 text, as the UTF-8 view and every search and transform of it count them: a
// character is one well-formed sequence of 1-4 bytes, and every byte that belongs to none (a stray
// continuation byte, a cut or overlong sequence, a surrogate, a byte no sequence starts with) is a
// character of its own, kept as it is. The decoding is the scalar codec's (utf_codecs.h), so the
// view and the conversions never disagree on what is well-formed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "encoding/utf_codecs.h"

// The code of a byte that stands alone; the byte itself is kept in Utf8Character::byte.
constexpr char32_t kMalformedByte = unicode::kInvalid;

struct Utf8Character {
    char32_t code = kMalformedByte;
    std::uint8_t length = 1;  // 1-4
    unsigned char byte = 0;   // the first byte
    bool cut = false;         // a sequence well-formed so far that the end of the bytes cuts off
    char16_t unit = 0;        // in the UTF-16 views, the unit of a lone surrogate (length 2)
    bool WellFormed() const { return code != kMalformedByte; }
};

// The character that starts at bytes[0]; `available` bytes can be read (none: a byte of its own, 0).
inline Utf8Character ReadUtf8Character(const std::uint8_t* bytes, std::size_t available) {
    Utf8Character c;
    if (available == 0) return c;
    c.byte = bytes[0];
    std::size_t length;
    const char32_t code = unicode::DecodeUtf8(bytes, bytes + available, false, length);
    if (code == unicode::kCut) {
        c.cut = true;
    } else if (code != unicode::kInvalid) {
        c.code = code;
        c.length = static_cast<std::uint8_t>(length);
    }
    return c;
}

inline Utf8Character ReadUtf8Character(std::string_view text, std::size_t at) {
    return ReadUtf8Character(reinterpret_cast<const std::uint8_t*>(text.data()) + at, text.size() - at);
}

// The length of the well-formed sequence bytes begin with, or 0.
inline std::size_t WellFormedLength(const std::uint8_t* bytes, std::size_t available) {
    const Utf8Character c = ReadUtf8Character(bytes, available);
    return c.WellFormed() ? c.length : 0;
}

// The start of the character that holds position `at` of `length` bytes, each read by byteAt(i); the
// end is a start. A continuation byte lies inside the sequence of the lead at most three bytes back,
// if that sequence is well-formed and reaches it, so no place is judged by reading from the start.
template <typename ByteAt>
std::size_t Utf8CharacterStartIn(std::size_t length, std::size_t at, const ByteAt& byteAt) {
    if (at >= length) return length;
    auto continues = [](std::uint8_t b) { return (b & 0xC0) == 0x80; };
    if (!continues(byteAt(at))) return at;
    for (std::size_t back = 1; back <= 3 && back <= at; ++back) {
        if (continues(byteAt(at - back))) continue;
        std::uint8_t bytes[4];
        std::size_t count = 0;
        for (; count < 4 && at - back + count < length; ++count) bytes[count] = byteAt(at - back + count);
        return WellFormedLength(bytes, count) > back ? at - back : at;
    }
    return at;
}

// Whether a character starts at text[at]: false only inside a well-formed sequence.
inline bool StartsUtf8Character(std::string_view text, std::size_t at) {
    return at >= text.size() ||
           Utf8CharacterStartIn(text.size(), at, [text](std::size_t i) { return static_cast<std::uint8_t>(text[i]); }) == at;
}

void AppendUtf8(char32_t character, std::string& out);
// The UTF-8 bytes of a code point (one below U+110000 and no surrogate).
std::string EncodeUtf8(char32_t character);

// The small letter of a capital Latin, Greek or Cyrillic letter (every letter of the five Cyrillic
// code pages, of Latin-1 and Latin Extended-A, and the Greek alphabet), or the character itself. A
// letter and its small letter are equally long in UTF-8, so folding keeps every offset.
char32_t SmallLetterOf(char32_t character);

// Text across the system's UTF-16: a byte of no character goes out as U+FFFD, and half of a
// surrogate pair alone comes in as U+FFFD.
std::u16string Utf16OfUtf8(std::string_view text);
std::string Utf8OfUtf16(std::u16string_view text);
