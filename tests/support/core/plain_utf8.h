#pragma once
// A plain model of the UTF-8 view's characters for the control's tests: read greedily from the start
// of the text, decoding each sequence by its bit patterns and checking the value it gives (no overlong
// form, no surrogate, nothing past U+10FFFF). Slow and obvious, unlike the control's own reading,
// which judges any place by the bytes around it.
#include <cstddef>
#include <string>
#include <vector>

struct PlainCharacter {
    std::size_t start;
    std::size_t length;
    long code;  // -1 for a byte standing alone
};

inline std::vector<PlainCharacter> PlainUtf8Characters(const std::string& text) {
    std::vector<PlainCharacter> characters;
    characters.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        unsigned char lead = text[i];
        std::size_t n = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        long code = -1;
        if (n > 0 && i + n <= text.size()) {
            long value = n == 1 ? lead : lead & (0x7F >> n);
            bool ok = true;
            for (std::size_t k = 1; k < n; ++k) {
                unsigned char b = text[i + k];
                ok = ok && (b >> 6) == 2;
                value = value * 64 + (b & 0x3F);
            }
            const long smallest[] = {0, 0, 0x80, 0x800, 0x10000};
            if (ok && value >= smallest[n] && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF)) code = value;
        }
        if (code < 0) n = 1;
        characters.push_back({i, n, code});
        i += n;
    }
    return characters;
}
