#include "document/code_page_guess.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "encoding/code_page_tables.h"
#include "encoding/encoding_detection.h"
#include "encoding/utf8_sequences.h"

namespace {

bool IsAnsiMarker(unsigned char b) {
    // 1251 т у ы ь ю я
    return b == 0xF2 || b == 0xF3 || b == 0xFB || b == 0xFC || b == 0xFE || b == 0xFF;
}

bool IsOemMarker(unsigned char b) {
    // 866 А Е И О У а е и к and ░ ▒ ▓ ┤ ║ ┐
    switch (b) {
    case 0x80: case 0x85: case 0x88: case 0x8E: case 0x93: case 0xA0: case 0xA5: case 0xA8:
    case 0xAA: case 0xB0: case 0xB1: case 0xB2: case 0xB4: case 0xBA: case 0xBF:
        return true;
    default:
        return false;
    }
}

// A text shorter than the window ends there, so a sequence cut by its end is malformed; only a full
// window may cut one, since the file goes on.
bool LooksLikeUtf8(const unsigned char* sample, std::size_t count) {
    const bool fullWindow = count >= kCodePageGuessWindow;
    if (fullWindow) count = kCodePageGuessWindow;
    bool beyondAscii = false;
    for (std::size_t i = 0; i < count;) {
        if (sample[i] < 0x80) {
            ++i;
            continue;
        }
        const Utf8Character c = ReadUtf8Character(sample + i, count - i);
        if (c.cut) return fullWindow && beyondAscii;
        if (!c.WellFormed()) return false;
        beyondAscii = true;
        i += c.length;
    }
    return beyondAscii;
}

}  // namespace

int GuessCodePage(const unsigned char* sample, std::size_t count) {
    if (count > kCodePageGuessWindow) count = kCodePageGuessWindow;
    auto at = [&](std::size_t i) -> unsigned char { return i < count ? sample[i] : 0; };
    int ansi = 0, oem = 0, koi8 = 0;
    for (std::size_t i = 0; i < count; ++i) {
        unsigned char b = sample[i];
        if (IsAnsiMarker(b)) ++ansi;
        else if (IsOemMarker(b)) ++oem;
        // A KOI8-R capital (E0-FF) then a small letter (C0-DF) after a byte that is no letter.
        if (b < 0x61 && at(i + 1) >= 0xE0 && at(i + 2) >= 0xC0 && at(i + 2) <= 0xDF) ++koi8;
    }
    if (ansi < oem) return 1;
    if (koi8 > 0) return 2;
    return 0;
}

int GuessViewCodePage(const unsigned char* sample, std::size_t count) {
    if (count >= 2 && sample[0] == 0xFF && sample[1] == 0xFE) return kUtf16LeView;
    if (count >= 2 && sample[0] == 0xFE && sample[1] == 0xFF) return kUtf16BeView;
    if (count >= 3 && std::memcmp(sample, "\xEF\xBB\xBF", 3) == 0) return kUtf8View;
    // A full window may cut a pair in two: its last unit is left out.
    count = std::min(count, kCodePageGuessWindow);
    const std::size_t whole = count == kCodePageGuessWindow ? count - 2 : count;
    const auto wide = DetectWideEncoding(std::string_view(reinterpret_cast<const char*>(sample), whole));
    if (wide && wide->kind == Detection::Kind::Encoding)
        return wide->encoding == TextEncoding::Utf16BE ? kUtf16BeView : kUtf16LeView;
    if (LooksLikeUtf8(sample, count)) return kUtf8View;
    return GuessCodePage(sample, count);
}
