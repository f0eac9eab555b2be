#include "encoding/encoding_detection.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>

#include "encoding/russian_expectation.h"
#include "encoding/russian_letter_statistics.h"
#include "encoding/utf8_sequences.h"

namespace {

// A text in two code pages is found at a line end after every this many bytes.
constexpr std::size_t kPartBytes = 128;
// How much better (in nats) a text reads as two code pages, one up to a line end and the other after
// it, than as the best one throughout, and how many letters each part has at least, before it is
// said to be mixed. A text in one code page gains a few nats at most by the split (a paragraph of
// capitals, a line of box drawing); two parts of Russian in different code pages gain hundreds.
constexpr double kMixedGain = 60.0;
constexpr std::size_t kMixedLetters = 40;
// The highest confidence a mixed text is named with, below kAutoConfidence.
constexpr double kMixedConfidence = 0.8;
// Candidates whose likelihoods are closer than this (in nats) are not told apart.
constexpr double kUndecidedMargin = 1.0;
// The likelihood ratios are of a model that takes neighbouring pairs as independent, which they are
// not; the confidence flattens them by this much.
constexpr double kConfidenceTemperature = 4.0;
// How far below what Russian text scores on average a reading may fall, in nats a pair, and still be
// Russian. Russian texts the statistics never saw fall 0.5 below (the statistics are of messages, not
// prose), Ukrainian, Bulgarian and Serbian texts 0.4-1.0; Greek, Hebrew, Arabic, Thai and the Asian
// multi-byte encodings 1.6-5 in the reading that suits them best, Latin texts 3-10.
constexpr double kRussianFloor = -1.5;
// The letters at which a reading is about two thirds sure to be Russian text by their number alone.
constexpr double kFewLetters = 8.0;

// Whether the sample is UTF-8 throughout with at least one character beyond ASCII.
bool IsUtf8(std::string_view sample, bool complete) {
    bool multibyte = false;
    for (std::size_t i = 0; i < sample.size();) {
        if (static_cast<unsigned char>(sample[i]) < 0x80) {
            ++i;
            continue;
        }
        const Utf8Character c = ReadUtf8Character(sample, i);
        if (c.cut) return !complete && multibyte;
        if (!c.WellFormed()) return false;
        multibyte = true;
        i += c.length;
    }
    return multibyte;
}

// A character of text: not a control other than the blanks, not a surrogate or a noncharacter.
bool IsTextCharacter(std::uint32_t c) {
    return c >= 0x20 ? c != 0x7F && !(c >= 0xD800 && c <= 0xDFFF) && c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF
                     : c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The units of a text read as UTF-16 or UTF-32: how many, how many are characters of text, and the
// zero bytes in the high and the low byte of UTF-16 units.
struct WideUnits {
    std::size_t units = 0, text = 0, zeroHigh = 0, zeroLow = 0;
    bool AllText() const { return text == units; }
};

WideUnits Utf32Units(const std::uint8_t* b, std::size_t size, bool big) {
    WideUnits w;
    w.units = size / 4;
    for (std::size_t i = 0; i < w.units; ++i) {
        const std::uint8_t* u = b + 4 * i;
        const std::uint32_t c = big ? std::uint32_t{u[0]} << 24 | u[1] << 16 | u[2] << 8 | u[3]
                                    : std::uint32_t{u[3]} << 24 | u[2] << 16 | u[1] << 8 | u[0];
        w.text += IsTextCharacter(c);
    }
    return w;
}

WideUnits Utf16Units(const std::uint8_t* b, std::size_t size, bool big) {
    WideUnits w;
    w.units = size / 2;
    auto unit = [&](std::size_t i) { return static_cast<std::uint32_t>(b[2 * i + (big ? 0 : 1)] << 8 | b[2 * i + (big ? 1 : 0)]); };
    for (std::size_t i = 0; i < w.units; ++i) {
        const std::uint32_t c = unit(i);
        w.zeroHigh += c >> 8 == 0;
        w.zeroLow += (c & 0xFF) == 0;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < w.units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            w.text += 2;
            w.zeroLow += (unit(i + 1) & 0xFF) == 0;
            ++i;
            continue;
        }
        w.text += IsTextCharacter(c);
    }
    return w;
}

// UTF-16 and UTF-32 by their byte order mark when what follows it is text, or without one by where
// their zero bytes fall: a text of letters of one alphabet has a zero in the high byte of every
// space, digit and Latin letter, and none in the low bytes.
}  // namespace

std::optional<Detection> DetectWideEncoding(std::string_view sample) {
    const auto* b = reinterpret_cast<const std::uint8_t*>(sample.data());
    const std::size_t size = sample.size();
    Detection result;
    result.kind = Detection::Kind::Encoding;
    result.confidence = 1;
    result.byteOrderMark = true;
    auto marked = [&](std::string_view mark) { return sample.substr(0, mark.size()) == mark; };
    if (marked(std::string_view("\xFF\xFE\0\0", 4)) && Utf32Units(b + 4, size - 4, false).AllText()) {
        result.kind = Detection::Kind::Utf32LE;
        return result;
    }
    if (marked(std::string_view("\0\0\xFE\xFF", 4)) && Utf32Units(b + 4, size - 4, true).AllText()) {
        result.kind = Detection::Kind::Utf32BE;
        return result;
    }
    for (bool big : {false, true}) {
        if (marked(big ? "\xFE\xFF" : "\xFF\xFE") && Utf16Units(b + 2, size - 2, big).AllText()) {
            result.encoding = big ? TextEncoding::Utf16BE : TextEncoding::Utf16LE;
            return result;
        }
    }
    result.byteOrderMark = false;
    // Without a mark, UTF-32 text has a zero in every unit and UTF-16 text in one unit of twenty at
    // least: a sample without a zero byte is neither, and most samples are told so by one fast scan.
    if (std::memchr(sample.data(), 0, size) == nullptr) return std::nullopt;
    for (bool big : {false, true}) {
        const WideUnits w = Utf32Units(b, size, big);
        if (w.units >= 4 && w.AllText()) {
            result.kind = big ? Detection::Kind::Utf32BE : Detection::Kind::Utf32LE;
            return result;
        }
    }
    for (bool big : {false, true}) {
        const WideUnits w = Utf16Units(b, size, big);
        // Units of text only, a zero in the high byte of at least one in twenty and almost never in
        // the low byte.
        if (w.units >= 8 && w.AllText() && w.zeroHigh * 20 >= w.units && w.zeroLow * 20 <= w.zeroHigh) {
            result.encoding = big ? TextEncoding::Utf16BE : TextEncoding::Utf16LE;
            // Data that looks like this by chance has few such zeros.
            result.confidence = 1 - 1.0 / static_cast<double>(w.zeroHigh + 1);
            return result;
        }
    }
    return std::nullopt;
}

namespace {

// Data rather than text: a NUL, or control characters beyond the odd one. Text has TAB, CR, LF and FF,
// and now and then an ESC (of a terminal's colours) or a SUB (a DOS end of file).
bool IsBinary(std::string_view sample) {
    std::size_t controls = 0, rare = 0;
    for (char ch : sample) {
        const auto c = static_cast<std::uint8_t>(ch);
        if (c == 0) return true;
        if (c < 0x20 || c == 0x7F) {
            if (c == 0x1B || c == 0x1A) ++rare;
            else if (c != '\t' && c != '\n' && c != '\r' && c != '\f') ++controls;
        }
    }
    return controls * 100 > sample.size() || rare * 10 > sample.size();
}

using ClassTable = std::array<LetterClass, 256>;

using VariantTable = std::array<bool, 256>;

const VariantTable& VariantsOf(int codePage) {
    static const auto tables = [] {
        std::array<VariantTable, kConversionCodePageCount> all{};
        for (int cp = 0; cp < kConversionCodePageCount; ++cp)
            for (int b = 0; b < 256; ++b)
                all[cp][b] = IsVariantLetter(CharacterOf(static_cast<ConversionCodePage>(cp), static_cast<std::uint8_t>(b)));
        return all;
    }();
    return tables[codePage];
}

const ClassTable& ClassesOf(int codePage) {
    static const auto tables = [] {
        std::array<ClassTable, kConversionCodePageCount> all{};
        for (int cp = 0; cp < kConversionCodePageCount; ++cp)
            for (int b = 0; b < 256; ++b)
                all[cp][b] = ClassOfCharacter(CharacterOf(static_cast<ConversionCodePage>(cp), static_cast<std::uint8_t>(b)));
        return all;
    }();
    return tables[codePage];
}

// What a reading of some bytes adds up to. Only the pairs that touch a byte above 0x7F are scored:
// the others read the same in every code page.
struct Tally {
    std::int64_t score = 0;  // log likelihood of the pairs, in kLogProbabilityUnit
    // The same without the pairs of a typographic sign or ё beside a Russian letter, a blank or
    // another sign, and what Russian text would score on average on those pairs: the yardstick of
    // whether the reading is Russian at all. How often a text sets « » — … № ё and no-break spaces
    // is its writer's habit (a dialogue has a dash on every line, a catalogue hardly ever writes ё),
    // so they neither count for it nor against it; only a sign next to a foreign letter does.
    std::int64_t fitScore = 0;
    double fitExpected = 0;  // nats
    std::uint32_t fitPairs = 0, letters = 0, variants = 0, smallLetters = 0;
    // Signs beside a Russian letter in this reading: evidence of Russian text, as its letters are.
    std::uint32_t signs = 0;

    // The likelihood (nats) the code pages are compared by.
    double Likelihood() const { return Score() - kVariantLetterCost * static_cast<double>(variants); }
    // The same without the cost of the other alphabets' letters, by which a text is split: a
    // paragraph of Serbian or Macedonian letters is no other code page for reading better as capitals.
    double Score() const { return static_cast<double>(score) / kLogProbabilityUnit; }
    // How likely the reading is Russian text at all: how far its likelihood a pair stands above the
    // floor, weighed by the square root of the pairs, as the mean of that many draws would be. A few
    // letters are weak evidence however well they read: the accented letters standing alone in a
    // Latin text ("è", "à") read as the Russian words "и" and "а".
    double Russian() const {
        const double pairs = fitPairs;
        const double fit =
            pairs > 0 ? ((static_cast<double>(fitScore) / kLogProbabilityUnit - fitExpected) / pairs - kRussianFloor) * std::sqrt(pairs) : 0;
        // Capitals alone are half the evidence: Greek small letters read in KOI8-R as Russian capitals
        // ("με το" as "ЛЕ ТО").
        const double evidence = static_cast<double>(letters + signs) / (smallLetters > 0 ? 1 : 2);
        return (1 - std::exp(-evidence / kFewLetters)) / (1 + std::exp(-fit));
    }
};

struct Reading {
    Tally total;
    // The likelihood and the letters up to the first line end after every kPartBytes, where a text in
    // two code pages may change from one to the other. Left uninitialised past checkpointCount: a
    // short text needs none, and clearing them would cost more than reading it.
    struct Checkpoint {
        std::uint32_t end, letters;
        double likelihood;
    };
    std::size_t checkpointCount = 0;
    Checkpoint checkpoints[kDetectionSample / kPartBytes];
};

// What a class is to the yardstick: a Russian letter other than ё, ё or a sign, a blank, a digit or
// an ASCII sign, or a foreign letter or character.
enum class Role : std::uint8_t { Letter, Habit, Blank, Foreign };

constexpr Role RoleOf(int letterClass) {
    if (letterClass == kFirstRussianClass + 32 || (letterClass >= kFirstSignClass && letterClass < kDigitClass))
        return Role::Habit;
    if (letterClass >= kFirstRussianClass && letterClass < kOtherClass) return Role::Letter;
    return letterClass == kAsciiOtherClass || letterClass == kDigitClass ? Role::Blank : Role::Foreign;
}

// What a pair of neighbouring classes is to the yardstick: a pair it scores, a sign beside a Russian
// letter (evidence, not scored), or another pair with a sign or ё (neither).
enum class PairUse : std::uint8_t { Fit, Sign, Habit };

constexpr PairUse PairUseOf(int first, int second) {
    const Role a = RoleOf(first), b = RoleOf(second);
    if ((a != Role::Habit && b != Role::Habit) || a == Role::Foreign || b == Role::Foreign) return PairUse::Fit;
    const bool sign = (a == Role::Letter && b == Role::Habit && second != kFirstRussianClass + 32) ||
                      (b == Role::Letter && a == Role::Habit && first != kFirstRussianClass + 32);
    return sign ? PairUse::Sign : PairUse::Habit;
}

void Read(const std::uint8_t* bytes, std::size_t size, const ClassTable& classes, const VariantTable& variants, Reading& r) {
    static constexpr auto kPairUse = [] {
        std::array<std::array<PairUse, kLetterClassCount>, kLetterClassCount> uses{};
        for (int a = 0; a < kLetterClassCount; ++a)
            for (int b = 0; b < kLetterClassCount; ++b) uses[a][b] = PairUseOf(a, b);
        return uses;
    }();
    Tally& t = r.total;
    // The yardstick's expectation depends on the first class of a pair alone: counted here and weighed
    // once at the end, it keeps floating point out of the loop over the bytes.
    std::uint32_t fitAfter[kLetterClassCount] = {}, fitAfterCase[3] = {};
    LetterClass prev = classes[' '];
    bool prevHigh = false;
    std::size_t nextCheckpoint = kPartBytes;
    for (std::size_t i = 0; i < size; ++i) {
        const bool high = bytes[i] >= 0x80;
        if (!high && i >= nextCheckpoint && bytes[i] == '\n' && r.checkpointCount < std::size(r.checkpoints)) {
            r.checkpoints[r.checkpointCount++] = {static_cast<std::uint32_t>(i + 1), t.letters, t.Score()};
            nextCheckpoint = i + kPartBytes;
        }
        const LetterClass cur = classes[bytes[i]];
        if (high || prevHigh) {
            const int pair = kRussianPairLogProbability[prev.letter][cur.letter] +
                             kRussianCaseLogProbability[prev.letterCase][cur.letterCase];
            t.score += pair;
            switch (kPairUse[prev.letter][cur.letter]) {
            case PairUse::Fit:
                t.fitScore += pair;
                ++fitAfter[prev.letter];
                ++fitAfterCase[prev.letterCase];
                ++t.fitPairs;
                break;
            case PairUse::Sign: ++t.signs; break;
            case PairUse::Habit: break;
            }
        }
        if (high && cur.letter >= kFirstRussianClass && cur.letter < kOtherClass) {
            ++t.letters;
            t.smallLetters += cur.letterCase == kLowerCase;
        }
        t.variants += variants[bytes[i]];
        prev = cur;
        prevHigh = high;
    }
    const Expectation& e = RussianExpectation();
    for (int c = 0; c < kLetterClassCount; ++c) t.fitExpected += fitAfter[c] * e.pair[c];
    for (int c = 0; c < 3; ++c) t.fitExpected += fitAfterCase[c] * e.letterCase[c];
}

// Where a text changes from one code page to another, when it reads as Russian in each part and
// that much better so than in the best code page throughout.
struct Split {
    int first = 0, second = 0;
    std::size_t from = 0;
    double gain = 0;
};

// The split by likelihood alone first, then whether each part reads as Russian by its own tally.
Split BestSplit(const Reading (&readings)[kConversionCodePageCount], const std::uint8_t* bytes, std::size_t size) {
    Split split;
    double whole = -INFINITY;
    for (const Reading& r : readings) whole = std::max(whole, r.total.Score());
    for (int a = 0; a < kConversionCodePageCount; ++a) {
        for (std::size_t k = 0; k < readings[a].checkpointCount; ++k) {
            const Reading::Checkpoint& first = readings[a].checkpoints[k];
            if (first.letters < kMixedLetters) continue;
            for (int b = 0; b < kConversionCodePageCount; ++b) {
                if (b == a || k >= readings[b].checkpointCount) continue;
                const Reading::Checkpoint& then = readings[b].checkpoints[k];
                const double gain = first.likelihood + readings[b].total.Score() - then.likelihood - whole;
                if (readings[b].total.letters - then.letters >= kMixedLetters && gain > split.gain)
                    split = {a, b, first.end, gain};
            }
        }
    }
    if (split.gain < kMixedGain) return {};
    // A part read in a code page, each at most once.
    const auto tally = [&](std::size_t from, std::size_t to, int codePage) {
        Reading part;
        Read(bytes + from, to - from, ClassesOf(codePage), VariantsOf(codePage), part);
        return part.total;
    };
    // Each part reads as Russian in its own code page and not in the other's: a paragraph of
    // Macedonian ("ја", "мој": ј is the nearest Russian й) may read better as another code page's
    // capitals, but it reads as text in its own one too.
    const auto russian = [](const Tally& t) { return t.Russian() >= 0.5; };
    const Tally firstOwn = tally(0, split.from, split.first), secondOwn = tally(split.from, size, split.second);
    if (!russian(firstOwn) || !russian(secondOwn)) return {};
    const Tally firstOther = tally(0, split.from, split.second), secondOther = tally(split.from, size, split.first);
    // 1251 and Mac Cyrillic share their small letters, so each reads the other's text as Russian but
    // for its capitals: their parts are told by what each part gains in its own code page, as Russian
    // with no letter of the other alphabets (a Serbian paragraph's ђ and ј are Mac Cyrillic capitals).
    const auto gains = [](const Tally& own, const Tally& other) {
        return own.variants == 0 && own.Score() - other.Score() >= kMixedGain;
    };
    const bool kin = (split.first == kAnsi1251 && split.second == kMacCyrillic) ||
                     (split.first == kMacCyrillic && split.second == kAnsi1251);
    const bool told = kin ? gains(firstOwn, firstOther) && gains(secondOwn, secondOther)
                          : !russian(firstOther) && !russian(secondOther);
    return told ? split : Split{};
}

}  // namespace

Detection DetectEncoding(std::string_view sample, bool complete) {
    if (sample.size() > kDetectionSample) {
        sample = sample.substr(0, kDetectionSample);
        complete = false;
    }
    if (auto wide = DetectWideEncoding(sample)) return *wide;
    Detection result;
    if (IsBinary(sample)) {
        result.kind = Detection::Kind::Binary;
        result.confidence = 1;
        return result;
    }
    if (std::none_of(sample.begin(), sample.end(), [](char c) { return static_cast<std::uint8_t>(c) >= 0x80; })) {
        result.kind = Detection::Kind::Ascii;
        result.confidence = 1;
        return result;
    }
    if (IsUtf8(sample, complete)) {
        result.kind = Detection::Kind::Encoding;
        result.encoding = TextEncoding::Utf8;
        result.confidence = 1;
        return result;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(sample.data());
    Reading readings[kConversionCodePageCount];
    int best = 0;
    for (int cp = 0; cp < kConversionCodePageCount; ++cp) {
        Read(bytes, sample.size(), ClassesOf(cp), VariantsOf(cp), readings[cp]);
        if (readings[cp].total.Likelihood() > readings[best].total.Likelihood()) best = cp;
    }
    // A text in two code pages reads badly in each of them: it is told before the whole is judged.
    if (const Split split = BestSplit(readings, bytes, sample.size()); split.gain >= kMixedGain) {
        result.kind = Detection::Kind::Encoding;
        result.encoding = static_cast<TextEncoding>(split.first);
        result.mixed = true;
        result.mixedWith = static_cast<TextEncoding>(split.second);
        result.mixedFrom = split.from;
        // The share of the sample that the first part is: never enough to convert the whole by it.
        result.confidence = kMixedConfidence * static_cast<double>(split.from) / static_cast<double>(sample.size());
        return result;
    }
    const Tally& r = readings[best].total;
    double secondBest = -INFINITY, total = 0;
    for (int cp = 0; cp < kConversionCodePageCount; ++cp) {
        if (cp != best) secondBest = std::max(secondBest, readings[cp].total.Likelihood());
        total += std::exp((readings[cp].total.Likelihood() - r.Likelihood()) / kConfidenceTemperature);
    }
    const double russian = r.Russian();
    result.confidence = russian / total;
    if (r.Likelihood() - secondBest < kUndecidedMargin || r.letters == 0 || russian < 0.5) {
        result.kind = Detection::Kind::Unknown;
        return result;
    }
    result.kind = Detection::Kind::Encoding;
    result.encoding = static_cast<TextEncoding>(best);
    return result;
}

bool IsNamed(const Detection& detection, double minConfidence) {
    return detection.kind == Detection::Kind::Ascii ||
           (detection.kind == Detection::Kind::Encoding && detection.confidence >= minConfidence);
}
