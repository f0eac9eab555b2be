#include "encoding/utf8_sequences.h"

void AppendUtf8(char32_t c, std::string& out) {
    char bytes[4];
    out.append(bytes, static_cast<std::size_t>(unicode::EncodeUtf8(c, bytes) - bytes));
}

std::string EncodeUtf8(char32_t c) {
    std::string out;
    AppendUtf8(c, out);
    return out;
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
        const char32_t code = c.WellFormed() ? c.code : 0xFFFD;
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
