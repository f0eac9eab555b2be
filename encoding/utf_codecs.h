#pragma once
// The scalar codecs of UTF-8 and UTF-16, one character at a time: what every conversion falls back on
// and what the vector kernels are held to.
#include <cstddef>
#include <cstdint>

namespace unicode {

constexpr char32_t kInvalid = 0xFFFFFFFF;  // a malformed byte or unit: becomes '?'
constexpr char32_t kCut = 0xFFFFFFFE;      // a character cut by the end of the block

// One character from UTF-8 at `p`, `length` set to the bytes it takes (1 for a malformed byte).
inline char32_t DecodeUtf8(const std::uint8_t* p, const std::uint8_t* end, bool atEnd, std::size_t& length) {
    const std::uint8_t b = p[0];
    length = 1;
    if (b < 0x80) return b;
    int count;
    char32_t cp;
    std::uint8_t low = 0x80, high = 0xBF;  // the bounds of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        count = 2;
        cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        count = 3;
        cp = b & 0x0F;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        count = 4;
        cp = b & 0x07;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return kInvalid;
    }
    for (int i = 1; i < count; ++i) {
        if (p + i == end) return atEnd ? kInvalid : kCut;
        const std::uint8_t c = p[i];
        if (i == 1 ? (c < low || c > high) : (c < 0x80 || c > 0xBF)) return kInvalid;
        cp = (cp << 6) | (c & 0x3F);
    }
    length = static_cast<std::size_t>(count);
    return cp;
}

inline char* EncodeUtf8(char32_t cp, char* out) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

inline char32_t DecodeUtf16(const std::uint8_t* p, const std::uint8_t* end, bool atEnd, bool bigEndian,
                            std::size_t& length) {
    auto unit = [bigEndian](const std::uint8_t* q) -> char32_t {
        return bigEndian ? (q[0] << 8 | q[1]) : (q[1] << 8 | q[0]);
    };
    length = 1;
    if (end - p < 2) return atEnd ? kInvalid : kCut;
    length = 2;
    const char32_t first = unit(p);
    if (first < 0xD800 || first > 0xDFFF) return first;
    if (first > 0xDBFF) return kInvalid;
    if (end - p < 4) return atEnd ? kInvalid : kCut;
    const char32_t second = unit(p + 2);
    if (second < 0xDC00 || second > 0xDFFF) return kInvalid;
    length = 4;
    return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
}

inline char* EncodeUtf16(char32_t cp, bool bigEndian, char* out) {
    auto put = [bigEndian, &out](char32_t unit) {
        *out++ = static_cast<char>(bigEndian ? unit >> 8 : unit & 0xFF);
        *out++ = static_cast<char>(bigEndian ? unit & 0xFF : unit >> 8);
    };
    if (cp < 0x10000) {
        put(cp);
    } else {
        put(0xD800 + ((cp - 0x10000) >> 10));
        put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
    return out;
}

}  // namespace unicode
