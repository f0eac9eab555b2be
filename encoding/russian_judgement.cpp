#include "encoding/russian_judgement.h"

namespace mojibake {

Trait TraitOf(char32_t c) {
    // A character lost on the way reads as the '?' it becomes in a code page.
    if (c == 0xFFFD) c = '?';
    Trait t;
    t.letterClass = ClassOfCharacter(c);
    t.high = c >= 0x80;
    t.variant = t.high && IsVariantLetter(c);
    t.russian = t.high && !t.variant && t.letterClass.letter >= kFirstRussianClass && t.letterClass.letter < kOtherClass;
    t.blank = c == ' ' || c == '\n' || c == '\r' || c == '\t';
    t.stop = c == '.' || c == '!' || c == '?';
    t.letter = t.letterClass.letter >= kLatinClass && t.letterClass.letter < kOtherClass;
    t.digit = c >= '0' && c <= '9';
    return t;
}

const CommonTraits& TheCommonTraits() {
    static const CommonTraits table = [] {
        CommonTraits t{};
        for (char32_t i = 0; i < kCommonCharacters; ++i) t[i] = TraitOf(i);
        return t;
    }();
    return table;
}

const SignTraits& TheSignTraits() {
    static const SignTraits table = [] {
        SignTraits t{};
        for (char32_t i = 0; i < kSigns; ++i) t[i] = TraitOf(kFirstSign + i);
        return t;
    }();
    return table;
}

Judgement Judge(const std::u32string& text, double floor, bool* cut) {
    Traits traits;
    return JudgeBy(text.size(), [&](std::size_t i) -> const Trait& { return traits.Of(text[i]); }, floor, cut);
}

std::size_t VariantsAtCapitals(const std::u32string& text) {
    std::size_t count = 0;
    Traits traits;
    bool afterLetter = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Trait t = traits.Of(text[i]);
        if (t.variant && !afterLetter && i + 1 < text.size()) {
            const Trait& next = traits.Of(text[i + 1]);
            count += (next.russian && next.letterClass.letterCase == kLowerCase) || text[i + 1] == '.';
        }
        afterLetter = t.letter;
    }
    return count;
}

bool HasHighCharacters(const std::u32string& text, std::size_t least) {
    std::size_t high = 0;
    for (char32_t c : text)
        if (c >= 0x80 && c != 0xFFFD && ++high >= least) return true;
    return least == 0;
}

bool ReadsAsRightRussian(const Judgement& j, const std::u32string& text, std::size_t letters, double fit) {
    if (!ReadsAsRussian(j) || j.letters < letters || j.fit < fit || j.variants > 0 || j.lowerStarts > 0) return false;
    Traits traits;
    char32_t before = ' ';
    bool afterLetter = false, afterSign = false;
    for (char32_t c : text) {
        const Trait t = traits.Of(c);
        if (c >= 0x400 && c < 0x460 && !afterLetter) {
            if (c == U'\u0401' || c == U'\u0451' || (afterSign && before != U'\u00AB')) return false;
        }
        before = c;
        afterLetter = t.letter;
        afterSign = t.high && !t.letter;
    }
    return true;
}

}  // namespace mojibake
