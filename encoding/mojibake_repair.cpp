#include "encoding/mojibake_repair.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

#include "encoding/chart_text.h"
#include "encoding/encoding_detection.h"
#include "encoding/russian_letter_statistics.h"
#include "encoding/unicode_kernels.h"
#include "encoding/utf8_characters.h"

namespace {

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
// The whole text is undone this many bytes at a time.
constexpr std::size_t kUndoBlock = 64 * 1024;

bool IsSingleByte(RepairEncoding e) { return e != RepairEncoding::Utf8; }

const charts::HighHalf& ChartOf(RepairEncoding e) {
    switch (e) {
        case RepairEncoding::Cp1251: return charts::kWindows1251;
        case RepairEncoding::Cp866: return charts::kCp866;
        case RepairEncoding::Koi8R: return charts::kKoi8R;
        case RepairEncoding::Iso8859_5: return charts::kIso8859_5;
        case RepairEncoding::MacCyrillic: return charts::kMacCyrillic;
        default: return charts::kWindows1252;
    }
}

// A single-byte encoding both ways over the basic plane.
struct ByteChart {
    std::array<char16_t, 256> character;
    std::array<std::int16_t, 0x10000> byte;  // -1: the encoding lacks the character
};

const ByteChart& ChartTables(RepairEncoding e) {
    static const auto tables = [] {
        std::array<std::unique_ptr<ByteChart>, kRepairEncodingCount> all;
        for (RepairEncoding encoding : kEncodings) {
            if (!IsSingleByte(encoding)) continue;
            auto t = std::make_unique<ByteChart>();
            t->byte.fill(-1);
            for (int b = 0; b < 256; ++b) {
                t->character[b] = CharacterOfByte(ChartOf(encoding), static_cast<unsigned char>(b));
                t->byte[t->character[b]] = static_cast<std::int16_t>(b);
            }
            // Latin-1 and 1252 differ only there, and both readings are met.
            if (encoding == RepairEncoding::Western)
                for (int c = 0x80; c < 0xA0; ++c)
                    if (t->byte[c] < 0) t->byte[c] = static_cast<std::int16_t>(c);
            all[static_cast<int>(encoding)] = std::move(t);
        }
        return all;
    }();
    return *tables[static_cast<int>(e)];
}

// What one UTF-8 sequence at `p` decodes to. A sequence cut by a '?' is a character lost on the way
// (a saving encoding lacked one of its bytes' characters): the lead byte and the '?' make one '?'.
struct Decoded {
    char32_t character;
    int length;
    enum Kind { Good, Lost, Malformed } kind;
};

Decoded DecodeUtf8(const std::uint8_t* p, const std::uint8_t* end) {
    const std::uint8_t lead = *p;
    if (lead < 0x80) return {lead, 1, Decoded::Good};
    int count;
    char32_t c;
    if (lead >= 0xC2 && lead <= 0xDF) {
        count = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        count = 3;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        count = 4;
        c = lead & 0x07;
    } else {
        return {'?', 1, Decoded::Malformed};
    }
    for (int i = 1; i < count; ++i) {
        if (p + i == end) return {'?', 1, Decoded::Malformed};
        const std::uint8_t b = p[i];
        if (b == '?') return {'?', i + 1, Decoded::Lost};
        bool ok = b >= 0x80 && b <= 0xBF;
        if (i == 1 && ((lead == 0xE0 && b < 0xA0) || (lead == 0xED && b > 0x9F) || (lead == 0xF0 && b < 0x90) ||
                       (lead == 0xF4 && b > 0x8F)))
            ok = false;
        if (!ok) return {'?', 1, Decoded::Malformed};
        c = (c << 6) | (b & 0x3F);
    }
    return {c, count, Decoded::Good};
}

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

// The vector kernels of the Unicode conversion for a pair of the repair's encodings, by the repair's
// own charts (unassigned bytes as C1 controls, and 1252): they take the stretches of ASCII and
// letters, and what stops them is taken one character at a time.
struct Kernels {
    unicode::KernelTables tables;
    std::array<unicode::Kernel, 3> chain{};
    int length = 0;

    Kernels(RepairEncoding from, RepairEncoding to) {
        const bool toUtf8 = IsSingleByte(from);
        if (toUtf8) {
            const ByteChart& source = ChartTables(from);
            for (int i = 0; i < 128; ++i) {
                const char16_t c = source.character[0x80 + i];
                std::uint8_t& e = tables.twoByte[i / 16][i % 16];
                e = c >= 0x80 && c <= 0xBF ? static_cast<std::uint8_t>(c)
                    : c >= 0x400 && c <= 0x47F ? static_cast<std::uint8_t>(c - 0x400)
                                               : 0xFF;
                std::string bytes;
                AppendUtf8(c, bytes);
                for (std::size_t k = 0; k < bytes.size(); ++k)
                    tables.singleByteWidest.bytes[k][i] = static_cast<std::uint8_t>(bytes[k]);
            }
        } else {
            const ByteChart& target = ChartTables(to);
            auto byteOf = [&](char32_t c) { return static_cast<std::uint8_t>(std::max<int>(target.byte[c], 0)); };
            for (int i = 0; i < 128; ++i) tables.cyrillic[i / 16][i % 16] = tables.widest.cyrillic[i] = byteOf(0x400 + i);
            for (int i = 0; i < 64; ++i) {
                tables.widest.latin[i] = byteOf(0x80 + i);
                tables.widest.punctuation[i] = byteOf(0x2000 + i);
            }
        }
        // As the conversion chooses them: the widest first, or the one a test forces.
        const std::vector<VectorPath>& available = AvailableVectorPaths();
        for (auto path = available.rbegin(); path != available.rend(); ++path) {
            if (ForcedVectorPath::path && *ForcedVectorPath::path != *path) continue;
            if (unicode::Kernel k = toUtf8 ? unicode::SingleByteToUtf8Kernel(*path) : unicode::Utf8ToSingleByteKernel(*path))
                chain[length++] = k;
        }
    }

    const std::uint8_t* Run(const std::uint8_t* p, const std::uint8_t* end, char*& out) const {
        for (int k = 0; k < length; ++k) p = chain[k](p, end, out, tables);
        return p;
    }
};

// Room for what Recode writes for `size` bytes: three for a byte, and the kernels' wide stores.
constexpr std::size_t RecodeRoom(std::size_t size) { return 3 * size + 64; }

// Bytes in `from` to bytes in `to` at `out` (RecodeRoom of the input's size), a character `to` lacks
// and a byte that does not decode becoming '?'; returns the end of what it wrote.
char* Recode(std::string_view bytes, RepairEncoding from, RepairEncoding to, std::uint64_t& lost, char* o) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto* end = p + bytes.size();
    if (IsSingleByte(from) && IsSingleByte(to)) {
        const ByteChart& source = ChartTables(from);
        const ByteChart& target = ChartTables(to);
        std::array<std::int16_t, 256> map;
        for (int b = 0; b < 256; ++b) map[b] = b < 0x80 ? static_cast<std::int16_t>(b) : target.byte[source.character[b]];
        for (; p != end; ++p, ++o) {
            const int b = map[*p];
            if (b < 0) ++lost;
            *o = static_cast<char>(b < 0 ? '?' : b);
        }
        return o;
    }
    if (IsSingleByte(from)) {
        // Up to three bytes for each byte value, looked up, where the kernels stop.
        const Kernels kernels(from, to);
        std::array<std::uint32_t, 256> sequences;
        const ByteChart& source = ChartTables(from);
        for (int b = 0; b < 256; ++b) {
            std::string s;
            AppendUtf8(source.character[b], s);
            const std::size_t length = s.size();
            s.resize(4);
            s[3] = static_cast<char>(length);
            std::memcpy(&sequences[b], s.data(), 4);
        }
        while (p != end) {
            p = kernels.Run(p, end, o);
            for (const auto* stop = p + std::min<std::ptrdiff_t>(end - p, 16); p != stop; ++p) {
                std::memcpy(o, &sequences[*p], 4);
                o += sequences[*p] >> 24;
            }
        }
        return o;
    }
    const ByteChart* target = IsSingleByte(to) ? &ChartTables(to) : nullptr;
    std::optional<Kernels> kernels;
    if (target) kernels.emplace(from, to);
    while (p != end) {
        if (kernels) p = kernels->Run(p, end, o);
        // What stopped the kernels, and a few characters after it.
        for (const auto* stop = p + std::min<std::ptrdiff_t>(end - p, 64); p < stop;) {
            if (*p < 0x80) {
                *o++ = static_cast<char>(*p++);
                continue;
            }
            if (*p >= 0xC2 && *p <= 0xDF && p + 1 != end && (p[1] & 0xC0) == 0x80) {
                // Two bytes, all of Cyrillic: the common case, without the general decoder.
                if (target) {
                    const int b = target->byte[((p[0] & 0x1F) << 6) | (p[1] & 0x3F)];
                    if (b < 0) ++lost;
                    *o++ = static_cast<char>(b < 0 ? '?' : b);
                } else {
                    o[0] = static_cast<char>(p[0]);
                    o[1] = static_cast<char>(p[1]);
                    o += 2;
                }
                p += 2;
                continue;
            }
            const Decoded d = DecodeUtf8(p, end);
            if (d.kind != Decoded::Good) {
                ++lost;
                *o++ = '?';
            } else if (!target) {
                // A good sequence is as long as its bytes.
                o = std::copy(p, p + d.length, o);
            } else {
                const int b = d.character < 0x10000 ? target->byte[d.character] : -1;
                if (b < 0) ++lost;
                *o++ = static_cast<char>(b < 0 ? '?' : b);
            }
            p += d.length;
        }
    }
    return o;
}

// The same into a string of its own.
std::string Recode(std::string_view bytes, RepairEncoding from, RepairEncoding to, std::uint64_t& lost) {
    std::string out(RecodeRoom(bytes.size()), '\0');
    out.resize(static_cast<std::size_t>(Recode(bytes, from, to, lost, out.data()) - out.data()));
    return out;
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

std::string UndoMisreadings(std::string_view text, const MisreadingChain& chain, RepairEncoding target,
                            std::uint64_t* lost) {
    std::uint64_t count = 0;
    const bool mark = chain.now == RepairEncoding::Utf8 && text.substr(0, 3) == "\xEF\xBB\xBF";
    if (mark) text.remove_prefix(3);
    std::string result;
    result.reserve(text.size() + (target == RepairEncoding::Utf8 ? text.size() / 2 : 0) + 3);
    if (mark && target == RepairEncoding::Utf8) result = "\xEF\xBB\xBF";
    // A block at a time, so that the steps' conversions work in the cache: each block ends after an
    // ASCII byte, which every encoding and every step keeps as that one byte, so that no step cuts a
    // character (nor a character lost on the way from its '?').
    std::string buffers[2];
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = std::min(text.size(), at + kUndoBlock);
        if (end < text.size()) {
            std::size_t cut = end;
            while (cut > at && static_cast<std::uint8_t>(text[cut - 1]) >= 0x80) --cut;
            if (cut > at) {
                end = cut;
            } else {
                while (end < text.size() && static_cast<std::uint8_t>(text[end - 1]) >= 0x80) ++end;
            }
        }
        std::string_view current = text.substr(at, end - at);
        at = end;
        RepairEncoding in = chain.now;
        int next = 0;
        auto step = [&](RepairEncoding to) {
            std::string& buffer = buffers[next];
            next ^= 1;
            if (buffer.size() < RecodeRoom(current.size())) buffer.resize(RecodeRoom(current.size()));
            current = std::string_view(buffer.data(),
                                       static_cast<std::size_t>(Recode(current, in, to, count, buffer.data()) - buffer.data()));
        };
        for (int i = chain.length - 1; i >= 0; --i) {
            if (in != chain.steps[i].readAs) step(chain.steps[i].readAs);
            in = chain.steps[i].written;
        }
        // UTF-8 to UTF-8 leaves what is well-formed as it is and makes '?' of the rest.
        if (in != target || !IsSingleByte(in)) step(target);
        result += current;
    }
    if (lost) *lost += count;
    return result;
}

std::string DoMisreadings(std::string_view original, const MisreadingChain& chain, std::uint64_t* lost) {
    std::uint64_t count = 0;
    std::string bytes(original);
    for (int i = 0; i < chain.length; ++i)
        if (chain.steps[i].readAs != chain.steps[i].savedAs)
            bytes = Recode(bytes, chain.steps[i].readAs, chain.steps[i].savedAs, count);
    if (lost) *lost += count;
    return bytes;
}
