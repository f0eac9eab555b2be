#pragma once
// The Russian judgement of a text in the search for its mis-readings: how likely it is as Russian,
// from the letter statistics, and how much of it is Russian letters. Each character is reduced to its
// traits first, so that a caller that knows a text's characters by number (an undoing of a text whose
// characters are undone one by one) judges it without writing it out.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "encoding/letter_classes.h"
#include "encoding/russian_expectation.h"
#include "encoding/russian_letter_statistics.h"

namespace mojibake {

struct Judgement {
    double score = 0;
    std::size_t letters = 0;  // Russian letters, not the other alphabets' ones
    std::size_t beyondAscii = 0;
    // The likelihood a pair above what Russian text has on average after the same characters: near 0
    // for Russian, well below for Cyrillic letters in no Russian order.
    double fit = 0;
    std::size_t variants = 0;  // letters of the other Cyrillic alphabets
    std::size_t lowerStarts = 0;  // sentences that start with a small letter
};

// Most of the text's characters beyond ASCII are Russian letters.
inline bool ReadsAsRussian(const Judgement& j) { return j.letters * 4 >= j.beyondAscii * 3 && j.letters > 0; }

// Whether the text has `least` characters beyond ASCII, as the Russian judgement counts them (a
// character lost on the way, U+FFFD, reads as the '?' it becomes).
bool HasHighCharacters(const std::u32string& text, std::size_t least);
// Whether the text has `least` Russian letters right after another (UTF-16 of accented Latin letters
// read as 1251 has Russian letters, each after a zero byte).
bool HasRussianPairs(const std::u32string& text, std::size_t least);

// A sentence that starts with a small letter (what 1251 read as Mac Cyrillic makes of capitals).
inline constexpr double kLowerStartCost = 6.0;

// How the repair judges the case of a letter after another's, in 1/64 nat: a run of capitals (a
// heading, a table of names in capitals) by words, not letter by letter. Counted letter by letter,
// each capital after a capital costs a nat more than a small letter after a small one, and a long
// line in capitals read worse than the mixed-case scraps a wrong reading makes of it. So a run's
// first kCapitalsCounted capitals pay what the statistics count, which keeps a word in capitals less
// likely than the same word in small letters; past them a capital follows a capital as a small
// letter follows a small one, as long as the run's letters pair as Russian words do: a wrong
// reading's run of capitals (what KOI8-R makes of small letters) soon shows pairs no word has, rarer
// than kWordPairFloor, and then pays for all its capitals as counted. One such pair a word may have
// (a loanword's "ЯУ", Bulgarian "ЪЩ"). A capital after a small letter, the case changing inside a
// word as wrong readings change it, costs as counted.
// CasePairLogProbability is what a pair costs at the least: JudgeBy takes off what a run of capitals
// pays beyond it, so that a bound from the pairs alone stays above the judgement.
inline int CasePairLogProbability(int prevCase, int curCase) {
    return prevCase == kUpperCase && curCase == kUpperCase ? kRussianCaseLogProbability[kLowerCase][kLowerCase]
                                                           : kRussianCaseLogProbability[prevCase][curCase];
}
inline constexpr int kCapitalsCounted = 4;
inline constexpr int kWordPairFloor = -512;  // 8 nats: 1 in 3000 after the pair's first letter
inline constexpr int kRarePairsInAWord = 1;

// A run of capitals as the judgement reads it: its length, whether its letters pair as a word's, and
// what its case pairs have been let off so far, which pairs no word has take back.
class CapitalRun {
public:
    // What the case pair of a capital after the run's last costs beyond CasePairLogProbability
    // (nothing or less), the pair of their letters scoring `letterPair`.
    int Extra(int letterPair) {
        const int counted =
            kRussianCaseLogProbability[kUpperCase][kUpperCase] - kRussianCaseLogProbability[kLowerCase][kLowerCase];
        int extra = 0;
        if (letterPair < kWordPairFloor && ++rarePairs_ > kRarePairsInAWord && wordLike_) {
            wordLike_ = false;
            extra = letOff_;
            letOff_ = 0;
        }
        if (length_ < kCapitalsCounted || !wordLike_) return extra + counted;
        letOff_ += counted;
        return extra;
    }
    // The run after a character: one capital more, or none.
    void Next(bool capital) {
        if (capital) {
            ++length_;
        } else {
            length_ = 0;
            rarePairs_ = 0;
            wordLike_ = true;
            letOff_ = 0;
        }
    }
    bool Going() const { return length_ > 0; }

private:
    int length_ = 0;
    int rarePairs_ = 0;
    bool wordLike_ = true;
    int letOff_ = 0;
};

// What the Russian judgement asks of a character: its letter class, and what it is beside that.
struct Trait {
    LetterClass letterClass{};
    bool high = false;     // beyond ASCII
    bool variant = false;  // a letter of another Cyrillic alphabet
    bool russian = false;  // a Russian letter
    bool blank = false;    // a blank or a line end: after a full stop, a sentence starts
    bool stop = false;     // '.', '!' or '?'
    bool letter = false;   // a letter of any alphabet
    bool digit = false;
};

Trait TraitOf(char32_t c);

// The traits of the characters Russian text and its misreadings are mostly made of, looked up: every
// text the search reaches is judged character by character.
inline constexpr char32_t kCommonCharacters = 0x500;
using CommonTraits = std::array<Trait, kCommonCharacters>;
const CommonTraits& TheCommonTraits();
// So are the signs of typography (dashes, quotes, the ellipsis, №).
inline constexpr char32_t kFirstSign = 0x2000, kSigns = 0x130;
using SignTraits = std::array<Trait, kSigns>;
const SignTraits& TheSignTraits();

// The traits of any character, looked up where they are.
class Traits {
public:
    Traits() : common_(TheCommonTraits()), signs_(TheSignTraits()) {}
    // Good until the next character that is not looked up.
    const Trait& Of(char32_t c) {
        if (c < kCommonCharacters) return common_[c];
        if (c - kFirstSign < kSigns) return signs_[c - kFirstSign];
        other_ = TraitOf(c);
        return other_;
    }

private:
    const CommonTraits& common_;
    const SignTraits& signs_;
    Trait other_;
};

// The letters of other Cyrillic alphabets that stand where a capital would: at a word's start, before
// a small Russian letter or a full stop (an initial). What 1251 read as Mac Cyrillic makes of capitals
// ("Ќикто", "ѕлиний", "Ў.Ауробиндо") stands so, where a text in one of those languages has its
// letters inside words too, and its "ј" before a vowel ("ја", "је") is no capital's.
std::size_t VariantsAtCapitals(const std::u32string& text);

// What the Serbian or Macedonian ј before a vowel ("ја", "моје") of a text as it is cost, in nats,
// beyond what и would in their place: counted as the Russian й, which stands before a vowel in
// hardly any word, they read as no text's. A Serbian text is given that back, where a wrong
// reading's ј (1251 read as Mac Cyrillic makes it of А, in "јндреев") stands before a consonant.
double JotCredit(const std::u32string& text);

// Whether a text judged `j` reads as right Russian as it stands: `letters` Russian letters at least
// that pair as Russian ones do (a fit of `fit` at least), no letter of another Cyrillic alphabet, no
// sentence that starts small, and every word started as a word may be. What 1251 and Mac Cyrillic read
// as each other make of a capital is a sign right before a small letter ("—ибири", "»меет"), or Ё
// ("Ётот"); a word starts after « only.
bool ReadsAsRightRussian(const Judgement& j, const std::u32string& text, std::size_t letters, double fit);

// How a text's Cyrillic letters stand in words, which the letter statistics, judging pairs, do not
// see: a wrong reading of a short text may pair its letters well and still make no word. Counted:
// the Cyrillic letters in words of two letters or more (where one-letter words amid Latin text are
// an Italian "è" read as "и"), and the words of three small letters or more that have no vowel (no
// Russian word does: "флст", "снфл" are a Hebrew line's; a Serbian "прст" counts its р as one). A
// character lost on the way ('?', U+FFFD) stands in its word, which may have lost its vowels with it:
// a text damaged so that it lost half its letters ("п?пасть", "??уп??") is still made of words.
struct CyrillicWords {
    std::size_t lettersInWords = 0;
    std::size_t smallWords = 0;
    std::size_t withoutVowel = 0;
    std::size_t lostInWords = 0;  // runs of lost characters beside a letter
};
CyrillicWords CountCyrillicWords(std::u32string_view text);

// The capitals right after a small letter in a word: those `before` has, and those of `undone`, the
// same text under other single-byte readings (one character for each), that were small letters or
// signs in `before`: what a wrong undoing of a Serbian "опције" makes ("опциКе"), or of a Bulgarian
// "водят" read in Mac Cyrillic ("вод€т" to "водИт"). A unit's "КиБ" undone from control characters
// is none of them. Texts of different lengths count none.
struct CapitalsInWords {
    std::size_t had = 0;
    std::size_t made = 0;
};
CapitalsInWords CountCapitalsInWords(std::u32string_view undone, std::u32string_view before);

// Whether `undone`, of `letters` Russian letters, undone from `before` by single-byte readings, stands
// in words as a text does: most of its letters in words; few words of small letters with no vowel
// (one, and one in eight more, may be an abbreviation: "млн", "стр"); and no more capitals made
// inside words than `before` has there, but one in a hundred letters (a long text has its "КиБ" and
// "ИмяФайла"). The pairs of a short text may read well enough by chance, or by one common word
// ("и"), where its words say otherwise. So for `asItIs`, the reading the text reads best in, where
// `before` is another: read in Mac Cyrillic, a Serbian "опција" in 1251 already has its capital in
// a word ("опциЉа"), which the undoing only turns into another ("опциКа").
bool MakesWords(std::u32string_view undone, std::size_t letters, std::u32string_view before, std::u32string_view asItIs);

// Whether `undone` is `asItIs` but for signs turned into other signs, of which the letter statistics
// tell nothing (a Bulgarian "„%s“" in Mac Cyrillic, "—%s’" once undone as read in 1251).
bool ChangesOnlySigns(std::u32string_view undone, std::u32string_view asItIs);

// Whether an undoing changes enough of the text it undoes (as long as it) to tell by the letter
// statistics: one that turns a letter or two into other letters ("БУКВА Ё" into "БУКВА р", a Greek
// word read as KOI8-R into another such word) does not, however those few read, unless it mends the
// text's shape too ("длЯ" into "для"); one that makes a letter of a sign ("»скать") does.
bool ChangesEnough(std::u32string_view undone, std::u32string_view before);

// What a pair of neighbours adds to the score, in kLogProbabilityUnit: counted only where one of
// them is beyond ASCII. A run of capitals takes off more (CapitalRun).
inline std::int64_t PairLogProbability(LetterClass prev, LetterClass cur) {
    return kRussianPairLogProbability[prev.letter][cur.letter] + CasePairLogProbability(prev.letterCase, cur.letterCase);
}

// The log likelihood of a text as Russian, in nats, from the pairs that touch a character beyond
// ASCII (the others read the same in every candidate). A letter of another Cyrillic alphabet costs
// as in detection: the capitals of 1251 read as Mac Cyrillic or KOI8-R are such letters.
// The score only falls as the text goes on (every pair's likelihood is below one, and each variant
// letter and small start costs), so a text whose score is known to end at `floor` or below is given
// up as soon as it gets there: `cut` says so, and the judgement is then of no use.
// `traitAt(i)` gives the traits of the text's i-th of `length` characters.
template <typename TraitAt>
Judgement JudgeBy(std::size_t length, const TraitAt& traitAt, double floor, bool* cut) {
    Judgement j;
    std::int64_t score = 0;
    double expected = 0;
    std::size_t variants = 0, lowerStarts = 0, pairs = 0;
    CapitalRun capitals;
    const Expectation& expectation = RussianExpectation();
    LetterClass prev = TheCommonTraits()[' '].letterClass;
    bool prevHigh = false, sentence = true, lastStop = false;
    auto scoreNow = [&] {
        return static_cast<double>(score) / kLogProbabilityUnit - kVariantLetterCost * static_cast<double>(variants) -
               kLowerStartCost * static_cast<double>(lowerStarts);
    };
    for (std::size_t i = 0; i < length; ++i) {
        const Trait& t = traitAt(i);
        const LetterClass cur = t.letterClass;
        if (t.blank) {
            if (lastStop) sentence = true;
        } else if (t.letter) {
            if (sentence && t.high && cur.letterCase == kLowerCase) ++lowerStarts;
            sentence = false;
        } else if (t.digit) {
            sentence = false;
        }
        lastStop = t.stop;
        const bool upper = cur.letterCase == kUpperCase;
        if (t.high || prevHigh) {
            score += PairLogProbability(prev, cur);
            if (upper && capitals.Going())
                score += capitals.Extra(kRussianPairLogProbability[prev.letter][cur.letter]);
            expected += expectation.pair[prev.letter] + expectation.letterCase[prev.letterCase];
            ++pairs;
        }
        j.beyondAscii += t.high;
        variants += t.variant;
        j.letters += t.russian;
        capitals.Next(upper);
        prev = cur;
        prevHigh = t.high;
        if (cut && (i & 7) == 7 && scoreNow() <= floor) {
            *cut = true;
            return j;
        }
    }
    j.score = scoreNow();
    j.variants = variants;
    j.lowerStarts = lowerStarts;
    j.fit = pairs ? (static_cast<double>(score) / kLogProbabilityUnit - expected) / static_cast<double>(pairs) : 0;
    return j;
}

// The judgement of a text written out.
Judgement Judge(const std::u32string& text, double floor = -HUGE_VAL, bool* cut = nullptr);

}  // namespace mojibake
