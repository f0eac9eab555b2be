#include "encoding/mojibake_shape.h"

#include <array>
#include <cstdint>

#include "encoding/mojibake_charts.h"

namespace {

using namespace mojibake;

enum class Kind : std::uint8_t { Blank, Digit, Punctuation, Typographic, Symbol, Mark, Control, Letter, Lost };
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

// Latin letters beyond Latin-1, in their usual upper-lower pairs.
Class LatinExtended(char32_t c) {
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    const bool upper = c == 0x178 || (oddUpper ? c % 2 == 1 : c % 2 == 0);
    return LetterOf(Script::Latin, upper, !upper, c < 0x180 ? 0.3 : 1.5);
}

Class ClassOf(char32_t c) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 0xA0 || c == 0x3000 || (c >= 0x2000 && c <= 0x200B))
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
    if (c < 0xC0) return Other(Kind::Symbol, 0.5);
    if (c >= 0x100 && c < 0x250) return LatinExtended(c);
    if (c >= 0x250 && c < 0x300) return Other(Kind::Symbol, 1.5);  // phonetic and modifier letters
    if (c >= 0x300 && c < 0x370) return Other(Kind::Mark, 1);
    if (c >= 0x386 && c <= 0x3CE && c != 0x387) return LetterOf(Script::Greek, c < 0x3AC, c >= 0x3AC);
    if (c >= 0x370 && c < 0x400) return LetterOf(Script::Greek, false, false, 1.5);
    if (c >= 0x400 && c < 0x430) return LetterOf(Script::Cyrillic, true, false, c < 0x410 && c != 0x401 ? 0.5 : 0);
    if (c >= 0x430 && c < 0x460) return LetterOf(Script::Cyrillic, false, true, c >= 0x450 && c != 0x451 ? 0.5 : 0);
    if (c >= 0x483 && c <= 0x489) return Other(Kind::Mark, 2);
    if (c >= 0x460 && c < 0x530) return LetterOf(Script::Cyrillic, c % 2 == 0, c % 2 == 1, c == 0x490 || c == 0x491 ? 0.5 : 1.5);
    if (c >= 0x531 && c < 0x590) return LetterOf(Script::Armenian, c < 0x561, c >= 0x561);
    if (c >= 0x591 && c <= 0x5C7) return Other(Kind::Mark, 0.5);
    if (c >= 0x5D0 && c <= 0x5F4) return LetterOf(Script::Hebrew, false, false);
    if ((c >= 0x64B && c <= 0x65F) || c == 0x670) return Other(Kind::Mark, 0.5);
    if (c >= 0x600 && c < 0x700) return LetterOf(Script::Arabic, false, false);
    if (c == 0xE31 || (c >= 0xE34 && c <= 0xE3A) || (c >= 0xE47 && c <= 0xE4E)) return Other(Kind::Mark, 0.2);
    if (c >= 0xE01 && c < 0xE60) return LetterOf(Script::Thai, false, false);
    if (c >= 0x900 && c < 0xE00) return LetterOf(Script::Indic, false, false);
    if (c >= 0x10A0 && c < 0x1100) return LetterOf(Script::Georgian, false, false);
    if (c >= 0x1E00 && c < 0x1F00) return LetterOf(Script::Latin, c % 2 == 0, c % 2 == 1, 0.3);
    if (c >= 0x1F00 && c < 0x2000) return LetterOf(Script::Greek, false, false, 1);
    if ((c >= 0x2010 && c <= 0x2027) || (c >= 0x2030 && c <= 0x205E) || c == 0x2116) return Other(Kind::Typographic);
    if (c == 0x20AC || c == 0x2122) return Other(Kind::Symbol, 0.5);
    if (c >= 0x2070 && c < 0x3000) return Other(Kind::Symbol, 1);
    if (c >= 0x3001 && c < 0x3040) return Other(Kind::Typographic);
    if ((c >= 0x3040 && c < 0x3100) || (c >= 0x3400 && c < 0xA000) || (c >= 0xF900 && c < 0xFB00) || c >= 0x20000)
        return LetterOf(Script::Cjk, false, false);
    if ((c >= 0xAC00 && c < 0xD7A4) || (c >= 0x1100 && c < 0x1200)) return LetterOf(Script::Hangul, false, false);
    if (c >= 0xFF01 && c < 0xFF61) return Other(Kind::Typographic);
    if (c >= 0xFF61 && c < 0xFFA0) return LetterOf(Script::Cjk, false, false);
    if (c >= 0xFB50 && c < 0xFF00) return LetterOf(Script::Arabic, false, false, 2);
    return LetterOf(Script::Other, false, false, 2);
}

bool IsApostropheOrDash(char32_t c) { return c == 0x2019 || c == 0x2018 || (c >= 0x2010 && c <= 0x2014); }

// What one neighbour after another inside a word costs.
double Misfit(const Class& a, char32_t ca, const Class& b, char32_t cb) {
    const bool letterA = a.kind == Kind::Letter, letterB = b.kind == Kind::Letter;
    if (letterA && letterB) {
        if (a.script != b.script) return 5;
        if (a.lower && b.upper) return 2.5;
        // Latin words are mostly letters of ASCII; two beyond it side by side are few.
        if (a.script == Script::Latin && ca >= 0x80 && cb >= 0x80) return 0.8;
        return 0;
    }
    if (b.kind == Kind::Mark) return letterA ? 0 : 3;
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
constexpr int kOtherKinds = static_cast<int>(Kind::Lost) + 2;
constexpr int kKinds = kOtherKinds + kScripts * 3 * 2;
constexpr char32_t kClassTableSize = 0x530;
constexpr char32_t kFirstSign = 0x2000, kSignTableSize = 0x130;

int KindNumber(const Class& k, char32_t c) {
    if (k.kind != Kind::Letter) return k.kind == Kind::Typographic && IsApostropheOrDash(c) ? kOtherKinds - 1 : static_cast<int>(k.kind);
    const int letterCase = k.upper ? 0 : k.lower ? 1 : 2;
    return kOtherKinds + (static_cast<int>(k.script) * 3 + letterCase) * 2 + (c >= 0x80 ? 1 : 0);
}

struct Kinds {
    // What a pair costs, as an index into `values` (few distinct costs, so the table stays small).
    std::array<std::array<std::uint8_t, kKinds>, kKinds> misfit{};
    std::array<double, 8> values{};
    std::array<Class, kKinds> example{};  // a class of each number, for what counts it adds to
    std::array<double, kClassTableSize> rarity{};
    std::array<std::uint8_t, kClassTableSize> common{};
    // The signs of typography (dashes, quotes, the ellipsis, №, ™), looked up too.
    std::array<double, kSignTableSize> signRarity{};
    std::array<std::uint8_t, kSignTableSize> signs{};
    // What each number adds to the counts.
    struct Facts {
        std::uint8_t letter = 0, cyrillic = 0, latin = 0, control = 0, endsWord = 0;
    };
    std::array<Facts, kKinds> facts{};
};

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
        for (char32_t c = 0; c < kClassTableSize; ++c) {
            t.common[c] = static_cast<std::uint8_t>(note(c));
            t.rarity[c] = ClassOf(c).rarity;
        }
        // Every number some character has: the rest of the first plane and what lies beyond it.
        for (char32_t c = kClassTableSize; c < 0x10000; ++c) note(c);
        for (char32_t c = 0; c < kSignTableSize; ++c) {
            t.signs[c] = static_cast<std::uint8_t>(note(kFirstSign + c));
            t.signRarity[c] = ClassOf(kFirstSign + c).rarity;
        }
        for (char32_t c : {U'\U00010000', U'\U00020000'}) note(c);
        for (int n = 0; n < kKinds; ++n) {
            const Class& k = t.example[n];
            const bool letter = k.kind == Kind::Letter;
            t.facts[n] = {letter, letter && k.script == Script::Cyrillic, letter && k.script == Script::Latin,
                          k.kind == Kind::Control, !letter && k.kind != Kind::Mark};
        }
        std::size_t distinct = 1;  // values[0] is 0
        for (int a = 0; a < kKinds; ++a)
            for (int b = 0; b < kKinds; ++b) {
                if (!seen[a] || !seen[b]) continue;
                // Beside a blank nothing is a misfit.
                const bool blank = t.example[a].kind == Kind::Blank || t.example[b].kind == Kind::Blank;
                const double v = blank ? 0 : Misfit(t.example[a], sample[a], t.example[b], sample[b]);
                std::size_t i = 0;
                while (i < distinct && t.values[i] != v) ++i;
                if (i == distinct) t.values[distinct++] = v;
                t.misfit[a][b] = static_cast<std::uint8_t>(i);
            }
        return t;
    }();
    return kinds;
}

// The shape of the characters `next` gives one by one (false at the end).
template <typename Next>
Shape ShapeBy(Next&& next) {
    const Kinds& kinds = TheKinds();
    Shape shape;
    int previous = static_cast<int>(Kind::Blank);
    std::size_t wordLatin = 0, wordLatinBeyond = 0;
    auto endWord = [&] {
        if (wordLatinBeyond > 0) {
            shape.latinBeyondAscii += wordLatinBeyond;
            shape.latinInTheirWords += wordLatin;
        }
        wordLatin = wordLatinBeyond = 0;
    };
    for (char32_t c; next(c);) {
        int kind;
        if (c < kClassTableSize) {
            kind = kinds.common[c];
            // Adding nothing leaves a sum as it is: the costs add up as a character-by-character
            // walk adds them.
            if (const double r = kinds.rarity[c]; r != 0) shape.cost += r;
        } else if (c - kFirstSign < kSignTableSize) {
            kind = kinds.signs[c - kFirstSign];
            if (const double r = kinds.signRarity[c - kFirstSign]; r != 0) shape.cost += r;
        } else {
            const Class k = ClassOf(c);
            kind = KindNumber(k, c);
            shape.cost += k.rarity;
        }
        const bool high = c >= 0x80;
        const Kinds::Facts& f = kinds.facts[kind];
        shape.beyondAscii += high;
        shape.letters += f.letter;
        shape.cyrillic += f.cyrillic;
        shape.controls += f.control;
        if (f.latin) {
            ++wordLatin;
            wordLatinBeyond += high;
        } else if (f.endsWord) {
            endWord();
        }
        if (const std::uint8_t m = kinds.misfit[previous][kind]; m != 0) shape.cost += kinds.values[m];
        previous = kind;
    }
    endWord();
    return shape;
}

}  // namespace

namespace mojibake {

double MisfitBetween(char32_t a, char32_t b) {
    const Class ka = ClassOf(a), kb = ClassOf(b);
    return ka.kind == Kind::Blank || kb.kind == Kind::Blank ? 0 : Misfit(ka, a, kb, b);
}

Shape ShapeOf(std::u32string_view text) {
    const char32_t* p = text.data();
    const char32_t* const end = p + text.size();
    return ShapeBy([&](char32_t& c) { return p != end && (c = *p++, true); });
}

Shape ShapeOfUtf8(std::string_view bytes, std::size_t& failed, std::size_t& lost) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto* const end = p + bytes.size();
    // As DecodeCharacters reads UTF-8.
    return ShapeBy([&](char32_t& c) {
        if (p == end) return false;
        if (*p < 0x80) {
            c = *p++;
        } else if (*p >= 0xC2 && *p <= 0xDF && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
            c = static_cast<char32_t>((p[0] & 0x1F) << 6 | (p[1] & 0x3F));
            p += 2;
        } else {
            const Decoded d = DecodeUtf8(p, end);
            if (d.kind == Decoded::Malformed) ++failed;
            if (d.kind == Decoded::Lost) ++lost;
            c = d.kind == Decoded::Good ? d.character : 0xFFFD;
            p += d.length;
        }
        return true;
    });
}

}  // namespace mojibake
