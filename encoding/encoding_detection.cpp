#include "encoding/encoding_detection.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "encoding/russian_letter_statistics.h"

namespace {

// Candidates whose likelihoods are closer than this (in nats) are not told apart.
constexpr double kUndecidedMargin = 1.0;
// The likelihood ratios are of a model that takes neighbouring pairs as independent, which they are
// not; the confidence flattens them by this much.
constexpr double kConfidenceTemperature = 4.0;

// Whether the sample is UTF-8 throughout with at least one character beyond ASCII.
bool IsUtf8(std::string_view sample, bool complete) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(sample.data());
    const auto* end = p + sample.size();
    bool multibyte = false;
    while (p != end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        int count = *p >= 0xC2 && *p <= 0xDF ? 2 : *p >= 0xE0 && *p <= 0xEF ? 3 : *p >= 0xF0 && *p <= 0xF4 ? 4 : 0;
        if (count == 0) return false;
        for (int i = 1; i < count; ++i) {
            if (p + i == end) return !complete && multibyte;
            const std::uint8_t c = p[i];
            bool ok = c >= 0x80 && c <= 0xBF;
            if (i == 1 && ((*p == 0xE0 && c < 0xA0) || (*p == 0xED && c > 0x9F) || (*p == 0xF0 && c < 0x90) ||
                           (*p == 0xF4 && c > 0x8F)))
                ok = false;
            if (!ok) return false;
        }
        multibyte = true;
        p += count;
    }
    return multibyte;
}

using ClassTable = std::array<LetterClass, 256>;

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

// The log likelihood, in the statistics' unit, of the pairs that touch a byte above 0x7F; the other
// pairs read the same in every code page.
std::int64_t Score(const std::uint8_t* bytes, std::size_t size, const ClassTable& classes, std::size_t& letters) {
    std::int64_t score = 0;
    letters = 0;
    LetterClass prev = classes[' '];
    bool prevHigh = false;
    for (std::size_t i = 0; i < size; ++i) {
        const bool high = bytes[i] >= 0x80;
        const LetterClass cur = classes[bytes[i]];
        if (high || prevHigh) {
            score += kRussianPairLogProbability[prev.letter][cur.letter] +
                     kRussianCaseLogProbability[prev.letterCase][cur.letterCase];
        }
        if (high && cur.letter >= kFirstRussianClass && cur.letter < kOtherClass) ++letters;
        prev = cur;
        prevHigh = high;
    }
    return score;
}

}  // namespace

LetterClass ClassOfCharacter(char32_t c) {
    if (c >= 0x430 && c <= 0x44F) return {static_cast<std::uint8_t>(kFirstRussianClass + (c - 0x430)), kLowerCase};
    if (c >= 0x410 && c <= 0x42F) return {static_cast<std::uint8_t>(kFirstRussianClass + (c - 0x410)), kUpperCase};
    if (c == 0x451) return {kFirstRussianClass + 32, kLowerCase};
    if (c == 0x401) return {kFirstRussianClass + 32, kUpperCase};
    if (c >= 'a' && c <= 'z') return {kLatinClass, kLowerCase};
    if (c >= 'A' && c <= 'Z') return {kLatinClass, kUpperCase};
    if (c < 0x80) return {kAsciiOtherClass, kNoCase};
    switch (c) {
        case 0xA0: case 0xAB: case 0xBB: case 0x2013: case 0x2014: case 0x2018: case 0x2019: case 0x201C:
        case 0x201D: case 0x201E: case 0x2026: case 0x2116:
            return {kPunctuationClass, kNoCase};
        default:
            return {kOtherClass, kNoCase};
    }
}

Detection DetectEncoding(std::string_view sample, bool complete) {
    if (sample.size() > kDetectionSample) {
        sample = sample.substr(0, kDetectionSample);
        complete = false;
    }
    Detection result;
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
    std::array<double, kConversionCodePageCount> scores{};
    std::array<std::size_t, kConversionCodePageCount> letters{};
    int best = 0;
    for (int cp = 0; cp < kConversionCodePageCount; ++cp) {
        scores[cp] = static_cast<double>(Score(bytes, sample.size(), ClassesOf(cp), letters[cp])) / kLogProbabilityUnit;
        if (scores[cp] > scores[best]) best = cp;
    }
    double secondBest = -INFINITY, total = 0;
    for (int cp = 0; cp < kConversionCodePageCount; ++cp) {
        if (cp != best) secondBest = std::max(secondBest, scores[cp]);
        total += std::exp((scores[cp] - scores[best]) / kConfidenceTemperature);
    }
    result.confidence = 1 / total;
    if (scores[best] - secondBest < kUndecidedMargin || letters[best] == 0) {
        result.kind = Detection::Kind::Unknown;
        return result;
    }
    result.kind = Detection::Kind::Encoding;
    result.encoding = static_cast<TextEncoding>(best);
    return result;
}
