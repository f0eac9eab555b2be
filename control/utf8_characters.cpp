#include "control/utf8_characters.h"

#include <algorithm>

namespace {

// Ranges of letters and digits, sorted; what lies between them is punctuation or a symbol.
struct Range {
    char32_t first, last;
};
constexpr Range kWordRanges[] = {
    {0x0030, 0x0039}, {0x0041, 0x005A}, {0x005F, 0x005F}, {0x0061, 0x007A}, {0x00AA, 0x00AA},
    {0x00B2, 0x00B3}, {0x00B5, 0x00B5}, {0x00B9, 0x00BA}, {0x00BC, 0x00BE}, {0x00C0, 0x00D6},
    {0x00D8, 0x00F6}, {0x00F8, 0x02C1}, {0x02C6, 0x02D1}, {0x02E0, 0x02E4}, {0x0300, 0x0373},
    {0x0376, 0x037D}, {0x037F, 0x037F}, {0x0386, 0x0386}, {0x0388, 0x03F5}, {0x03F7, 0x0481},
    {0x0483, 0x052F}, {0x0531, 0x0556}, {0x0560, 0x0588}, {0x0591, 0x05BD}, {0x05D0, 0x05F2},
    {0x0610, 0x061A}, {0x0620, 0x0669}, {0x066E, 0x06D3}, {0x06D5, 0x06FF}, {0x0900, 0x0DFF},
    {0x0E01, 0x0E4E}, {0x0E50, 0x0E59}, {0x10A0, 0x10FF}, {0x1100, 0x11FF}, {0x1C80, 0x1C88},
    {0x1D00, 0x1DFF}, {0x1E00, 0x1FBC}, {0x1FC2, 0x1FCC}, {0x1FD0, 0x1FDB}, {0x1FE0, 0x1FEC},
    {0x1FF2, 0x1FFC}, {0x2070, 0x2079}, {0x207F, 0x2089}, {0x2C00, 0x2CE4}, {0x2D00, 0x2D2D},
    {0x2DE0, 0x2DFF}, {0x3041, 0x3096}, {0x30A1, 0x30FA}, {0x3400, 0x4DBF}, {0x4E00, 0x9FFF},
    {0xA640, 0xA69F}, {0xA720, 0xA7FF}, {0xAB30, 0xAB6F}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},
    {0xFB00, 0xFB06}, {0xFF10, 0xFF19}, {0xFF21, 0xFF3A}, {0xFF41, 0xFF5A}, {0x1D400, 0x1D7FF},
    {0x20000, 0x3FFFF},
};

bool IsWordCode(char32_t code) {
    auto after = std::upper_bound(std::begin(kWordRanges), std::end(kWordRanges), code,
                                  [](char32_t value, const Range& r) { return value < r.first; });
    return after != std::begin(kWordRanges) && code <= (after - 1)->last;
}

}  // namespace

namespace {

// Up to four bytes from position, as many as the text has.
std::size_t ReadAt(const TextModel& text, std::size_t position, unsigned char (&bytes)[4]) {
    std::size_t n = std::min<std::size_t>(4, text.Length() - std::min(position, text.Length()));
    for (std::size_t i = 0; i < n; ++i) bytes[i] = text.At(position + i);
    return n;
}

}  // namespace

Utf8Character Utf8CharacterAt(const TextModel& text, std::size_t position) {
    unsigned char bytes[4];
    return ReadUtf8Character(bytes, ReadAt(text, position, bytes));
}

std::size_t Utf8CharacterStart(const TextModel& text, std::size_t position) {
    return Utf8CharacterStartIn(text.Length(), position, [&text](std::size_t i) { return static_cast<std::uint8_t>(text.At(i)); });
}

std::size_t Utf8NextCharacter(const TextModel& text, std::size_t position) {
    if (position >= text.Length()) return text.Length();
    return position + Utf8CharacterAt(text, position).length;
}

std::size_t Utf8PreviousCharacter(const TextModel& text, std::size_t position) {
    position = std::min(position, text.Length());
    return position == 0 ? 0 : Utf8CharacterStart(text, position - 1);
}

WordClass Utf8WordClass(char32_t code) {
    if (code < 0x80) return AsciiWordClass(static_cast<unsigned char>(code));
    if (code == kMalformedByte) return WordClass::Punctuation;
    if (code == 0x00A0 || code == 0x1680 || (code >= 0x2000 && code <= 0x200A) || code == 0x202F ||
        code == 0x205F || code == 0x3000)
        return WordClass::Blank;
    return IsWordCode(code) ? WordClass::Word : WordClass::Punctuation;
}

