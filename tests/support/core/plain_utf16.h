#pragma once
// A plain model of the UTF-16 views' characters for the control's tests: units of two bytes from the
// start of the text, a high surrogate and the low one after it a pair, every other surrogate and a
// byte left over at the end a character of its own.
#include <cstddef>
#include <string>
#include <vector>

#include "support/core/plain_utf8.h"

inline std::vector<PlainCharacter> PlainUtf16Characters(const std::string& text, bool bigEndian) {
    auto unit = [&](std::size_t i) {
        const unsigned char a = text[i], b = text[i + 1];
        return bigEndian ? a * 256L + b : b * 256L + a;
    };
    std::vector<PlainCharacter> characters;
    for (std::size_t i = 0; i < text.size();) {
        if (i + 1 == text.size()) {
            characters.push_back({i, 1, -1});
            break;
        }
        const long u = unit(i);
        const bool high = u >= 0xD800 && u < 0xDC00, surrogate = u >= 0xD800 && u < 0xE000;
        if (high && i + 3 < text.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
            characters.push_back({i, 4, 0x10000 + (u - 0xD800) * 1024 + (unit(i + 2) - 0xDC00)});
            i += 4;
        } else {
            characters.push_back({i, 2, surrogate ? -1 : u});
            i += 2;
        }
    }
    return characters;
}

// The bytes of UTF-16 text in the byte order: units, and units of pairs, written out as they are.
inline std::string PlainUtf16Bytes(const std::u16string& units, bool bigEndian) {
    std::string bytes;
    for (char16_t u : units) {
        const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}
