#include "encoding/letter_classes.h"

bool IsVariantLetter(char32_t c) {
    return ((c >= 0x400 && c <= 0x40F) || (c >= 0x450 && c <= 0x45F) || c == 0x490 || c == 0x491) && c != 0x401 && c != 0x451;
}

LetterClass ClassOfCharacter(char32_t c) {
    if (c >= 0x430 && c <= 0x44F) return {static_cast<std::uint8_t>(kFirstRussianClass + (c - 0x430)), kLowerCase};
    if (c >= 0x410 && c <= 0x42F) return {static_cast<std::uint8_t>(kFirstRussianClass + (c - 0x410)), kUpperCase};
    if (c == 0x451) return {kFirstRussianClass + 32, kLowerCase};
    if (c == 0x401) return {kFirstRussianClass + 32, kUpperCase};
    // The letters of Ukrainian, Belarusian, Serbian and Macedonian count as the Russian letter they
    // stand nearest to, so that text in those languages still reads as Cyrillic words.
    static constexpr char16_t kNearestRussian[16] = {u'е', 0, u'д', u'г', u'е', u'з', u'и', u'и',
                                                     u'й', u'л', u'н', u'ч', u'к', u'и', u'у', u'ц'};
    if (c >= 0x450 && c <= 0x45F && kNearestRussian[c - 0x450]) return {ClassOfCharacter(kNearestRussian[c - 0x450]).letter, kLowerCase};
    if (c >= 0x400 && c <= 0x40F && kNearestRussian[c - 0x400]) return {ClassOfCharacter(kNearestRussian[c - 0x400]).letter, kUpperCase};
    if (c == 0x491) return {ClassOfCharacter(u'г').letter, kLowerCase};
    if (c == 0x490) return {ClassOfCharacter(u'г').letter, kUpperCase};
    if (c >= 'a' && c <= 'z') return {kLatinClass, kLowerCase};
    if (c >= 'A' && c <= 'Z') return {kLatinClass, kUpperCase};
    if (c >= '0' && c <= '9') return {kDigitClass, kNoCase};
    if (c < 0x80) return {kAsciiOtherClass, kNoCase};
    switch (c) {
        case 0xAB: case 0x201E: case 0x201A: return {kFirstSignClass, kNoCase};
        case 0xBB: case 0x201D: case 0x2019: return {kFirstSignClass + 1, kNoCase};
        case 0x201C: case 0x2018: return {kFirstSignClass + 2, kNoCase};  // closing in Russian, opening in English
        case 0x2014: case 0x2013: return {kFirstSignClass + 3, kNoCase};
        case 0x2026: return {kFirstSignClass + 4, kNoCase};
        case 0x2116: return {kFirstSignClass + 5, kNoCase};
        case 0xA0: return {kFirstSignClass + 6, kNoCase};
        default: return {kOtherClass, kNoCase};
    }
}

namespace {

bool IsLetter(char32_t c) {
    const int letter = ClassOfCharacter(c).letter;
    return c != 0xFFFD && letter >= kLatinClass && letter < kOtherClass;
}

// A letter in small case (what it is when it has no other case).
char32_t SmallOf(char32_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0x410 && c <= 0x42F)) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c == 0x490) return 0x491;
    return c;
}

}  // namespace

bool MostlyCaseChanged(std::u32string_view from, std::u32string_view to) {
    if (from.size() != to.size()) return false;
    std::size_t letters = 0, cased = 0;
    for (std::size_t i = 0; i < to.size(); ++i) {
        if (!IsLetter(to[i]) || !IsLetter(from[i])) continue;
        ++letters;
        cased += to[i] != from[i] && SmallOf(to[i]) == SmallOf(from[i]);
    }
    return cased > 0 && cased * 2 >= letters;
}

bool LettersWhereOtherHasNone(std::u32string_view letters, std::u32string_view other) {
    if (letters.size() != other.size() || letters == other) return false;
    for (std::size_t i = 0; i < letters.size(); ++i)
        if (letters[i] != other[i] && (!IsLetter(letters[i]) || IsLetter(other[i]))) return false;
    return true;
}
