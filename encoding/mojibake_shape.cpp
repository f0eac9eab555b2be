#include "encoding/mojibake_shape.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#include "encoding/mojibake_charts.h"

namespace {

using namespace mojibake;

enum class Kind : std::uint8_t { Blank, Digit, Punctuation, Typographic, Symbol, Mark, Control, Letter, Lost, NoBreak };
enum class Script : std::uint8_t { None, Latin, Cyrillic, Greek, Armenian, Hebrew, Arabic, Thai, Indic, Georgian, Hangul, Cjk, Other };

struct Class {
    Kind kind = Kind::Symbol;
    Script script = Script::None;
    bool upper = false;
    bool lower = false;
    double rarity = 0;  // what the character costs by itself
};

Class LetterOf(Script script, bool upper, bool lower, double rarity = 0) {
    return {Kind::Letter, script, upper, lower, rarity};
}

Class Other(Kind kind, double rarity = 0) { return {kind, Script::None, false, false, rarity}; }

// A mark of one script's letters (Hebrew points, Arabic vowels): on another script's letter it is
// what a code page makes of the bytes of accented letters ("non ֳ¨", "cosicchֳ©").
Class MarkOf(Script script, double rarity) { return {Kind::Mark, script, false, false, rarity}; }

// Latin letters beyond Latin-1, in their usual upper-lower pairs. Welsh's ŵ and ŷ, the breves of ĕ
// ĭ ŏ, ĸ and ŉ are few languages' letters, and what ISO 8859-2 makes of UTF-8 where 1250 gives the
// common ones ("Pokaŵi" for "Pokaži"): between two such undoings they tell.
Class LatinExtended(char32_t c) {
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    const bool upper = c == 0x178 || (oddUpper ? c % 2 == 1 : c % 2 == 0);
    const bool rare = (c >= 0x174 && c <= 0x177) || c == 0x114 || c == 0x115 || c == 0x12C || c == 0x12D ||
                      c == 0x14E || c == 0x14F || c == 0x138 || c == 0x149;
    return LetterOf(Script::Latin, upper, !upper, rare ? 1 : c < 0x180 ? 0.3 : 1.5);
}

Class ClassOf(char32_t c) {
    if (c == 0xA0) return Other(Kind::NoBreak);
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 0x3000 || (c >= 0x2000 && c <= 0x200B))
        return Other(Kind::Blank);
    if (c == 0xFFFD) return Other(Kind::Lost);
    if (c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0xE000 && c < 0xF900) || c >= 0xFFF0) return Other(Kind::Control, 6);
    if (c >= '0' && c <= '9') return Other(Kind::Digit);
    if (c >= 'A' && c <= 'Z') return LetterOf(Script::Latin, true, false);
    if (c >= 'a' && c <= 'z') return LetterOf(Script::Latin, false, true);
    if (c < 0x80) return Other(Kind::Punctuation);
    if (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7) return LetterOf(Script::Latin, c < 0xDF, c >= 0xDF);
    if (c == 0xAA || c == 0xBA) return LetterOf(Script::Latin, false, true, 1);
    if (c == 0xAB || c == 0xBB || c == 0xA1 || c == 0xBF || c == 0xB7) return Other(Kind::Typographic);
    if (c < 0xC0 || c == 0xD7 || c == 0xF7) return Other(Kind::Symbol, 0.5);  // and × ÷, amid Latin-1's letters
    if (c >= 0x100 && c < 0x250) return LatinExtended(c);
    if (c >= 0x250 && c < 0x300) return Other(Kind::Symbol, 1.5);  // phonetic and modifier letters
    if (c >= 0x300 && c < 0x370) return Other(Kind::Mark, 1);
    if (c >= 0x386 && c <= 0x3CE && c != 0x387) return LetterOf(Script::Greek, c < 0x3AC, c >= 0x3AC);
    if (c >= 0x370 && c < 0x400) return LetterOf(Script::Greek, false, false, 1.5);
    if (c >= 0x400 && c < 0x430) return LetterOf(Script::Cyrillic, true, false, c < 0x410 && c != 0x401 ? 0.5 : 0);
    if (c >= 0x430 && c < 0x460) return LetterOf(Script::Cyrillic, false, true, c >= 0x450 && c != 0x451 ? 0.5 : 0);
    if (c >= 0x483 && c <= 0x489) return MarkOf(Script::Cyrillic, 2);
    if (c >= 0x460 && c < 0x530) return LetterOf(Script::Cyrillic, c % 2 == 0, c % 2 == 1, c == 0x490 || c == 0x491 ? 0.5 : 1.5);
    if (c >= 0x531 && c < 0x590) return LetterOf(Script::Armenian, c < 0x561, c >= 0x561);
    if (c >= 0x591 && c <= 0x5C7) return MarkOf(Script::Hebrew, 0.5);
    if (c >= 0x5D0 && c <= 0x5F4) return LetterOf(Script::Hebrew, false, false);
    if ((c >= 0x64B && c <= 0x65F) || c == 0x670) return MarkOf(Script::Arabic, 0.5);
    if (c >= 0x600 && c < 0x700) return LetterOf(Script::Arabic, false, false);
    if (c == 0xE31 || (c >= 0xE34 && c <= 0xE3A) || (c >= 0xE47 && c <= 0xE4E)) return MarkOf(Script::Thai, 0.2);
    if (c >= 0xE01 && c < 0xE60) return LetterOf(Script::Thai, false, false);
    if (c >= 0x900 && c < 0xE00) return LetterOf(Script::Indic, false, false);
    if (c >= 0x10A0 && c < 0x1100) return LetterOf(Script::Georgian, false, false);
    if (c >= 0x1E00 && c < 0x1F00) return LetterOf(Script::Latin, c % 2 == 0, c % 2 == 1, 0.3);
    if (c >= 0x1F00 && c < 0x2000) return LetterOf(Script::Greek, false, false, 1);
    // The per mille sign follows a number, as the euro and trade mark signs do; beside letters it is
    // what 1250 and 1252 make of a second byte 0x89 of UTF-8 ("Ä‰ar" for Esperanto's "ĉar").
    if (c == 0x20AC || c == 0x2122 || c == 0x2030) return Other(Kind::Symbol, 0.5);
    if ((c >= 0x2010 && c <= 0x2027) || (c >= 0x2031 && c <= 0x205E) || c == 0x2116) return Other(Kind::Typographic);
    if (c >= 0x2070 && c < 0x3000) return Other(Kind::Symbol, 1);
    // The ideographic comma, full stop and brackets stand right beside their letters, as ASCII's do.
    if (c >= 0x3001 && c < 0x3040) return Other(Kind::Punctuation);
    if ((c >= 0x3040 && c < 0x3100) || (c >= 0x3400 && c < 0xA000) || (c >= 0xF900 && c < 0xFB00) || c >= 0x20000)
        return LetterOf(Script::Cjk, false, false);
    if ((c >= 0xAC00 && c < 0xD7A4) || (c >= 0x1100 && c < 0x1200)) return LetterOf(Script::Hangul, false, false);
    if (c >= 0xFF01 && c < 0xFF61) return Other(Kind::Punctuation);
    if (c >= 0xFF61 && c < 0xFFA0) return LetterOf(Script::Cjk, false, false);
    if (c >= 0xFB50 && c < 0xFF00) return LetterOf(Script::Arabic, false, false, 2);
    return LetterOf(Script::Other, false, false, 2);
}

bool IsApostropheOrDash(char32_t c) { return c == 0x2019 || c == 0x2018 || (c >= 0x2010 && c <= 0x2014); }

// What one neighbour after another inside a word costs. A no-break space is a blank, but right after
// a Latin or Greek capital beyond ASCII it is what UTF-8 makes of "à" or of a no-break space of its
// own read in a code page ("Ã\u00A0", "Â\u00A0", "Ă\u00A0", "Γ\u00A0"): its second byte is 0xA0.
// (Russian typesetters put one after a capital preposition: "В\u00A0Москве".)
double Misfit(const Class& a, char32_t ca, const Class& b, char32_t cb) {
    if (a.kind == Kind::NoBreak || b.kind == Kind::NoBreak)
        return b.kind == Kind::NoBreak && a.kind == Kind::Letter && a.upper && ca >= 0x80 &&
                       (a.script == Script::Latin || a.script == Script::Greek)
                   ? 4
                   : 0;
    const bool letterA = a.kind == Kind::Letter, letterB = b.kind == Kind::Letter;
    if (letterA && letterB) {
        // Chinese and Japanese put Latin words right beside their own ("Linuxカーネル").
        if ((a.script == Script::Latin && b.script == Script::Cjk) || (a.script == Script::Cjk && b.script == Script::Latin)) return 0;
        if (a.script != b.script) return 5;
        if (a.lower && b.upper) return 2.5;
        // Latin words are mostly letters of ASCII; two beyond it side by side are few.
        if (a.script == Script::Latin && ca >= 0x80 && cb >= 0x80) return 0.8;
        return 0;
    }
    if (a.kind == Kind::Mark && a.script != Script::None && (b.kind == Kind::Symbol || (letterB && b.script != a.script)))
        return 3;
    if (b.kind == Kind::Mark) return letterA ? (b.script != Script::None && b.script != a.script ? 5 : 0) : 3;
    if ((letterA && b.kind == Kind::Symbol) || (a.kind == Kind::Symbol && letterB)) return 3;
    if ((a.kind == Kind::Symbol && (b.kind == Kind::Symbol || b.kind == Kind::Typographic)) ||
        (a.kind == Kind::Typographic && b.kind == Kind::Symbol))
        return 1;
    if (letterA && b.kind == Kind::Typographic) return IsApostropheOrDash(cb) ? 0 : 0.7;
    if (a.kind == Kind::Typographic && letterB) return IsApostropheOrDash(ca) ? 0 : 0.7;
    return 0;
}

// A text is shaped character by character many times over while its readings are searched, so each
// character is reduced to the few things its costs depend on, a number below kKinds; what a pair of
// such numbers costs is looked up. The characters most texts are made of (ASCII, Latin-1, Latin
// Extended, Greek, Cyrillic) have their numbers looked up too.
constexpr int kScripts = static_cast<int>(Script::Other) + 1;
// Non-letters: their kind, with dashes and apostrophes apart from the other typographic signs;
// letters: script, case (upper, lower, neither) and whether beyond ASCII.
constexpr int kOtherKinds = static_cast<int>(Kind::NoBreak) + 2;
// Marks of a script's own, one a script.
constexpr int kFirstMarkKind = kOtherKinds + kScripts * 3 * 2;
constexpr int kKinds = kFirstMarkKind + kScripts;
constexpr char32_t kClassTableSize = 0x530;
// The signs of typography (dashes, quotes, the ellipsis, №, ™), arrows, mathematics and the box
// drawing of the DOS code pages, which what 866 makes of text is full of.
constexpr char32_t kFirstSign = 0x2000, kSignTableSize = 0x600;
// The kana and the common ideographs: letters of no case that cost nothing by themselves.
constexpr bool IsCommonCjk(char32_t c) { return (c >= 0x3040 && c < 0x3100) || (c >= 0x3400 && c < 0xA000); }
// The counts add up in lanes of one number, emptied into the shape at least every kLaneRoom characters.
constexpr int kLane = 16, kLetters = 0, kCyrillic = kLane, kControls = 2 * kLane, kBeyondAscii = 3 * kLane;
constexpr std::size_t kLaneRoom = (std::size_t{1} << kLane) - 1;
constexpr std::uint8_t kSignBeside = 0x80;

int KindNumber(const Class& k, char32_t c) {
    if (k.kind == Kind::Mark && k.script != Script::None) return kFirstMarkKind + static_cast<int>(k.script);
    if (k.kind != Kind::Letter) return k.kind == Kind::Typographic && IsApostropheOrDash(c) ? kOtherKinds - 1 : static_cast<int>(k.kind);
    const int letterCase = k.upper ? 0 : k.lower ? 1 : 2;
    return kOtherKinds + (static_cast<int>(k.script) * 3 + letterCase) * 2 + (c >= 0x80 ? 1 : 0);
}

struct Kinds {
    // What a pair costs, as an index into `values` (few distinct costs, so the table stays small),
    // with kSignBeside added where it is a symbol and a letter. Costs are counted in tenths: whole
    // numbers add up alike however the walk groups them (a paragraph as the sum of its lines).
    std::array<std::array<std::uint8_t, kKinds>, kKinds> misfit{};
    std::array<int, 8> values{};
    std::array<Class, kKinds> example{};  // a class of each number, for what counts it adds to
    // A looked-up character: its number and what it costs by itself, as an index into `rarities`.
    struct Entry {
        std::uint8_t kind = 0, rarity = 0;
    };
    std::array<int, 8> rarities{};
    std::array<Entry, kClassTableSize> common{};
    // The signs from kFirstSign, looked up too.
    std::array<Entry, kSignTableSize> signs{};
    // What each number adds to the counts: the letters, the Cyrillic ones and the controls, each in
    // a lane of kLane bits of one number (the characters beyond ASCII count in the fourth lane), and
    // whether it is a Latin letter or ends a word.
    struct Facts {
        std::uint64_t counts = 0;
        std::uint8_t latin = 0, endsWord = 0;
    };
    std::array<Facts, kKinds> facts{};
};

int Tenths(double cost) { return static_cast<int>(std::lround(cost * 10)); }

// The index of `cost` among the first `distinct` of `values`, added to them when new.
template <std::size_t N>
std::uint8_t IndexOf(std::array<int, N>& values, std::size_t& distinct, double cost) {
    const int v = Tenths(cost);
    std::size_t i = 0;
    while (i < distinct && values[i] != v) ++i;
    if (i == distinct) values[distinct++] = v;
    return static_cast<std::uint8_t>(i);
}

const Kinds& TheKinds() {
    static const Kinds kinds = [] {
        Kinds t;
        std::array<char32_t, kKinds> sample{};
        std::array<bool, kKinds> seen{};
        auto note = [&](char32_t c) {
            const Class k = ClassOf(c);
            const int n = KindNumber(k, c);
            if (!seen[n]) seen[n] = true, sample[n] = c, t.example[n] = k;
            return n;
        };
        std::size_t rarities = 1;  // rarities[0] is 0
        auto entry = [&](char32_t c) {
            return Kinds::Entry{static_cast<std::uint8_t>(note(c)), IndexOf(t.rarities, rarities, ClassOf(c).rarity)};
        };
        for (char32_t c = 0; c < kClassTableSize; ++c) t.common[c] = entry(c);
        for (char32_t c = 0; c < kSignTableSize; ++c) t.signs[c] = entry(kFirstSign + c);
        // Every other number stands for what its costs depend on, and a character of that is made up:
        // walking the other planes for one of each would cost more than most texts' repair.
        for (int n = 0; n < kKinds; ++n) {
            if (seen[n]) continue;
            seen[n] = true;
            if (n < kOtherKinds) {
                t.example[n] = Other(n == kOtherKinds - 1 ? Kind::Typographic : static_cast<Kind>(n));
                sample[n] = n == kOtherKinds - 1 ? U'\u2019' : U'\uFFFD';
            } else if (n >= kFirstMarkKind) {
                t.example[n] = MarkOf(static_cast<Script>(n - kFirstMarkKind), 0);
                sample[n] = U'\u05B0';
            } else {
                const int letter = (n - kOtherKinds) / 2, letterCase = letter % 3;
                t.example[n] = LetterOf(static_cast<Script>(letter / 3), letterCase == 0, letterCase == 1);
                sample[n] = (n - kOtherKinds) % 2 == 1 ? U'\u0100' : U'a';
            }
        }
        for (int n = 0; n < kKinds; ++n) {
            const Class& k = t.example[n];
            const bool letter = k.kind == Kind::Letter;
            t.facts[n] = {std::uint64_t{letter} << kLetters | std::uint64_t{letter && k.script == Script::Cyrillic} << kCyrillic |
                              std::uint64_t{k.kind == Kind::Control} << kControls,
                          letter && k.script == Script::Latin, !letter && k.kind != Kind::Mark};
        }
        std::size_t distinct = 1;  // values[0] is 0
        for (int a = 0; a < kKinds; ++a)
            for (int b = 0; b < kKinds; ++b) {
                if (!seen[a] || !seen[b]) continue;
                // Beside a blank nothing is a misfit.
                const bool blank = t.example[a].kind == Kind::Blank || t.example[b].kind == Kind::Blank;
                const double cost = blank ? 0 : Misfit(t.example[a], sample[a], t.example[b], sample[b]);
                const Kind ka = t.example[a].kind, kb = t.example[b].kind;
                const bool sign = cost != 0 && ((ka == Kind::Symbol && kb == Kind::Letter) || (ka == Kind::Letter && kb == Kind::Symbol));
                t.misfit[a][b] = static_cast<std::uint8_t>(IndexOf(t.values, distinct, cost) | (sign ? kSignBeside : 0));
            }
        return t;
    }();
    return kinds;
}

// The walk of a text's characters in their order, adding up its shape.
class Walk {
public:
    Walk() : kinds_(TheKinds()), camelCost_(kinds_.values[kinds_.misfit[Ascii('a')][Ascii('A')]]) {}

    void Add(char32_t c) {
        int kind;
        if (c < kClassTableSize) {
            const Kinds::Entry e = kinds_.common[c];
            kind = e.kind;
            if (e.rarity != 0) cost_ += kinds_.rarities[e.rarity];
        } else if (c - kFirstSign < kSignTableSize) {
            const Kinds::Entry e = kinds_.signs[c - kFirstSign];
            kind = e.kind;
            if (e.rarity != 0) cost_ += kinds_.rarities[e.rarity];
        } else if (IsCommonCjk(c)) {
            kind = cjk_;
        } else {
            const Class k = ClassOf(c);
            kind = KindNumber(k, c);
            cost_ += Tenths(k.rarity);
        }
        const std::size_t high = c >= 0x80;
        const Kinds::Facts& f = kinds_.facts[kind];
        counts_ += f.counts + (std::uint64_t{high} << kBeyondAscii);
        // Words end at unforeseeable places, but seldom hold Latin letters beyond ASCII.
        const std::size_t ends = f.endsWord, keep = ends - 1;
        if ((ends & (wordLatinBeyond_ != 0)) != 0) {
            shape_.latinBeyondAscii += wordLatinBeyond_;
            shape_.latinInTheirWords += wordLatin_;
        }
        wordLatin_ = (wordLatin_ & keep) + f.latin;
        wordLatinBeyond_ = (wordLatinBeyond_ & keep) + (f.latin & high);
        if (const std::uint8_t m = kinds_.misfit[previous_][kind]; m != 0) Misfit(m);
        previous_ = kind;
    }

    // A space, as Add adds it: beside a blank nothing is a misfit, and it counts for nothing but the
    // end of a word.
    void AddSpace() {
        EndWord();
        previous_ = space_;
    }

    // Eight ASCII characters at once (the first in the lowest byte), when none is a control; false,
    // having added nothing, when one is.
    bool AddAscii(std::uint64_t eight) {
        constexpr std::uint64_t kOnes = 0x0101010101010101, kHigh = kOnes * 0x80;
        // Bytes below 0x80 add these without a carry into the next byte.
        auto below = [&](std::uint64_t x, std::uint8_t bound) { return ~(x + kOnes * (0x80 - bound)) & kHigh; };
        auto equal = [&](std::uint8_t b) {
            const std::uint64_t x = eight ^ (kOnes * b);
            return ~(((x & ~kHigh) + ~kHigh) | x) & kHigh;
        };
        const std::uint64_t controls = (below(eight, 0x20) & ~equal('\t') & ~equal('\n') & ~equal('\r')) | equal(0x7F);
        if (controls != 0) return false;
        const std::uint64_t folded = eight | kOnes * 0x20;
        const std::uint64_t letters = below(folded, 'z' + 1) & ~below(folded, 'a');
        const std::uint64_t upper = below(eight, 'Z' + 1) & ~below(eight, 'A');
        const std::uint64_t lower = letters & ~upper;
        // Of two ASCII characters side by side only a small letter before a capital is a misfit.
        const std::uint64_t camel = (lower << 8) & upper;
        // The marks are the bytes' top bits, so their sum lands in the top byte: without a processor's
        // count instruction (the baseline of both targets) std::popcount is a library call.
        auto count = [](std::uint64_t marks) { return static_cast<int>(((marks >> 7) * kOnes) >> 56); };
        const int first = Ascii(static_cast<char32_t>(eight & 0x7F));
        if (const std::uint8_t m = kinds_.misfit[previous_][first]; m != 0) Misfit(m);
        for (int n = count(camel); n > 0; --n) cost_ += camelCost_;
        counts_ += static_cast<std::uint64_t>(count(letters)) << kLetters;
        if (const std::uint64_t others = ~letters & kHigh; others == 0) {
            wordLatin_ += 8;
        } else {
            // The first ends the word the letters before it belong to; the letters after the last
            // begin one, of ASCII so far.
            wordLatin_ += static_cast<std::size_t>(std::countr_zero(others) / 8);
            if (wordLatinBeyond_ > 0) {
                shape_.latinBeyondAscii += wordLatinBeyond_;
                shape_.latinInTheirWords += wordLatin_;
            }
            wordLatinBeyond_ = 0;
            wordLatin_ = static_cast<std::size_t>(std::countl_zero(others) / 8);
        }
        previous_ = Ascii(static_cast<char32_t>(eight >> 56));
        return true;
    }

    // Russian letters (U+0410-U+044F: what most Cyrillic text is made of), four or two at once, from
    // the bytes of their UTF-8 (the first in the lowest byte); false, having added nothing, when those
    // bytes are something else. Between two of them only a small letter before a capital costs, and
    // none costs by itself or touches the Latin counts.
    template <int Letters>
    bool AddRussian(std::uint64_t bytes) {
        constexpr std::uint64_t kLanes = Letters == 4 ? ~std::uint64_t{0} : 0xFFFFFFFF;
        constexpr std::uint64_t kLow = 0x00FF00FF00FF00FF & kLanes, kTop = 0x0080008000800080 & kLanes;
        constexpr std::uint64_t kOne = 0x0001000100010001 & kLanes;
        const std::uint64_t leads = bytes & kLow, trails = bytes >> 8 & kLow;
        if ((leads & kOne * 0xFE) != kOne * 0xD0 || (trails & kOne * 0xC0) != kOne * 0x80) return false;
        // What each letter is beyond U+0400, one a lane of sixteen bits: 0x10-0x4F for these letters.
        const std::uint64_t beyond = (leads & kOne) << 6 | (trails & kOne * 0x3F);
        if ((~(beyond + kOne * 0x70) & kTop) != 0 || ((beyond + kOne * 0x30) & kTop) != 0) return false;
        const std::uint64_t upper = ~(beyond + kOne * 0x50) & kTop;
        const std::uint64_t camel = (~upper & kTop) << 16 & upper;
        const int first = (upper & 0x80) != 0 ? russianUpper_ : russianLower_;
        if (const std::uint8_t m = kinds_.misfit[previous_][first]; m != 0) Misfit(m);
        for (std::uint64_t n = ((camel >> 7) * 0x0001000100010001) >> 48; n > 0; --n) cost_ += russianCamelCost_;
        counts_ += Letters * russianCounts_;
        previous_ = (upper >> (16 * (Letters - 1)) & 0x80) != 0 ? russianUpper_ : russianLower_;
        return true;
    }

    // Empties the lanes, which hold no more than kLaneRoom characters' counts.
    void Count() {
        auto lane = [&](int at) { return static_cast<std::size_t>(counts_ >> at & kLaneRoom); };
        shape_.letters += lane(kLetters);
        shape_.cyrillic += lane(kCyrillic);
        shape_.controls += lane(kControls);
        shape_.beyondAscii += lane(kBeyondAscii);
        counts_ = 0;
    }

    // The shape of what was added since the last line taken, which ended a word or the text.
    Shape TakeLine() {
        Count();
        EndWord();
        Shape line = shape_;
        for (auto [all, before] : {std::pair{&line.beyondAscii, line_.beyondAscii}, {&line.letters, line_.letters},
                                   {&line.latinBeyondAscii, line_.latinBeyondAscii},
                                   {&line.latinInTheirWords, line_.latinInTheirWords}, {&line.cyrillic, line_.cyrillic},
                                   {&line.controls, line_.controls}})
            *all -= before;
        line.cost = static_cast<double>(cost_ - lineCost_) / 10;
        line.signs = static_cast<double>(signs_ - lineSigns_) / 10;
        line_ = shape_;
        lineCost_ = cost_;
        lineSigns_ = signs_;
        return line;
    }

    std::int64_t TenthsSoFar() const { return cost_; }

    Shape Done() {
        Count();
        EndWord();
        shape_.cost = static_cast<double>(cost_) / 10;
        shape_.signs = static_cast<double>(signs_) / 10;
        return shape_;
    }

private:
    int Ascii(char32_t c) const { return kinds_.common[c].kind; }

    // Counts the Latin letters of the word so far, as the end of the text does.
    void EndWord() {
        if (wordLatinBeyond_ > 0) {
            shape_.latinBeyondAscii += wordLatinBeyond_;
            shape_.latinInTheirWords += wordLatin_;
        }
        wordLatin_ = wordLatinBeyond_ = 0;
    }

    void Misfit(std::uint8_t m) {
        const int cost = kinds_.values[m & ~kSignBeside];
        cost_ += cost;
        if ((m & kSignBeside) != 0) signs_ += cost;
    }

    const Kinds& kinds_;
    const int camelCost_;
    const int russianUpper_ = Ascii(U'\u0410'), russianLower_ = Ascii(U'\u0430'), space_ = Ascii(' ');
    const int cjk_ = KindNumber(ClassOf(U'\u4E00'), U'\u4E00');
    const int russianCamelCost_ = kinds_.values[kinds_.misfit[russianLower_][russianUpper_]];
    const std::uint64_t russianCounts_ = kinds_.facts[russianLower_].counts + (std::uint64_t{1} << kBeyondAscii);
    Shape shape_;
    std::int64_t cost_ = 0, signs_ = 0;  // in tenths
    Shape line_;  // the counts where the line began
    std::int64_t lineCost_ = 0, lineSigns_ = 0;
    std::uint64_t counts_ = 0;
    int previous_ = static_cast<int>(Kind::Blank);
    std::size_t wordLatin_ = 0, wordLatinBeyond_ = 0;
};

// Eight or four bytes, the first in the lowest.
template <int Bytes>
std::uint64_t Load(const std::uint8_t* p) {
    std::uint64_t bytes = 0;
    for (int i = 0; i < Bytes; ++i) bytes |= std::uint64_t{p[i]} << 8 * i;
    return bytes;
}

// Walks the UTF-8 bytes from `p` to `end` (a text that starts at `begin`), as DecodeCharacters reads
// them.
void WalkUtf8(Walk& walk, const std::uint8_t*& p, const std::uint8_t* end, const std::uint8_t* begin, std::size_t& failed,
              std::size_t& lost) {
    // A character takes a byte at least, so what begins in a stretch a little shorter than the lanes'
    // room (the last step may take eight bytes) fits them.
    constexpr std::ptrdiff_t kStretch = kLaneRoom - 8;
    while (p != end) {
        const auto* const stretch = p + std::min(end - p, kStretch);
        while (p < stretch) {
            char32_t c;
            if (*p < 0x80) {
                // Eight at once after an ASCII character only: most ASCII among other letters are lone
                // blanks, where the try would cost more than it saves.
                if (end - p >= 8 && p != begin && p[-1] < 0x80) {
                    const std::uint64_t eight = Load<8>(p);
                    if ((eight & 0x8080808080808080) == 0 && walk.AddAscii(eight)) {
                        p += 8;
                        continue;
                    }
                }
                if (*p == ' ') {
                    walk.AddSpace();
                    ++p;
                    continue;
                }
                c = *p++;
            } else if ((*p & 0xFE) == 0xD0 && end - p >= 8 && walk.AddRussian<4>(Load<8>(p))) {
                p += 8;
                continue;
            } else if ((*p & 0xFE) == 0xD0 && end - p >= 4 && walk.AddRussian<2>(Load<4>(p))) {
                p += 4;
                continue;
            } else if (*p >= 0xC2 && *p <= 0xDF && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
                c = static_cast<char32_t>((p[0] & 0x1F) << 6 | (p[1] & 0x3F));
                p += 2;
            } else if (const char32_t three = PlainThreeBytes(p, end)) {
                c = three;
                p += 3;
            } else {
                const Decoded d = DecodeUtf8(p, end);
                if (d.kind == Decoded::Malformed) ++failed;
                if (d.kind == Decoded::Lost) ++lost;
                c = d.kind == Decoded::Good ? d.character : 0xFFFD;
                p += d.length;
            }
            walk.Add(c);
        }
        walk.Count();
    }
}

}  // namespace

namespace mojibake {

double MisfitBetween(char32_t a, char32_t b) {
    const Class ka = ClassOf(a), kb = ClassOf(b);
    return ka.kind == Kind::Blank || kb.kind == Kind::Blank ? 0 : Misfit(ka, a, kb, b);
}

bool LatinText(const Shape& s) {
    constexpr double kForeignLatinShare = 0.6;
    return s.latinBeyondAscii > 0 && s.letters > 2 * s.cyrillic &&
           static_cast<double>(s.latinBeyondAscii) < kForeignLatinShare * static_cast<double>(s.latinInTheirWords);
}

Shape ShapeOf(std::u32string_view text) {
    Walk walk;
    for (std::size_t at = 0; at < text.size(); at += kLaneRoom) {
        for (char32_t c : text.substr(at, kLaneRoom)) walk.Add(c);
        walk.Count();
    }
    return walk.Done();
}

Shape ShapeOfUtf8(std::string_view bytes, std::size_t& failed, std::size_t& lost, std::vector<LineShape>* lines) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto* const begin = p;
    const auto* const end = p + bytes.size();
    Walk walk;
    // No character of UTF-8 holds a line break's byte, so a line is walked as a text of its own.
    if (lines) lines->clear();
    while (p != end) {
        const void* const eol = lines ? std::memchr(p, '\n', static_cast<std::size_t>(end - p)) : nullptr;
        const auto* const lineEnd = eol ? static_cast<const std::uint8_t*>(eol) + 1 : end;
        const std::size_t failedBefore = failed, lostBefore = lost;
        WalkUtf8(walk, p, lineEnd, begin, failed, lost);
        if (lines)
            lines->push_back({static_cast<std::size_t>(lineEnd - begin), walk.TakeLine(), failed - failedBefore, lost - lostBefore});
    }
    return walk.Done();
}

double CostOfUtf8(std::string_view bytes, double enough) {
    // The walk stops now and then to look at the cost so far, right after an ASCII byte, where no
    // character is cut (nor a lead byte parted from the blank or '?' after it); soon at first, where
    // mojibake shows at once, then less often.
    std::ptrdiff_t look = 32;
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto* const begin = p;
    const auto* const end = p + bytes.size();
    // Costs are whole tenths: compared so, the bound means the same in every build's arithmetic.
    const auto bound = static_cast<std::int64_t>(std::ceil(enough * 10 - 1e-6));
    Walk walk;
    std::size_t failed = 0, lost = 0;
    while (p != end && walk.TenthsSoFar() < bound) {
        const auto* stop = p + std::min(end - p, look);
        while (stop != end && stop[-1] >= 0x80) ++stop;
        look = std::min<std::ptrdiff_t>(look * 2, 1024);
        WalkUtf8(walk, p, stop, begin, failed, lost);
    }
    return walk.Done().cost;
}

}  // namespace mojibake
