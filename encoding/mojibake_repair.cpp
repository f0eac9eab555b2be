#include "encoding/mojibake_repair.h"

#include <algorithm>

#include "encoding/encoding_detection.h"
#include "encoding/mojibake_charts.h"
#include "encoding/mojibake_references.h"
#include "encoding/mojibake_search.h"
#include "encoding/mojibake_shape.h"

namespace {

using namespace mojibake;

constexpr RepairEncoding kCodePages[] = {RepairEncoding::Cp1251, RepairEncoding::Koi8R, RepairEncoding::Cp866,
                                         RepairEncoding::Iso8859_5, RepairEncoding::MacCyrillic};

// The sample cut to kRepairSample at a blank, which every encoding and every mis-reading keeps, so
// that no character is cut at any step; a UTF-8 byte order mark left out. A file's sample ends after
// an even number of characters where there is such a blank near the end, so that no pair of UTF-16
// read as a code page is cut either (its byte 0x20 may be half of a "„", and is the second of a
// blank in UTF-16BE); a piece of a file may start inside a pair anyway.
std::string_view Sample(std::string_view sample, bool complete, bool mayBeUtf8, bool file = false) {
    if (sample.size() > kRepairSample) {
        sample = sample.substr(0, kRepairSample);
        complete = false;
    }
    if (!complete) {
        auto characters = [&](std::string_view bytes) {
            return mayBeUtf8 ? static_cast<std::size_t>(std::count_if(bytes.begin(), bytes.end(), [](char c) {
                return (static_cast<std::uint8_t>(c) & 0xC0) != 0x80;
            }))
                             : bytes.size();
        };
        const std::size_t last = sample.find_last_of(" \n");
        if (last != std::string_view::npos && last > 0) {
            std::size_t blank = last, count = characters(sample.substr(0, blank));
            for (int tries = 0; file && count % 2 != 0 && tries < 64; ++tries) {
                const std::size_t before = sample.find_last_of(" \n", blank - 1);
                if (before == std::string_view::npos || before == 0) break;
                count -= characters(sample.substr(before, blank - before));
                blank = before;
            }
            sample = sample.substr(0, count % 2 == 0 ? blank : last);
        }
    }
    if (mayBeUtf8 && sample.substr(0, 3) == "\xEF\xBB\xBF") sample.remove_prefix(3);
    return sample;
}

// The text read in `now`, and once more with its HTML character references undone when it has some.
// `decoded`: the sample's characters, what did not decode and its shape, where the caller has them.
void AddRoots(std::string_view sample, RepairEncoding now, std::vector<SearchRoot>& roots,
              const DecodedSample* decoded = nullptr) {
    SearchRoot root{now, {}, 0, 0, false, std::nullopt};
    if (decoded) {
        root.text = decoded->text;
        root.failed = decoded->failed;
        root.lost = decoded->lost;
        root.shape = decoded->shape;
    } else {
        root.text = DecodeCharacters(sample, now, root.failed, root.lost);
    }
    root.lost += static_cast<std::size_t>(std::count(root.text.begin(), root.text.end(), U'\xFFFD')) - root.failed - root.lost;
    SearchRoot references{now, {}, root.failed, root.lost, false, std::nullopt};
    std::size_t count = 0;
    if (DecodeReferences(root.text, references.text, count)) {
        references.references = true;
        roots.push_back(std::move(root));
        roots.push_back(std::move(references));
    } else {
        roots.push_back(std::move(root));
    }
}

bool IsWide(TextEncoding e) { return e == TextEncoding::Utf16LE || e == TextEncoding::Utf16BE; }

bool HasHighBytes(std::string_view sample) {
    return std::any_of(sample.begin(), sample.end(), [](char c) { return static_cast<std::uint8_t>(c) >= 0x80; });
}

// A text that starts with UTF-16's byte order mark and reads as UTF-16 throughout is UTF-16, whatever
// else it holds: a catalogue whose messages keep control characters (gnupg's unit separators) is
// named binary by detection, and its bytes read in a code page give chains that would destroy it.
// No misreading leaves a mark and every pair after it as they were. The one failure allowed is a
// sample cut inside a character.
std::optional<RepairEncoding> MarkedUtf16(std::string_view sample) {
    RepairEncoding wide;
    if (sample.compare(0, 2, "\xFF\xFE") == 0)
        wide = RepairEncoding::Utf16LE;
    else if (sample.compare(0, 2, "\xFE\xFF") == 0)
        wide = RepairEncoding::Utf16BE;
    else
        return std::nullopt;
    std::size_t failed = 0, lost = 0;
    DecodeCharacters(sample, wide, failed, lost);
    if (failed > 1) return std::nullopt;
    return wide;
}

bool HasReference(std::string_view sample) { return sample.find('&') != std::string_view::npos && sample.find(';') != std::string_view::npos; }

RepairFinding CleanIn(RepairEncoding now) {
    RepairFinding finding;
    finding.kind = RepairFinding::Kind::Clean;
    finding.chain.now = now;
    return finding;
}

// The roots' finding; a finding from the text with its references decoded is kept only when it
// repairs, and nothing was found in the text as it is.
RepairFinding Decide(std::vector<SearchRoot> roots, bool viewReading) {
    std::vector<SearchRoot> plain, decoded;
    for (SearchRoot& r : roots) (r.references ? decoded : plain).push_back(std::move(r));
    const RepairFinding finding = SearchMisreadings(plain, viewReading);
    if (decoded.empty() || finding.kind == RepairFinding::Kind::Repair) return finding;
    RepairFinding fromReferences = SearchMisreadings(decoded, viewReading);
    return fromReferences.kind == RepairFinding::Kind::Repair ? fromReferences : finding;
}

// Ukrainian in KOI8-U read as KOI8-R shows box-drawing signs inside its words ("ТАБЛИЦ╢"), which no
// reading the search starts from gives back; where KOI8-U reads the file plainly better than each
// common code page, taking most of their misfits away, it is right as it is, in KOI8-U (a table of
// box drawing has its corners beside other signs; ISO 8859-5 has capitals where KOI8-U has its
// letters). Mac Cyrillic, left out, reads KOI8's capitals as small letters, which shape alone cannot
// tell from words.
constexpr double kKoi8UMend = 3.0;
constexpr RepairEncoding kCommonCodePages[] = {RepairEncoding::Cp1251, RepairEncoding::Koi8R, RepairEncoding::Cp866,
                                               RepairEncoding::Iso8859_5};

bool Koi8UReadsPlainlyBetter(std::string_view sample) {
    std::size_t failed = 0, lost = 0;
    const double koi8u = ShapeOf(DecodeCharacters(sample, RepairEncoding::Koi8U, failed, lost)).cost;
    return std::all_of(std::begin(kCommonCodePages), std::end(kCommonCodePages), [&](RepairEncoding cp) {
        const double other = ShapeOf(DecodeCharacters(sample, cp, failed, lost)).cost;
        return koi8u + kKoi8UMend <= other && koi8u * 2 <= other;
    });
}

}  // namespace

const char* RepairEncodingName(RepairEncoding e) {
    static const char* const kNames[] = {"1251",  "866",   "koi8r", "iso",      "mac",       "utf-8",    "1252",     "koi8u",
                                         "1250",  "1253",  "1254",  "1255",     "1256",      "1257",     "1258",     "437",
                                         "850",   "852",   "macroman", "iso8859-2", "iso8859-7", "874",   "utf-16le", "utf-16be"};
    static_assert(std::size(kNames) == kRepairEncodingCount);
    return kNames[static_cast<int>(e)];
}

std::optional<RepairEncoding> RepairEncodingOf(TextEncoding e) {
    if (e == TextEncoding::Utf16LE || e == TextEncoding::Utf16BE) return std::nullopt;
    return static_cast<RepairEncoding>(static_cast<int>(e));
}

std::optional<TextEncoding> TextEncodingOf(RepairEncoding e) {
    if (static_cast<int>(e) > static_cast<int>(RepairEncoding::Utf8)) return std::nullopt;
    return static_cast<TextEncoding>(static_cast<int>(e));
}

std::string DescribeChain(const MisreadingChain& chain) {
    std::string text = chain.references ? "html references" : "";
    for (int i = 0; i < chain.length; ++i) {
        const Misreading& s = chain.steps[i];
        if (!text.empty()) text += "; then ";
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
    sample = Sample(sample, complete, now.value_or(RepairEncoding::Utf8) == RepairEncoding::Utf8, true);
    if (!HasHighBytes(sample) && !HasReference(sample)) return CleanIn(now.value_or(RepairEncoding::Utf8));
    std::vector<SearchRoot> roots;
    if (now) {
        AddRoots(sample, *now, roots);
        return Decide(std::move(roots), true);
    }
    // A text that is UTF-8 but for a few bytes (cut at its end, or mended by hand) is still read as
    // UTF-8; one that is not quite UTF-8 is read in each code page too, unless it is UTF-16: it reads
    // right as it is. (UTF-16 whose every byte is ASCII is well-formed UTF-8, and comes back the same
    // from its undoing.) A code page that detection names with confidence is no proof: 1251 shown by a
    // Mac and saved as 1251 again reads best as Mac Cyrillic, whose small letters it has.
    AddRoots(sample, RepairEncoding::Utf8, roots);
    if (roots.front().failed > 0) {
        if (const auto wide = MarkedUtf16(sample)) return CleanIn(*wide);
        const Detection detection = DetectEncoding(sample, complete);
        if (detection.kind == Detection::Kind::Utf32LE || detection.kind == Detection::Kind::Utf32BE ||
            (detection.kind == Detection::Kind::Encoding && IsWide(detection.encoding)))
            return CleanIn(detection.encoding == TextEncoding::Utf16BE ? RepairEncoding::Utf16BE : RepairEncoding::Utf16LE);
        const bool codePage = detection.kind == Detection::Kind::Encoding && IsSingleByte(detection.encoding);
        // So does a text whose parts are in two code pages, each part in its own.
        if (codePage && detection.mixed) return CleanIn(*RepairEncodingOf(detection.encoding));
        if (Koi8UReadsPlainlyBetter(sample)) return CleanIn(RepairEncoding::Koi8U);
        for (RepairEncoding cp : kCodePages) AddRoots(sample, cp, roots);
        // With nothing to undo, the text is in the code page detection names, where it names one (its
        // paragraphs are read so), whichever reads best as Russian.
        const RepairFinding finding = Decide(std::move(roots), false);
        if (finding.kind == RepairFinding::Kind::Clean && codePage && IsNamed(detection))
            return CleanIn(*RepairEncodingOf(detection.encoding));
        return finding;
    }
    return Decide(std::move(roots), false);
}

bool MayBeMisread(std::string_view bytes, const Shape& shape) {
    // Its references are undone and searched apart; a long text is searched by its start.
    return bytes.size() > kRepairSample || HasReference(bytes) || MayBeUndone(shape);
}

RepairFinding FindMisreadingsIn(std::string_view sample, RepairEncoding now, const DecodedSample* decoded) {
    const std::string_view whole = sample;
    sample = Sample(sample, true, now == RepairEncoding::Utf8);
    if (!HasHighBytes(sample) && !HasReference(sample)) return CleanIn(now);
    std::vector<SearchRoot> roots;
    AddRoots(sample, now, roots, sample.size() == whole.size() ? decoded : nullptr);
    return Decide(std::move(roots), false);
}
