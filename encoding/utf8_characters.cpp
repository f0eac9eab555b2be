#include "encoding/utf8_characters.h"

Utf8Character ReadUtf8Character(const std::uint8_t* bytes, std::size_t available) {
    const std::uint8_t b = bytes[0];
    const Utf8Character single{b, 1, b < 0x80, false};
    if (b < 0x80) return single;
    std::size_t count;
    char32_t value;
    std::uint8_t low = 0x80, high = 0xBF;  // the bounds of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        count = 2;
        value = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        count = 3;
        value = b & 0x0F;
        if (b == 0xE0) low = 0xA0;   // overlong
        if (b == 0xED) high = 0x9F;  // surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        count = 4;
        value = b & 0x07;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;  // beyond U+10FFFF
    } else {
        return single;
    }
    for (std::size_t i = 1; i < count; ++i) {
        if (i == available) return {b, 1, false, true};
        const std::uint8_t c = bytes[i];
        if (i == 1 ? (c < low || c > high) : (c < 0x80 || c > 0xBF)) return single;
        value = (value << 6) | (c & 0x3F);
    }
    return {value, count, true, false};
}

bool StartsUtf8Character(std::string_view text, std::size_t at) {
    if (at >= text.size() || (static_cast<std::uint8_t>(text[at]) & 0xC0) != 0x80) return true;
    for (std::size_t back = 1; back <= 3 && back <= at; ++back) {
        const std::uint8_t b = static_cast<std::uint8_t>(text[at - back]);
        if ((b & 0xC0) == 0x80) continue;
        const Utf8Character lead = ReadUtf8Character(text, at - back);
        return !(lead.wellFormed && lead.length > back);
    }
    return true;
}

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t SmallLetterOf(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) return c + 0x20;
    if (c >= 0x0400 && c <= 0x040F) return c + 0x50;
    if (c >= 0x0410 && c <= 0x042F) return c + 0x20;
    // Ґ and the other paired letters of the Cyrillic supplement: capital even, small odd.
    if (c >= 0x0460 && c <= 0x0481 && (c & 1) == 0) return c + 1;
    if (c >= 0x048A && c <= 0x04BF && (c & 1) == 0) return c + 1;
    if (c == 0x0191) return 0x0192;  // Ƒ, for Mac Cyrillic's ƒ
    return c;
}
