#pragma once
// The classes of characters, and the directions, that words, word moves and whole-word search go by, in every view: the
// bytes of a code page (text_search) and the characters of Unicode (utf8_characters) alike.
#include <cstdint>

enum class WordClass : std::uint8_t { Blank, LineBreak, Word, Punctuation };
enum class WordMove { Left, Right };

// The ASCII characters, the same in every view: letters, digits and '_' make words; space, tab,
// vertical tab and form feed are blanks; CR and LF break lines; the rest is punctuation.
constexpr WordClass AsciiWordClass(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_') return WordClass::Word;
    if (c == ' ' || c == '\t' || c == '\v' || c == '\f') return WordClass::Blank;
    if (c == '\r' || c == '\n') return WordClass::LineBreak;
    return WordClass::Punctuation;
}
