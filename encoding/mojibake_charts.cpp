#include "encoding/mojibake_charts.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "encoding/chart_text.h"
#include "encoding/mojibake_code_page_charts.h"
#include "encoding/unicode_kernels.h"
#include "encoding/utf8_sequences.h"

namespace {

using namespace mojibake;

const charts::HighHalf& ChartOf(RepairEncoding e) {
    switch (e) {
        case RepairEncoding::Cp1251: return charts::kWindows1251;
        case RepairEncoding::Cp866: return charts::kCp866;
        case RepairEncoding::Koi8R: return charts::kKoi8R;
        case RepairEncoding::Iso8859_5: return charts::kIso8859_5;
        case RepairEncoding::MacCyrillic: return charts::kMacCyrillic;
        case RepairEncoding::Koi8U: return kKoi8U;
        case RepairEncoding::Cp1250: return kWindows1250;
        case RepairEncoding::Cp1253: return kWindows1253;
        case RepairEncoding::Cp1254: return kWindows1254;
        case RepairEncoding::Cp1255: return kWindows1255;
        case RepairEncoding::Cp1256: return kWindows1256;
        case RepairEncoding::Cp1257: return kWindows1257;
        case RepairEncoding::Cp1258: return kWindows1258;
        case RepairEncoding::Cp437: return kCp437;
        case RepairEncoding::Cp850: return kCp850;
        case RepairEncoding::Cp852: return kCp852;
        case RepairEncoding::MacRoman: return kMacRoman;
        case RepairEncoding::Iso8859_2: return kIso8859_2;
        case RepairEncoding::Iso8859_7: return kIso8859_7;
        case RepairEncoding::Cp874: return kWindows874;
        default: return charts::kWindows1252;
    }
}

void AppendUtf16(char32_t c, bool bigEndian, std::string& out) {
    auto unit = [&](char32_t u) {
        const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    };
    if (c < 0x10000) {
        unit(c);
    } else {
        unit(0xD800 + ((c - 0x10000) >> 10));
        unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
}

// The vector kernels of the Unicode conversion for a pair of the repair's encodings, by the repair's
// own charts (unassigned bytes as C1 controls, and 1252): they take the stretches of ASCII and
// letters, and what stops them is taken one character at a time.
struct Kernels {
    unicode::KernelTables tables;
    std::array<unicode::Kernel, 3> chain{};
    int length = 0;
    // Into UTF-8: each byte's sequence, its length in the top byte, for where the kernels stop.
    std::array<std::uint32_t, 256> sequences{};

    Kernels(RepairEncoding from, RepairEncoding to) {
        const bool toUtf8 = IsSingleByte(from);
        if (toUtf8) {
            const ByteChart& source = ChartTables(from);
            for (int b = 0; b < 256; ++b) {
                std::string s;
                AppendUtf8(source.character[b], s);
                const std::size_t length = s.size();
                s.resize(4);
                s[3] = static_cast<char>(length);
                std::memcpy(&sequences[b], s.data(), 4);
            }
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

// Set up once for each encoding and direction: a text is recoded a paragraph at a time, and setting
// the kernels up costs more than recoding a short paragraph. (A path a test forces is set up anew.)
const Kernels& KernelsFor(RepairEncoding from, RepairEncoding to, std::optional<Kernels>& forced) {
    if (ForcedVectorPath::path) return forced.emplace(from, to);
    struct Slot {
        std::once_flag once;
        std::optional<Kernels> kernels;
    };
    static std::array<Slot, 2 * kRepairEncodingCount> slots;
    const bool toUtf8 = IsSingleByte(from);
    Slot& slot = slots[2 * static_cast<std::size_t>(toUtf8 ? from : to) + toUtf8];
    std::call_once(slot.once, [&] { slot.kernels.emplace(from, to); });
    return *slot.kernels;
}

}  // namespace

namespace mojibake {

const ByteChart& ChartTables(RepairEncoding e) {
    static const auto tables = [] {
        std::array<std::unique_ptr<ByteChart>, kRepairEncodingCount> all;
        for (int e = 0; e < kRepairEncodingCount; ++e) {
            const auto encoding = static_cast<RepairEncoding>(e);
            if (!IsSingleByte(encoding)) continue;
            auto t = std::make_unique_for_overwrite<ByteChart>();  // every byte and character is written
            t->byte.fill(-1);
            for (int b = 0; b < 256; ++b) {
                // The pages of base/charts.h leave a byte unassigned as 0, the others as U+FFFD.
                const char16_t c = b < 0x80 ? static_cast<char16_t>(b) : ChartOf(encoding)[b - 0x80];
                t->character[b] = c == 0 ? CharacterOfByte(ChartOf(encoding), static_cast<unsigned char>(b)) : c;
                if (t->character[b] != 0xFFFD) t->byte[t->character[b]] = static_cast<std::int16_t>(b);
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
        if (b == ' ' && lead == 0xD0) return {0x420, 2, Decoded::Good};
        bool ok = b >= 0x80 && b <= 0xBF;
        if (i == 1 && ((lead == 0xE0 && b < 0xA0) || (lead == 0xED && b > 0x9F) || (lead == 0xF0 && b < 0x90) ||
                       (lead == 0xF4 && b > 0x8F)))
            ok = false;
        if (!ok) return {'?', 1, Decoded::Malformed};
        c = (c << 6) | (b & 0x3F);
    }
    return {c, count, Decoded::Good};
}

std::u32string DecodeCharacters(std::string_view bytes, RepairEncoding e, std::size_t& failed, std::size_t& lost) {
    std::u32string text;
    text.reserve(bytes.size());
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto* end = p + bytes.size();
    if (IsSingleByte(e)) {
        const ByteChart& chart = ChartTables(e);
        text.resize(bytes.size());
        for (char32_t& c : text) c = chart.character[*p++];
        return text;
    }
    if (IsUtf16(e)) {
        const bool big = e == RepairEncoding::Utf16BE;
        auto unit = [&](const std::uint8_t* q) { return static_cast<char32_t>(big ? q[0] << 8 | q[1] : q[1] << 8 | q[0]); };
        // The byte order mark says the encoding and is no character of the text.
        if (end - p >= 2 && unit(p) == 0xFEFF) p += 2;
        for (; end - p >= 2; p += 2) {
            char32_t c = unit(p);
            if (c >= 0xD800 && c < 0xDC00 && end - p >= 4 && unit(p + 2) >= 0xDC00 && unit(p + 2) < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (unit(p + 2) - 0xDC00);
                p += 2;
            } else if (c >= 0xD800 && c < 0xE000) {
                ++failed;
                c = 0xFFFD;
            }
            text += c;
        }
        if (p != end) ++failed, text += 0xFFFD;
        return text;
    }
    // No byte gives more than one character.
    text.resize(bytes.size());
    char32_t* o = text.data();
    while (p != end) {
        // ASCII and the two-byte letters (Latin, Greek, Cyrillic) are most of any text: no call for them.
        if (*p < 0x80) {
            *o++ = *p++;
            continue;
        }
        if (*p >= 0xC2 && *p <= 0xDF && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
            *o++ = static_cast<char32_t>((p[0] & 0x1F) << 6 | (p[1] & 0x3F));
            p += 2;
            continue;
        }
        const Decoded d = DecodeUtf8(p, end);
        if (d.kind == Decoded::Malformed) ++failed;
        if (d.kind == Decoded::Lost) ++lost;
        *o++ = d.kind == Decoded::Good ? d.character : 0xFFFD;
        p += d.length;
    }
    text.resize(static_cast<std::size_t>(o - text.data()));
    return text;
}

bool NoUtf16(std::string_view bytes, std::u32string_view text) {
    if (std::count_if(text.begin(), text.end(), [](char32_t c) { return c > 0xFF && (c & 0xFF) == 0; }) >
        std::count_if(text.begin(), text.end(), [](char32_t c) { return c <= 0xFF; }))
        return true;
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto* const end = p + bytes.size();
    std::size_t high = 0, inSequences = 0;
    while (p != end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const Decoded d = DecodeUtf8(p, end);
        const int length = d.kind == Decoded::Malformed ? 1 : d.length;
        const auto beyond = static_cast<std::size_t>(std::count_if(p, p + length, [](std::uint8_t b) { return b >= 0x80; }));
        high += beyond;
        if (d.kind != Decoded::Malformed) inSequences += beyond;
        p += length;
    }
    return high > 0 && inSequences * 5 >= high * 4;
}

bool WellFormedUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p != end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        if (*p >= 0xC2 && *p <= 0xDF && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
            p += 2;
            continue;
        }
        const Decoded d = DecodeUtf8(p, end);
        if (d.kind == Decoded::Malformed) return false;
        p += d.length;
    }
    return true;
}

std::string EncodeCharacters(std::u32string_view text, RepairEncoding e, std::size_t& failed, std::size_t& lost,
                             std::size_t mostFailed) {
    std::string bytes;
    bytes.reserve(text.size() * (IsSingleByte(e) ? 1 : 2));
    if (IsUtf16(e)) {
        for (char32_t c : text) AppendUtf16(c, e == RepairEncoding::Utf16BE, bytes);
        return bytes;
    }
    if (!IsSingleByte(e)) {
        for (char32_t c : text) AppendUtf8(c, bytes);
        return bytes;
    }
    const ByteChart& chart = ChartTables(e);
    for (char32_t c : text) {
        const int b = c < 0x10000 ? chart.byte[c] : -1;
        if (c == 0xFFFD)
            ++lost;
        else if (b < 0 && ++failed > mostFailed)
            break;
        bytes += static_cast<char>(b < 0 ? '?' : b);
    }
    return bytes;
}

namespace {

// UTF-16 on a side: character by character.
char* RecodeWide(std::string_view bytes, RepairEncoding from, RepairEncoding to, std::uint64_t& lost, char* o,
                 std::uint64_t* malformed) {
    std::size_t failed = 0, cut = 0;
    const std::u32string text = DecodeCharacters(bytes, from, failed, cut);
    if (malformed) *malformed += failed;
    std::size_t lacking = 0;
    const std::string out = EncodeCharacters(text, to, lacking, cut);
    lost += failed + cut + lacking;
    return std::copy(out.begin(), out.end(), o);
}

char* RecodeSingleBytes(std::string_view bytes, RepairEncoding from, RepairEncoding to, std::uint64_t& lost, char* o) {
    const ByteChart& source = ChartTables(from);
    const ByteChart& target = ChartTables(to);
    std::array<std::int16_t, 256> map;
    for (int b = 0; b < 256; ++b) map[b] = b < 0x80 ? static_cast<std::int16_t>(b) : target.byte[source.character[b]];
    for (char c : bytes) {
        const int b = map[static_cast<std::uint8_t>(c)];
        if (b < 0) ++lost;
        *o++ = static_cast<char>(b < 0 ? '?' : b);
    }
    return o;
}

// UTF-8 into a code page or into UTF-8, as Recode.
char* RecodeUtf8(const std::uint8_t* p, const std::uint8_t* end, RepairEncoding from, RepairEncoding to, std::uint64_t& lost,
                 char* o, std::uint64_t* malformed, bool lostAsReplacement) {
    const ByteChart* target = IsSingleByte(to) ? &ChartTables(to) : nullptr;
    std::optional<Kernels> forced;
    const Kernels* kernels = target ? &KernelsFor(from, to, forced) : nullptr;
    // What stopped the kernels is gone through one by one, and a few characters after it: more each
    // time they stop again at once (a text full of signs and box drawing, which they leave).
    std::ptrdiff_t byHand = 64;
    while (p != end) {
        if (kernels) {
            const auto* const before = p;
            p = kernels->Run(p, end, o);
            byHand = p - before < 64 ? std::min<std::ptrdiff_t>(byHand * 2, 4096) : 64;
        }
        for (const auto* stop = p + std::min<std::ptrdiff_t>(end - p, byHand); p < stop;) {
            if (*p < 0x80) {
                // A run of ASCII at once, eight bytes at a time.
                const auto* q = p + 1;
                for (std::uint64_t eight; stop - q >= 8 && (std::memcpy(&eight, q, 8), eight & 0x8080808080808080) == 0;) q += 8;
                while (q != stop && *q < 0x80) ++q;
                o = std::copy(p, q, o);
                p = q;
                continue;
            }
            // Two bytes (all of Cyrillic) or three (signs, box drawing), without the general decoder.
            const bool two = *p >= 0xC2 && *p <= 0xDF && p + 1 != end && (p[1] & 0xC0) == 0x80;
            if (const char32_t c = two ? static_cast<char32_t>((p[0] & 0x1F) << 6 | (p[1] & 0x3F)) : PlainThreeBytes(p, end)) {
                const int length = two ? 2 : 3;
                if (target) {
                    const int b = target->byte[c];
                    // A character lost before is counted where it is undone.
                    if (b < 0 && c != 0xFFFD) ++lost;
                    *o++ = static_cast<char>(b < 0 ? '?' : b);
                } else {
                    o = std::copy_n(p, length, o);
                }
                p += length;
                continue;
            }
            const Decoded d = DecodeUtf8(p, end);
            if (d.kind != Decoded::Good) {
                ++lost;
                if (malformed && d.kind == Decoded::Malformed) ++*malformed;
                if (!target && lostAsReplacement && d.kind == Decoded::Lost)
                    o = std::copy_n("\xEF\xBF\xBD", 3, o);
                else
                    *o++ = '?';
            } else if (!target) {
                // A good sequence is as long as its bytes, but for the Р whose second byte became a blank.
                if (d.length == 2 && p[1] == ' ')
                    o = std::copy_n("\xD0\xA0", 2, o);
                else
                    o = std::copy(p, p + d.length, o);
            } else {
                const int b = d.character < 0x10000 ? target->byte[d.character] : -1;
                // A character lost before is counted where it is undone.
                if (b < 0 && d.character != 0xFFFD) ++lost;
                *o++ = static_cast<char>(b < 0 ? '?' : b);
            }
            p += d.length;
        }
    }
    return o;
}

}  // namespace

char* Recode(std::string_view bytes, RepairEncoding from, RepairEncoding to, std::uint64_t& lost, char* o,
             std::uint64_t* malformed, bool lostAsReplacement) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto* end = p + bytes.size();
    if (IsUtf16(from) || IsUtf16(to)) return RecodeWide(bytes, from, to, lost, o, malformed);
    if (IsSingleByte(from) && IsSingleByte(to)) return RecodeSingleBytes(bytes, from, to, lost, o);
    if (IsSingleByte(from)) {
        // Up to three bytes for each byte value, looked up, where the kernels stop.
        std::optional<Kernels> forced;
        const Kernels& kernels = KernelsFor(from, to, forced);
        const std::array<std::uint32_t, 256>& sequences = kernels.sequences;
        while (p != end) {
            p = kernels.Run(p, end, o);
            for (const auto* stop = p + std::min<std::ptrdiff_t>(end - p, 16); p != stop; ++p) {
                std::memcpy(o, &sequences[*p], 4);
                o += sequences[*p] >> 24;
            }
        }
        return o;
    }
    return RecodeUtf8(p, end, from, to, lost, o, malformed, lostAsReplacement);
}

std::string Recode(std::string_view bytes, RepairEncoding from, RepairEncoding to, std::uint64_t& lost,
                   std::uint64_t* malformed) {
    std::string out(RecodeRoom(bytes.size()) + (IsUtf16(to) ? bytes.size() : 0), '\0');
    out.resize(static_cast<std::size_t>(Recode(bytes, from, to, lost, out.data(), malformed) - out.data()));
    return out;
}

}  // namespace mojibake
