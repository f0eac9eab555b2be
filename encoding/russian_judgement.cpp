#include "encoding/russian_judgement.h"

#include <algorithm>

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

namespace {

bool IsCyrillicLetter(char32_t c) { return c >= 0x400 && c < 0x460; }
bool IsSmallCyrillic(char32_t c) { return c >= 0x430 && c < 0x460; }

// а е и о у ъ ы э ю я, ё є і ї, and р: one bit each above U+0430.
constexpr std::uint64_t kVowels = 1ull << 0 | 1ull << 5 | 1ull << 8 | 1ull << 14 | 1ull << 16 | 1ull << 19 | 1ull << 26 |
                                  1ull << 27 | 1ull << 29 | 1ull << 30 | 1ull << 31 | 1ull << 33 | 1ull << 36 |
                                  1ull << 38 | 1ull << 39;

bool IsVowelOrSyllabic(char32_t c) { return c >= 0x430 && c < 0x470 && (kVowels >> (c - 0x430) & 1); }

// A Serbian or Macedonian ј before a vowel ("ја", "моје"): counted as the Russian й, which stands
// before a vowel in hardly any word, it reads as no text's.
bool JotBeforeVowel(const std::u32string& text, std::size_t i) {
    return (text[i] == U'\u0458' || text[i] == U'\u0408') && i + 1 < text.size() && IsVowelOrSyllabic(text[i + 1]) &&
           text[i + 1] != U'\u0440';
}

}  // namespace

std::size_t VariantsAtCapitals(const std::u32string& text) {
    std::size_t count = 0;
    Traits traits;
    bool afterLetter = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Trait t = traits.Of(text[i]);
        if (t.variant && !afterLetter && i + 1 < text.size()) {
            const Trait& next = traits.Of(text[i + 1]);
            count += !JotBeforeVowel(text, i) &&
                     ((next.russian && next.letterClass.letterCase == kLowerCase) || text[i + 1] == '.');
        }
        afterLetter = t.letter;
    }
    return count;
}

double JotCredit(const std::u32string& text) {
    const int jot = ClassOfCharacter(U'й').letter, i_ = ClassOfCharacter(U'и').letter;
    std::int64_t credit = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!JotBeforeVowel(text, i)) continue;
        const int prev = ClassOfCharacter(i > 0 ? text[i - 1] : U' ').letter;
        const int next = ClassOfCharacter(text[i + 1]).letter;
        const int asJot = kRussianPairLogProbability[prev][jot] + kRussianPairLogProbability[jot][next];
        const int asI = kRussianPairLogProbability[prev][i_] + kRussianPairLogProbability[i_][next];
        credit += std::max(0, asI - asJot);
    }
    return static_cast<double>(credit) / kLogProbabilityUnit;
}

namespace {

// Latin-1's signs, and punctuation, currency, letterlike signs (№ ™), arrows, mathematical signs
// and box drawing.
bool IsSign(char32_t c) { return (c >= 0xA0 && c < 0xC0) || c == 0xD7 || c == 0xF7 || (c >= 0x2000 && c < 0x2C00); }

}  // namespace

CyrillicWords CountCyrillicWords(std::u32string_view text) {
    CyrillicWords words;
    std::size_t length = 0;
    bool allSmall = true, vowel = false, lost = false, inLostRun = false;
    auto endWord = [&] {
        if (length >= 2 || (length == 1 && lost)) words.lettersInWords += length;
        if (length >= 3 && allSmall) {
            ++words.smallWords;
            words.withoutVowel += !vowel && !lost;
        }
        length = 0;
        allSmall = true;
        vowel = lost = inLostRun = false;
    };
    for (char32_t c : text) {
        if (c == U'?' || c == U'\uFFFD') {
            // A run is counted once, after a letter or before one.
            words.lostInWords += !inLostRun && length > 0;
            lost = inLostRun = true;
            continue;
        }
        if (!IsCyrillicLetter(c)) {
            endWord();
            continue;
        }
        words.lostInWords += inLostRun && length == 0;
        inLostRun = false;
        const bool small = IsSmallCyrillic(c);
        ++length;
        allSmall &= small;
        vowel |= IsVowelOrSyllabic(c);
    }
    endWord();
    return words;
}

CapitalsInWords CountCapitalsInWords(std::u32string_view undone, std::u32string_view before) {
    CapitalsInWords capitals;
    if (undone.size() != before.size()) return capitals;
    auto inWord = [](std::u32string_view text, std::size_t i) {
        return IsCyrillicLetter(text[i]) && !IsSmallCyrillic(text[i]) && IsSmallCyrillic(text[i - 1]);
    };
    for (std::size_t i = 1; i < undone.size(); ++i) {
        capitals.had += inWord(before, i);
        capitals.made += inWord(undone, i) && (IsSmallCyrillic(before[i]) || IsSign(before[i]));
    }
    return capitals;
}

bool MakesWords(std::u32string_view undone, std::size_t letters, std::u32string_view before, std::u32string_view asItIs) {
    constexpr std::size_t kWordsAVowelless = 8;
    constexpr std::size_t kLettersACapitalMade = 100;
    const CyrillicWords words = CountCyrillicWords(undone);
    auto fewMade = [&](std::u32string_view from) {
        const CapitalsInWords capitals = CountCapitalsInWords(undone, from);
        return capitals.made <= capitals.had + words.lettersInWords / kLettersACapitalMade;
    };
    return words.lettersInWords * 2 >= letters && words.withoutVowel <= 1 + words.smallWords / kWordsAVowelless &&
           fewMade(before) && (asItIs.data() == before.data() || fewMade(asItIs));
}

bool ChangesEnough(std::u32string_view undone, std::u32string_view before) {
    constexpr std::size_t kFewestLetters = 3;
    if (undone.size() != before.size()) return true;
    Traits traits;
    std::size_t changed = 0;
    for (std::size_t i = 0; i < undone.size() && changed < kFewestLetters; ++i) {
        if (undone[i] == before[i]) continue;
        if (!traits.Of(before[i]).letter) return true;
        ++changed;
    }
    return changed >= kFewestLetters;
}

bool ChangesOnlySigns(std::u32string_view undone, std::u32string_view asItIs) {
    if (undone.size() != asItIs.size()) return false;
    Traits traits;
    for (std::size_t i = 0; i < undone.size(); ++i)
        if (undone[i] != asItIs[i] && (traits.Of(undone[i]).letter || traits.Of(asItIs[i]).letter)) return false;
    return true;
}

bool HasHighCharacters(const std::u32string& text, std::size_t least) {
    std::size_t high = 0;
    for (char32_t c : text)
        if (c >= 0x80 && c != 0xFFFD && ++high >= least) return true;
    return least == 0;
}

bool HasRussianPairs(const std::u32string& text, std::size_t least) {
    auto russian = [](char32_t c) { return (c >= 0x410 && c < 0x450) || c == 0x401 || c == 0x451; };
    std::size_t pairs = 0;
    for (std::size_t i = 1; i < text.size(); ++i)
        if (russian(text[i]) && russian(text[i - 1]) && ++pairs >= least) return true;
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
