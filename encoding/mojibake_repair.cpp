#include "encoding/mojibake_repair.h"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

#include "encoding/encoding_detection.h"
#include "encoding/mojibake_charts.h"
#include "encoding/russian_letter_statistics.h"
#include "encoding/utf8_characters.h"

namespace {

using namespace mojibake;

using Text = std::u32string;

constexpr RepairEncoding kCodePages[] = {RepairEncoding::Cp1251, RepairEncoding::Koi8R, RepairEncoding::Cp866,
                                         RepairEncoding::Iso8859_5, RepairEncoding::MacCyrillic};
// Every encoding, the usual culprits first: among candidates that undo to the same text the first
// found names the chain.
constexpr RepairEncoding kEncodings[] = {RepairEncoding::Utf8,      RepairEncoding::Cp1251, RepairEncoding::Western,
                                         RepairEncoding::Koi8R,     RepairEncoding::Cp866,  RepairEncoding::Iso8859_5,
                                         RepairEncoding::MacCyrillic};
// What Russian text can have been written in.
constexpr RepairEncoding kWritten[] = {RepairEncoding::Utf8,  RepairEncoding::Cp1251,    RepairEncoding::Koi8R,
                                       RepairEncoding::Cp866, RepairEncoding::Iso8859_5, RepairEncoding::MacCyrillic};

// A chain must beat the best clean reading of the text by this much (in nats) and each step beyond
// the first by as much again, so that a correct text is never taken for a damaged one; a chain that
// beats it by less than that but by more than kUnsureMargin makes the text one that cannot be told.
constexpr double kCleanMargin = 8.0;
constexpr double kStepCost = 4.0;
constexpr double kUnsureMargin = 3.0;
// Two chains that undo to different texts must be this far apart.
constexpr double kAmbiguityMargin = 2.0;
// A byte that does not decode, or a character the reading encoding lacks, makes the candidate this
// much less likely; a candidate with more of them than one in kFailureShare characters beyond ASCII
// is no candidate at all.
constexpr double kFailureCost = 20.0;
constexpr double kLostCost = 1.0;
constexpr std::size_t kFailureShare = 16;
// A sentence that starts with a small letter costs this much (nats). The letter pairs cannot see it,
// and it is most of what tells a short text of 1251 read as Mac Cyrillic, whose capitals became
// dashes and quotation marks ("—просите", "’ромой"), from a correct one.
constexpr double kLowerStartCost = 6.0;

struct Failures {
    std::size_t failed = 0;  // bytes that did not decode, characters the encoding lacked
    std::size_t lost = 0;    // characters lost before, met as a sequence cut by '?'
};

Text Decode(std::string_view bytes, RepairEncoding e, Failures& failures) {
    Text text;
    text.reserve(bytes.size());
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto* end = p + bytes.size();
    if (IsSingleByte(e)) {
        const ByteChart& chart = ChartTables(e);
        for (; p != end; ++p) text += chart.character[*p];
        return text;
    }
    while (p != end) {
        const Decoded d = DecodeUtf8(p, end);
        if (d.kind == Decoded::Malformed) ++failures.failed;
        if (d.kind == Decoded::Lost) ++failures.lost;
        text += d.character;
        p += d.length;
    }
    return text;
}

std::string Encode(const Text& text, RepairEncoding e, Failures& failures) {
    std::string bytes;
    bytes.reserve(text.size() * (IsSingleByte(e) ? 1 : 2));
    if (!IsSingleByte(e)) {
        for (char32_t c : text) AppendUtf8(c, bytes);
        return bytes;
    }
    const ByteChart& chart = ChartTables(e);
    for (char32_t c : text) {
        const int b = c < 0x10000 ? chart.byte[c] : -1;
        if (b < 0) ++failures.failed;
        bytes += static_cast<char>(b < 0 ? '?' : b);
    }
    return bytes;
}

// The log likelihood of a text as Russian, in nats, from the pairs that touch a character beyond
// ASCII (the others read the same in every candidate). A letter of another Cyrillic alphabet costs
// as in detection: the capitals of 1251 read as Mac Cyrillic or KOI8-R are such letters (Ћ, Ќ, ѕ),
// and counted as the Russian letters they stand nearest to, they would pass for Russian words.
struct Judgement {
    double score = 0;
    std::size_t letters = 0;  // Russian letters, not the other alphabets' ones
    std::size_t beyondAscii = 0;
    std::size_t variants = 0;
    std::size_t lowerStarts = 0;
};

Judgement Judge(const Text& text) {
    Judgement j;
    std::int64_t score = 0;
    LetterClass prev = ClassOfCharacter(' ');
    bool prevHigh = false;
    // At the start of the text and after a full stop, exclamation or question mark and a blank, until
    // the first letter: a sentence starts there.
    bool sentence = true;
    char32_t last = ' ';
    for (char32_t c : text) {
        const bool high = c >= 0x80;
        const LetterClass cur = ClassOfCharacter(c);
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
            if (last == '.' || last == '!' || last == '?') sentence = true;
        } else if (cur.letter >= kLatinClass && cur.letter < kOtherClass) {
            if (sentence && high && cur.letterCase == kLowerCase) ++j.lowerStarts;
            sentence = false;
        } else if (c >= '0' && c <= '9') {
            sentence = false;
        }
        last = c;
        if (high || prevHigh)
            score += kRussianPairLogProbability[prev.letter][cur.letter] +
                     kRussianCaseLogProbability[prev.letterCase][cur.letterCase];
        if (high) {
            ++j.beyondAscii;
            if (IsVariantLetter(c))
                ++j.variants;
            else if (cur.letter >= kFirstRussianClass && cur.letter < kOtherClass)
                ++j.letters;
        }
        prev = cur;
        prevHigh = high;
    }
    j.score = static_cast<double>(score) / kLogProbabilityUnit - kVariantLetterCost * static_cast<double>(j.variants) -
              kLowerStartCost * static_cast<double>(j.lowerStarts);
    return j;
}

struct Candidate {
    MisreadingChain chain;
    std::size_t hash;
    double score;  // the likelihood less the failures' and the steps' cost
    std::size_t letters;
    std::size_t beyondAscii;
};

class Search {
public:
    explicit Search(std::optional<RepairEncoding> view) : view_(view) {}

    void Reading(RepairEncoding now, const Text& text, const Failures& failures) {
        MisreadingChain chain;
        chain.now = now;
        if (Add(chain, text, failures)) Undo(chain, text, failures);
    }

    void SecondSteps() {
        for (const auto& [chain, text, failures] : level1_) Undo(chain, text, failures);
    }

    RepairFinding Verdict() const {
        RepairFinding finding;
        const Candidate* clean = nullptr;
        const Candidate* best = nullptr;
        for (const Candidate& c : candidates_) {
            if (c.chain.length == 0) {
                if (!clean || c.score > clean->score) clean = &c;
            } else if (!best || c.score > best->score) {
                best = &c;
            }
        }
        if (!clean) return finding;  // not UTF-8 and read as no code page: cannot happen, but say so
        finding.chain = clean->chain;
        // What a chain gives must read as Russian: mostly Russian letters beyond ASCII. Undoing the
        // wrong chain on a text that is no Russian gives box drawings and symbols.
        const bool russian = best && best->letters * 4 >= best->beyondAscii * 3;
        const bool chainWins = russian && best->score >= clean->score + kCleanMargin;
        if (!chainWins) {
            finding.kind = russian && best->score >= clean->score + kUnsureMargin
                               ? RepairFinding::Kind::Unknown
                               : RepairFinding::Kind::Clean;
            return finding;
        }
        for (const Candidate& c : candidates_)
            if (&c != best && c.hash != best->hash && c.score > best->score - kAmbiguityMargin) return finding;
        finding.kind = RepairFinding::Kind::Repair;
        finding.chain = best->chain;
        return finding;
    }

private:
    // Each mis-reading that can have happened before `chain`, whose undoing gave `text`, undone in
    // turn: what it read was saved as the encoding `chain` starts from.
    void Undo(const MisreadingChain& chain, const Text& text, const Failures& failures) {
        const RepairEncoding savedAs = chain.Original();
        for (RepairEncoding readAs : kEncodings) {
            // Saving what was read in the encoding it was read in gives back the very bytes, unless
            // the reading is the view's own.
            if (readAs == savedAs && !(chain.length == 0 && view_ == savedAs)) continue;
            Failures encoded = failures;
            const std::string bytes = Encode(text, readAs, encoded);
            if (TooMany(encoded, text.size())) continue;
            for (RepairEncoding written : kWritten) {
                if (written == readAs) continue;
                Failures f = encoded;
                Text undone = Decode(bytes, written, f);
                MisreadingChain longer = chain;
                longer.length = chain.length + 1;
                std::copy(chain.steps, chain.steps + chain.length, longer.steps + 1);
                longer.steps[0] = {written, readAs, savedAs};
                if (Add(longer, undone, f) && longer.length == 1) level1_.push_back({longer, std::move(undone), f});
            }
        }
    }

    static bool TooMany(const Failures& f, std::size_t size) { return f.failed * kFailureShare > size; }

    bool Add(const MisreadingChain& chain, const Text& text, const Failures& failures) {
        const Judgement j = Judge(text);
        if (failures.failed * kFailureShare > std::max<std::size_t>(j.beyondAscii, 1)) return false;
        const std::size_t hash = std::hash<std::u32string_view>()(text);
        if (!seen_.insert(hash).second) return false;
        candidates_.push_back({chain, hash,
                               j.score - kFailureCost * static_cast<double>(failures.failed) -
                                   kLostCost * static_cast<double>(failures.lost) - kStepCost * chain.length,
                               j.letters, j.beyondAscii});
        return true;
    }

    struct Level1 {
        MisreadingChain chain;
        Text text;
        Failures failures;
    };
    std::optional<RepairEncoding> view_;
    std::vector<Candidate> candidates_;
    std::unordered_set<std::size_t> seen_;
    std::vector<Level1> level1_;
};

}  // namespace

const char* RepairEncodingName(RepairEncoding e) {
    static const char* const kNames[] = {"1251", "866", "koi8r", "iso", "mac", "utf-8", "1252"};
    return kNames[static_cast<int>(e)];
}

std::optional<RepairEncoding> RepairEncodingOf(TextEncoding e) {
    if (e == TextEncoding::Utf16LE || e == TextEncoding::Utf16BE) return std::nullopt;
    return static_cast<RepairEncoding>(static_cast<int>(e));
}

std::string DescribeChain(const MisreadingChain& chain) {
    std::string text;
    for (int i = 0; i < chain.length; ++i) {
        const Misreading& s = chain.steps[i];
        if (i > 0) text += "; then ";
        text += RepairEncodingName(s.written);
        text += " read as ";
        text += RepairEncodingName(s.readAs);
        if (s.savedAs != s.readAs) {
            text += ", saved as ";
            text += RepairEncodingName(s.savedAs);
        }
    }
    return text;
}

RepairFinding FindMisreadings(std::string_view sample, bool complete, std::optional<RepairEncoding> now) {
    if (sample.size() > kRepairSample) {
        sample = sample.substr(0, kRepairSample);
        complete = false;
    }
    if (!complete) {
        // Cut at a blank, which every encoding and every mis-reading keeps, so that no character is
        // cut at any step.
        const std::size_t blank = sample.find_last_of(" \n");
        if (blank != std::string_view::npos && blank > 0) sample = sample.substr(0, blank);
    }
    RepairFinding finding;
    if (std::none_of(sample.begin(), sample.end(), [](char c) { return static_cast<std::uint8_t>(c) >= 0x80; })) {
        finding.kind = RepairFinding::Kind::Clean;
        finding.chain.now = now.value_or(RepairEncoding::Utf8);
        return finding;
    }
    if (sample.size() >= 3 && sample.substr(0, 3) == "\xEF\xBB\xBF" && now.value_or(RepairEncoding::Utf8) == RepairEncoding::Utf8)
        sample.remove_prefix(3);
    Search search(now);
    if (now) {
        Failures f;
        const Text text = Decode(sample, *now, f);
        search.Reading(*now, text, f);
    } else {
        // A text that is UTF-8 but for a few bytes (cut at its end, or mended by hand) is still read as
        // UTF-8; one that is not quite UTF-8 is read in each code page too.
        Failures f;
        const Text text = Decode(sample, RepairEncoding::Utf8, f);
        search.Reading(RepairEncoding::Utf8, text, f);
        if (f.failed > 0 || f.lost > 0)
            for (RepairEncoding cp : kCodePages) {
                Failures none;
                search.Reading(cp, Decode(sample, cp, none), none);
            }
    }
    search.SecondSteps();
    return search.Verdict();
}
