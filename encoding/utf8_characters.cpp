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
    // Latin Extended-A pairs, capital first; İ is left alone, as its small letter is one byte.
    if ((c >= 0x0100 && c <= 0x012F) || (c >= 0x0132 && c <= 0x0137) || (c >= 0x014A && c <= 0x0177))
        return (c & 1) == 0 ? c + 1 : c;
    if ((c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E)) return (c & 1) == 1 ? c + 1 : c;
    if (c == 0x0178) return 0x00FF;  // Ÿ
    // Greek capitals, with and without tonos.
    if (c >= 0x0391 && c <= 0x03AB && c != 0x03A2) return c + 0x20;
    if (c == 0x0386) return 0x03AC;
    if (c >= 0x0388 && c <= 0x038A) return c + 0x25;
    if (c == 0x038C) return 0x03CC;
    if (c == 0x038E || c == 0x038F) return c + 0x3F;
    return c;
}

std::u16string Utf16OfUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Character c = ReadUtf8Character(text, i);
        const char32_t code = c.wellFormed ? c.value : 0xFFFD;
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += c.length;
    }
    return out;
}

std::string Utf8OfUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (code >= 0xD800 && code <= 0xDFFF)
            code = 0xFFFD;
        AppendUtf8(code, out);
    }
    return out;
}
