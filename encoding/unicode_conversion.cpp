#include "encoding/unicode_conversion.h"

#include <array>
#include <bit>
#include <cstring>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VEMKO_UTF8_SSSE3 1
// GCC keeps the stack only 16-byte aligned in 64-bit Windows code, where spilling a 256-bit register
// would fault: the Windows build stays at sixteen bytes at a time.
#ifndef _WIN32
#define VEMKO_UTF8_AVX2 1
#endif
#endif

#include "encoding/charts.h"

// The tables pack output bytes into words that are stored as they lie in memory.
static_assert(std::endian::native == std::endian::little);

namespace {

const charts::HighHalf& ChartOf(ConversionCodePage codePage) {
    static const charts::HighHalf* const kCharts[kConversionCodePageCount] = {
        &charts::kWindows1251, &charts::kCp866, &charts::kKoi8R, &charts::kIso8859_5, &charts::kMacCyrillic};
    return *kCharts[codePage];
}

constexpr char32_t kInvalid = 0xFFFFFFFF;  // a malformed byte or unit: becomes '?'
constexpr char32_t kCut = 0xFFFFFFFE;      // a character cut by the end of the block

// One character from UTF-8 at `p`, `length` set to the bytes it takes (1 for a malformed byte).
inline char32_t DecodeUtf8(const std::uint8_t* p, const std::uint8_t* end, bool atEnd, std::size_t& length) {
    const std::uint8_t b = p[0];
    length = 1;
    if (b < 0x80) return b;
    int count;
    char32_t cp;
    std::uint8_t low = 0x80, high = 0xBF;  // the bounds of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        count = 2;
        cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        count = 3;
        cp = b & 0x0F;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        count = 4;
        cp = b & 0x07;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return kInvalid;
    }
    for (int i = 1; i < count; ++i) {
        if (p + i == end) return atEnd ? kInvalid : kCut;
        const std::uint8_t c = p[i];
        if (i == 1 ? (c < low || c > high) : (c < 0x80 || c > 0xBF)) return kInvalid;
        cp = (cp << 6) | (c & 0x3F);
    }
    length = static_cast<std::size_t>(count);
    return cp;
}

inline char* EncodeUtf8(char32_t cp, char* out) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

inline char32_t DecodeUtf16(const std::uint8_t* p, const std::uint8_t* end, bool atEnd, bool bigEndian,
                            std::size_t& length) {
    auto unit = [bigEndian](const std::uint8_t* q) -> char32_t {
        return bigEndian ? (q[0] << 8 | q[1]) : (q[1] << 8 | q[0]);
    };
    length = 1;
    if (end - p < 2) return atEnd ? kInvalid : kCut;
    length = 2;
    const char32_t first = unit(p);
    if (first < 0xD800 || first > 0xDFFF) return first;
    if (first > 0xDBFF) return kInvalid;
    if (end - p < 4) return atEnd ? kInvalid : kCut;
    const char32_t second = unit(p + 2);
    if (second < 0xDC00 || second > 0xDFFF) return kInvalid;
    length = 4;
    return 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
}

inline char* EncodeUtf16(char32_t cp, bool bigEndian, char* out) {
    auto put = [bigEndian, &out](char32_t unit) {
        *out++ = static_cast<char>(bigEndian ? unit >> 8 : unit & 0xFF);
        *out++ = static_cast<char>(bigEndian ? unit & 0xFF : unit >> 8);
    };
    if (cp < 0x10000) {
        put(cp);
    } else {
        put(0xD800 + ((cp - 0x10000) >> 10));
        put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
    return out;
}

// The longest run the branch-free loop takes before the vectors are tried again.
constexpr std::ptrdiff_t kRun = 64;
constexpr std::uint16_t kKeep = 0x100;
constexpr std::uint16_t kSlow = 0x200;

#ifdef VEMKO_UTF8_SSSE3
// A table of 128 bytes in eight rows of sixteen, held for Lookup128: row k exclusive-or row k - 1.
__attribute__((target("ssse3"))) void TableSteps(const std::uint8_t (*table)[16], __m128i* steps) {
    __m128i previous = _mm_setzero_si128();
    for (int k = 0; k < 8; ++k) {
        const __m128i row = _mm_load_si128(reinterpret_cast<const __m128i*>(table[k]));
        steps[k] = _mm_xor_si128(row, previous);
        previous = row;
    }
}

// Each index (0-127) looked up in the table TableSteps made. The shuffle gives zero where the index's
// top bit is set: less 16 k, an index gives row k's entry for every k up to its own row and zero
// above, and the exclusive-or of those steps is its own row's entry.
__attribute__((target("ssse3"))) inline __m128i Lookup128(const __m128i* steps, __m128i index) {
    const __m128i sixteen = _mm_set1_epi8(16);
    __m128i value = _mm_shuffle_epi8(steps[0], index);
    for (int k = 1; k < 8; ++k) {
        index = _mm_sub_epi8(index, sixteen);
        value = _mm_xor_si128(value, _mm_shuffle_epi8(steps[k], index));
    }
    return value;
}

#ifdef VEMKO_UTF8_AVX2
__attribute__((target("avx2"))) inline __m256i Lookup128(const __m256i* steps, __m256i index) {
    const __m256i sixteen = _mm256_set1_epi8(16);
    __m256i value = _mm256_shuffle_epi8(steps[0], index);
    for (int k = 1; k < 8; ++k) {
        index = _mm256_sub_epi8(index, sixteen);
        value = _mm256_xor_si256(value, _mm256_shuffle_epi8(steps[k], index));
    }
    return value;
}
#endif

// Which bytes of eight to keep, for each pattern of eight kept-or-not bits: the shuffle that packs
// them to the front, and how many there are.
struct Packing {
    std::uint8_t shuffle[256][8];
    std::uint8_t count[256];
    Packing() {
        for (int mask = 0; mask < 256; ++mask) {
            int n = 0;
            for (int i = 0; i < 8; ++i)
                if (mask & (1 << i)) shuffle[mask][n++] = static_cast<std::uint8_t>(i);
            for (int i = n; i < 8; ++i) shuffle[mask][i] = 0x80;
            count[mask] = static_cast<std::uint8_t>(n);
        }
    }
};

// Sixteen bytes at a time while they are ASCII and two-byte characters from D0 or D1 that the target
// has; returns where it stopped (at a character boundary, as it started).
__attribute__((target("ssse3"))) const std::uint8_t* Utf8ToSingleByteVectors(const std::uint8_t* p,
                                                                              const std::uint8_t* end, char*& out,
                                                                              const std::uint8_t (*cyrillic)[16]) {
    static const Packing packing;
    __m128i rows[8];
    TableSteps(cyrillic, rows);
    const __m128i d0 = _mm_set1_epi8(static_cast<char>(0xD0)), d1 = _mm_set1_epi8(static_cast<char>(0xD1));
    const __m128i top2 = _mm_set1_epi8(static_cast<char>(0xC0)), contTag = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i low6 = _mm_set1_epi8(0x3F), one = _mm_set1_epi8(1);
    char* o = out;
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const unsigned ascii = static_cast<unsigned>(_mm_movemask_epi8(v)) ^ 0xFFFF;
        unsigned lead = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, d0), _mm_cmpeq_epi8(v, d1))));
        const __m128i contBytes = _mm_cmpeq_epi8(_mm_and_si128(v, top2), contTag);
        const unsigned cont = static_cast<unsigned>(_mm_movemask_epi8(contBytes));
        unsigned taken = 0xFFFF;
        if (lead & 0x8000) {  // the last character goes on past these sixteen bytes
            lead &= 0x7FFF;
            taken = 0x7FFF;
        }
        if (((ascii | lead | cont) & taken) != taken || cont != ((lead << 1) & 0xFFFF)) break;
        // The character of each second byte: U+0400 + (lead & 1) * 64 + (byte & 0x3F).
        const __m128i prev = _mm_slli_si128(v, 1);
        const __m128i index = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(prev, one), 6), _mm_and_si128(v, low6));
        __m128i mapped = Lookup128(rows, index);
        mapped = _mm_and_si128(mapped, contBytes);
        // A character the target lacks is left to the careful path, which counts it.
        const unsigned zero = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(mapped, _mm_setzero_si128())));
        if (zero & cont) break;
        const __m128i value = _mm_or_si128(mapped, _mm_andnot_si128(_mm_or_si128(contBytes, _mm_cmplt_epi8(v, _mm_setzero_si128())), v));
        const unsigned keep = (ascii | cont) & taken;
        const __m128i lowHalf = _mm_shuffle_epi8(value, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(packing.shuffle[keep & 0xFF])));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o), lowHalf);
        o += packing.count[keep & 0xFF];
        const __m128i highHalf = _mm_shuffle_epi8(_mm_srli_si128(value, 8),
                                                  _mm_loadl_epi64(reinterpret_cast<const __m128i*>(packing.shuffle[keep >> 8])));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o), highHalf);
        o += packing.count[keep >> 8];
        p += taken == 0xFFFF ? 16 : 15;
    }
    out = o;
    return p;
}

// Where each byte of eight goes when the bytes above 0x7F take two: for each pattern of eight
// high-or-not bits, the shuffle that packs the interleaved first and second bytes together, and the
// output's length.
struct Spreading {
    std::uint8_t shuffle[256][16];
    std::uint8_t count[256];
    Spreading() {
        for (int mask = 0; mask < 256; ++mask) {
            int n = 0;
            for (int i = 0; i < 8; ++i) {
                shuffle[mask][n++] = static_cast<std::uint8_t>(2 * i);
                if (mask & (1 << i)) shuffle[mask][n++] = static_cast<std::uint8_t>(2 * i + 1);
            }
            for (int i = n; i < 16; ++i) shuffle[mask][i] = 0x80;
            count[mask] = static_cast<std::uint8_t>(n);
        }
    }
};

// Single-byte source to UTF-8, sixteen bytes at a time while every byte is ASCII or a character of
// U+0080-U+00BF or U+0400-U+047F (`twoByte`: for each byte from 0x80, 0x80-0xBF for the first range,
// 0x00-0x7F for the character less U+0400, 0xFF for anything else); returns where it stopped. Writes
// at most twice the bytes it takes.
__attribute__((target("ssse3"))) const std::uint8_t* SingleByteToUtf8Vectors(const std::uint8_t* p,
                                                                              const std::uint8_t* end, char*& out,
                                                                              const std::uint8_t (*twoByte)[16]) {
    static const Spreading spreading;
    __m128i rows[8];
    TableSteps(twoByte, rows);
    const __m128i low7 = _mm_set1_epi8(0x7F), one = _mm_set1_epi8(1);
    const __m128i low6 = _mm_set1_epi8(0x3F), contTag = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i c2 = _mm_set1_epi8(static_cast<char>(0xC2)), d0 = _mm_set1_epi8(static_cast<char>(0xD0));
    const __m128i other = _mm_set1_epi8(static_cast<char>(0xC0));
    char* o = out;
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(v));
        if (high == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(o), v);
            o += 16;
            p += 16;
            continue;
        }
        __m128i mapped = Lookup128(rows, _mm_and_si128(v, low7));
        const __m128i isHigh = _mm_cmplt_epi8(v, _mm_setzero_si128());
        mapped = _mm_and_si128(mapped, isHigh);
        // Three-byte characters and unassigned bytes are left to the careful path.
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(mapped, other), other))) break;
        const __m128i latin = _mm_cmplt_epi8(mapped, _mm_setzero_si128());
        const __m128i cyrillicLead = _mm_or_si128(d0, _mm_and_si128(_mm_srli_epi16(mapped, 6), one));
        const __m128i lead = _mm_or_si128(_mm_and_si128(latin, c2), _mm_andnot_si128(latin, cyrillicLead));
        const __m128i first = _mm_or_si128(_mm_and_si128(isHigh, lead), _mm_andnot_si128(isHigh, v));
        const __m128i second = _mm_or_si128(contTag, _mm_and_si128(mapped, low6));
        const unsigned lowMask = high & 0xFF, highMask = high >> 8;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o),
                         _mm_shuffle_epi8(_mm_unpacklo_epi8(first, second),
                                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(spreading.shuffle[lowMask]))));
        o += spreading.count[lowMask];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o),
                         _mm_shuffle_epi8(_mm_unpackhi_epi8(first, second),
                                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(spreading.shuffle[highMask]))));
        o += spreading.count[highMask];
        p += 16;
    }
    out = o;
    return p;
}

#ifdef VEMKO_UTF8_AVX2
// The same, thirty-two bytes at a time.
__attribute__((target("avx2"))) const std::uint8_t* SingleByteToUtf8Avx2(const std::uint8_t* p, const std::uint8_t* end,
                                                                         char*& out, const std::uint8_t (*twoByte)[16]) {
    static const Spreading spreading;
    __m128i steps[8];
    TableSteps(twoByte, steps);
    __m256i rows[8];
    for (int k = 0; k < 8; ++k) rows[k] = _mm256_broadcastsi128_si256(steps[k]);
    const __m256i low7 = _mm256_set1_epi8(0x7F), one = _mm256_set1_epi8(1);
    const __m256i low6 = _mm256_set1_epi8(0x3F), contTag = _mm256_set1_epi8(static_cast<char>(0x80));
    const __m256i c2 = _mm256_set1_epi8(static_cast<char>(0xC2)), d0 = _mm256_set1_epi8(static_cast<char>(0xD0));
    const __m256i other = _mm256_set1_epi8(static_cast<char>(0xC0)), zero = _mm256_setzero_si256();
    char* o = out;
    auto put = [&o](__m128i pairs, unsigned mask) __attribute__((target("avx2"))) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o),
                         _mm_shuffle_epi8(pairs, _mm_loadu_si128(reinterpret_cast<const __m128i*>(spreading.shuffle[mask]))));
        o += spreading.count[mask];
    };
    while (end - p >= 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const unsigned high = static_cast<unsigned>(_mm256_movemask_epi8(v));
        if (high == 0) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), v);
            o += 32;
            p += 32;
            continue;
        }
        __m256i mapped = Lookup128(rows, _mm256_and_si256(v, low7));
        const __m256i isHigh = _mm256_cmpgt_epi8(zero, v);
        mapped = _mm256_and_si256(mapped, isHigh);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_and_si256(mapped, other), other))) break;
        const __m256i latin = _mm256_cmpgt_epi8(zero, mapped);
        const __m256i cyrillicLead = _mm256_or_si256(d0, _mm256_and_si256(_mm256_srli_epi16(mapped, 6), one));
        const __m256i lead = _mm256_blendv_epi8(cyrillicLead, c2, latin);
        const __m256i first = _mm256_blendv_epi8(v, lead, isHigh);
        const __m256i second = _mm256_or_si256(contTag, _mm256_and_si256(mapped, low6));
        // Within each half: bytes 0-7 and 8-15 of the half, each with its second byte.
        const __m256i lowPairs = _mm256_unpacklo_epi8(first, second), highPairs = _mm256_unpackhi_epi8(first, second);
        put(_mm256_castsi256_si128(lowPairs), high & 0xFF);
        put(_mm256_castsi256_si128(highPairs), (high >> 8) & 0xFF);
        put(_mm256_extracti128_si256(lowPairs, 1), (high >> 16) & 0xFF);
        put(_mm256_extracti128_si256(highPairs, 1), high >> 24);
        p += 32;
    }
    out = o;
    return p;
}

// The same, thirty-two bytes at a time.
__attribute__((target("avx2"))) const std::uint8_t* Utf8ToSingleByteAvx2(const std::uint8_t* p, const std::uint8_t* end,
                                                                         char*& out, const std::uint8_t (*cyrillic)[16]) {
    static const Packing packing;
    __m128i steps[8];
    TableSteps(cyrillic, steps);
    __m256i rows[8];
    for (int k = 0; k < 8; ++k) rows[k] = _mm256_broadcastsi128_si256(steps[k]);
    const __m256i d0 = _mm256_set1_epi8(static_cast<char>(0xD0)), d1 = _mm256_set1_epi8(static_cast<char>(0xD1));
    const __m256i top2 = _mm256_set1_epi8(static_cast<char>(0xC0)), contTag = _mm256_set1_epi8(static_cast<char>(0x80));
    const __m256i low6 = _mm256_set1_epi8(0x3F), one = _mm256_set1_epi8(1);
    const __m256i zero = _mm256_setzero_si256();
    char* o = out;
    auto put = [&o](__m128i value, unsigned keep) __attribute__((target("avx2"))) {
        const __m128i low = _mm_shuffle_epi8(value, _mm_loadl_epi64(reinterpret_cast<const __m128i*>(packing.shuffle[keep & 0xFF])));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o), low);
        o += packing.count[keep & 0xFF];
        const __m128i high = _mm_shuffle_epi8(_mm_srli_si128(value, 8),
                                              _mm_loadl_epi64(reinterpret_cast<const __m128i*>(packing.shuffle[keep >> 8])));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o), high);
        o += packing.count[keep >> 8];
    };
    while (end - p >= 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const std::uint32_t ascii = ~static_cast<std::uint32_t>(_mm256_movemask_epi8(v));
        std::uint32_t lead = static_cast<std::uint32_t>(
            _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi8(v, d0), _mm256_cmpeq_epi8(v, d1))));
        const __m256i contBytes = _mm256_cmpeq_epi8(_mm256_and_si256(v, top2), contTag);
        const std::uint32_t cont = static_cast<std::uint32_t>(_mm256_movemask_epi8(contBytes));
        std::uint32_t taken = 0xFFFFFFFF;
        if (lead & 0x80000000) {  // the last character goes on past these bytes
            lead &= 0x7FFFFFFF;
            taken = 0x7FFFFFFF;
        }
        if (((ascii | lead | cont) & taken) != taken || cont != lead << 1) break;
        // Each byte's predecessor: the halves of a 256-bit register shift apart.
        const __m256i prev = _mm256_alignr_epi8(v, _mm256_permute2x128_si256(v, v, 0x08), 15);
        const __m256i index = _mm256_or_si256(_mm256_slli_epi16(_mm256_and_si256(prev, one), 6), _mm256_and_si256(v, low6));
        __m256i mapped = Lookup128(rows, index);
        mapped = _mm256_and_si256(mapped, contBytes);
        const std::uint32_t missing = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(mapped, zero)));
        if (missing & cont) break;
        const __m256i value = _mm256_blendv_epi8(_mm256_andnot_si256(_mm256_cmpgt_epi8(zero, v), v), mapped, contBytes);
        const std::uint32_t keep = (ascii | cont) & taken;
        put(_mm256_castsi256_si128(value), keep & 0xFFFF);
        put(_mm256_extracti128_si256(value, 1), keep >> 16);
        p += taken == 0xFFFFFFFF ? 32 : 31;
    }
    out = o;
    return p;
}

// With AVX-512 (byte shuffles across the whole register, and packing by a mask), sixty-four bytes at
// a time from UTF-8 and thirty-two to it: one shuffle looks a byte up in 128 entries, and the bytes
// kept are packed in one step.
#define VEMKO_AVX512 "avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt"

// The characters the widest path takes besides ASCII: U+0400-U+047F (after D0 or D1), U+0080-U+00BF
// (after C2: the guillemets, the no-break space, the degree sign) and U+2000-U+203F (after E2 80: the
// dashes, quotation marks, the ellipsis), with the byte the target has for each, 0 where it lacks it.
struct Utf8Widest {
    alignas(64) std::uint8_t cyrillic[128];
    alignas(64) std::uint8_t latin[64];
    alignas(64) std::uint8_t punctuation[64];
};

__attribute__((target(VEMKO_AVX512))) const std::uint8_t* Utf8ToSingleByteAvx512(const std::uint8_t* p,
                                                                                 const std::uint8_t* end, char*& out,
                                                                                 const Utf8Widest& tables) {
    const __m512i cyrillic0 = _mm512_load_si512(tables.cyrillic), cyrillic1 = _mm512_load_si512(tables.cyrillic + 64);
    const __m512i latin = _mm512_load_si512(tables.latin), punctuation = _mm512_load_si512(tables.punctuation);
    const __m512i c2 = _mm512_set1_epi8(static_cast<char>(0xC2)), d0 = _mm512_set1_epi8(static_cast<char>(0xD0));
    const __m512i d1 = _mm512_set1_epi8(static_cast<char>(0xD1)), e2 = _mm512_set1_epi8(static_cast<char>(0xE2));
    const __m512i top2 = _mm512_set1_epi8(static_cast<char>(0xC0)), contTag = _mm512_set1_epi8(static_cast<char>(0x80));
    const __m512i low6 = _mm512_set1_epi8(0x3F), one = _mm512_set1_epi8(1), zero = _mm512_setzero_si512();
    // Where each byte's predecessor lies (the first byte's does not matter: it is never a second byte).
    alignas(64) static const std::uint8_t kBefore[64] = {
        0,  0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
        21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42,
        43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62};
    const __m512i before = _mm512_load_si512(kBefore);
    constexpr std::uint64_t kAll = ~std::uint64_t{0};
    char* o = out;
    while (end - p >= 64) {
        const __m512i v = _mm512_loadu_si512(p);
        const std::uint64_t ascii = ~_mm512_movepi8_mask(v);
        const std::uint64_t cyrillicLead = _mm512_cmpeq_epi8_mask(v, d0) | _mm512_cmpeq_epi8_mask(v, d1);
        const std::uint64_t latinLead = _mm512_cmpeq_epi8_mask(v, c2);
        const std::uint64_t threeLead = _mm512_cmpeq_epi8_mask(v, e2);
        const std::uint64_t cont = _mm512_cmpeq_epi8_mask(_mm512_and_si512(v, top2), contTag);
        const std::uint64_t middle80 = _mm512_cmpeq_epi8_mask(v, contTag);
        // A character cut by the end of these bytes is left for the next round.
        std::uint64_t taken = kAll;
        if (threeLead >> 62 & 1) taken = kAll >> 2;
        else if ((cyrillicLead | latinLead | threeLead) >> 63) taken = kAll >> 1;
        const std::uint64_t twoLead = (cyrillicLead | latinLead) & taken, three = threeLead & taken;
        // Nothing but those characters, each whole; a three-byte one only as E2 80 xx.
        if (((ascii | twoLead | three | cont) & taken) != taken || (cont & taken) != (twoLead << 1 | three << 1 | three << 2) ||
            (three << 1 & ~middle80))
            break;
        const __m512i prev = _mm512_maskz_permutexvar_epi8(kAll, before, v);
        const __m512i index = _mm512_or_si512(_mm512_slli_epi16(_mm512_and_si512(prev, one), 6), _mm512_and_si512(v, low6));
        const std::uint64_t cyrillicLast = (cyrillicLead & taken) << 1, latinLast = (latinLead & taken) << 1;
        const std::uint64_t threeLast = three << 2;
        __m512i value = _mm512_mask_mov_epi8(v, cyrillicLast, _mm512_permutex2var_epi8(cyrillic0, index, cyrillic1));
        value = _mm512_mask_mov_epi8(value, latinLast, _mm512_maskz_permutexvar_epi8(kAll, v, latin));
        value = _mm512_mask_mov_epi8(value, threeLast, _mm512_maskz_permutexvar_epi8(kAll, v, punctuation));
        const std::uint64_t last = cyrillicLast | latinLast | threeLast;
        // A character the target lacks is left to the careful path, which counts it.
        if (_mm512_mask_cmpeq_epi8_mask(last, value, zero)) break;
        const std::uint64_t keep = (ascii & taken) | last;
        _mm512_storeu_si512(o, _mm512_maskz_compress_epi8(keep, value));
        o += _mm_popcnt_u64(keep);
        p += _mm_popcnt_u64(taken);
    }
    out = o;
    return p;
}

// Each byte from 0x80 of a single-byte source: its UTF-8 bytes, 0 past its length; all 0 where the chart
// leaves the byte unassigned.
struct SingleByteWidest {
    alignas(64) std::uint8_t bytes[3][128];
};

__attribute__((target(VEMKO_AVX512))) const std::uint8_t* SingleByteToUtf8Avx512(const std::uint8_t* p,
                                                                                 const std::uint8_t* end, char*& out,
                                                                                 const std::uint8_t (*twoByte)[16],
                                                                                 const SingleByteWidest& widest) {
    const __m512i rows0to3 = _mm512_loadu_si512(twoByte[0]), rows4to7 = _mm512_loadu_si512(twoByte[4]);
    __m512i utf8[3][2];
    for (int i = 0; i < 3; ++i)
        for (int half = 0; half < 2; ++half) utf8[i][half] = _mm512_load_si512(widest.bytes[i] + 64 * half);
    const __m512i x80 = _mm512_set1_epi16(0x80), xC0 = _mm512_set1_epi16(0xC0), xFF = _mm512_set1_epi16(0xFF);
    const __m512i c2 = _mm512_set1_epi16(0xC2), d0 = _mm512_set1_epi16(0xD0), low6 = _mm512_set1_epi16(0x3F);
    constexpr std::uint64_t kFirstBytes = 0x5555555555555555, kSecondBytes = ~kFirstBytes;
    char* o = out;
    // Sixteen bytes whose characters may take three bytes each, each byte in a 32-bit lane of its own;
    // false (nothing written) when one is unassigned, for the careful path to count.
    auto anyLength = [&o, &utf8](const std::uint8_t* q) __attribute__((target(VEMKO_AVX512))) {
        constexpr std::uint64_t kLaneFirstBytes = 0x1111111111111111;
        // (The zero-masked forms: GCC 12 warns of the others' undefined starting value.)
        constexpr __mmask16 kAllLanes = 0xFFFF;
        const __m512i wide = _mm512_maskz_cvtepu8_epi32(kAllLanes, _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)));
        const __mmask16 high = _mm512_cmpge_epu32_mask(wide, _mm512_set1_epi32(0x80));
        const __m512i lowByte = _mm512_set1_epi32(0xFF);
        __m512i bytes[3];
        for (int i = 0; i < 3; ++i)
            bytes[i] = _mm512_and_si512(_mm512_permutex2var_epi8(utf8[i][0], wide, utf8[i][1]), lowByte);
        if (_mm512_mask_cmpeq_epi32_mask(high, bytes[0], _mm512_setzero_si512())) return false;
        const __m512i all = _mm512_or_si512(bytes[0], _mm512_or_si512(_mm512_maskz_slli_epi32(kAllLanes, bytes[1], 8),
                                                                       _mm512_maskz_slli_epi32(kAllLanes, bytes[2], 16)));
        const __m512i lanes = _mm512_mask_mov_epi32(wide, high, all);
        // Each lane's first byte, and the rest of a character's bytes (which are never zero).
        const std::uint64_t keep = kLaneFirstBytes | (_mm512_test_epi8_mask(lanes, lanes) & ~kLaneFirstBytes);
        _mm512_storeu_si512(o, _mm512_maskz_compress_epi8(keep, lanes));
        o += _mm_popcnt_u64(keep);
        return true;
    };
    while (end - p >= 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        if (!_mm256_movemask_epi8(v)) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), v);
            o += 32;
            p += 32;
            continue;
        }
        // Each byte in a 16-bit lane of its own, looked up by its low seven bits.
        const __m512i wide = _mm512_cvtepu8_epi16(v);
        const __mmask32 high = _mm512_cmpge_epu16_mask(wide, x80);
        const __m512i mapped = _mm512_and_si512(_mm512_permutex2var_epi8(rows0to3, wide, rows4to7), xFF);
        if (_mm512_mask_cmpge_epu16_mask(high, mapped, xC0)) {
            // Three-byte characters or unassigned bytes among them. Sixteen bytes write at most 48, but
            // the store is 64 wide: the second half only while three times the bytes left cover it.
            if (!anyLength(p)) break;
            p += 16;
            if (end - p < 22 || !anyLength(p)) break;
            p += 16;
            continue;
        }
        const __m512i lead = _mm512_mask_blend_epi16(_mm512_cmpge_epu16_mask(mapped, x80),
                                                     _mm512_or_si512(d0, _mm512_srli_epi16(mapped, 6)), c2);
        const __m512i second = _mm512_or_si512(x80, _mm512_and_si512(mapped, low6));
        const __m512i pairs = _mm512_mask_blend_epi16(high, wide, _mm512_or_si512(lead, _mm512_slli_epi16(second, 8)));
        // Every first byte, and the second bytes of the characters above 0x7F (which are never zero).
        const std::uint64_t keep = kFirstBytes | (_mm512_test_epi8_mask(pairs, pairs) & kSecondBytes);
        _mm512_storeu_si512(o, _mm512_maskz_compress_epi8(keep, pairs));
        o += _mm_popcnt_u64(keep);
        p += 32;
    }
    out = o;
    return p;
}
#endif
#endif

}  // namespace

char16_t CharacterOf(ConversionCodePage codePage, std::uint8_t byte) {
    return byte < 0x80 ? byte : ChartOf(codePage)[byte - 0x80];
}

struct UnicodeConversion::Tables {
    // Single-byte source: each byte's UTF-8 form (at most 3 bytes) packed little-end first, with its
    // length in the top byte.
    std::array<std::uint32_t, 256> utf8Of{};
    // UTF-8 source, single-byte target: what a byte gives after the byte before it (index: the
    // previous byte times 256 plus the byte): the output byte, kKeep when the byte ends a character,
    // kSlow when the pair is anything but ASCII or a two-byte character the target has.
    std::vector<std::uint16_t> afterByte;
    // Single-byte source and target: each byte's exact counterpart; `lacking` marks a '?'.
    std::array<std::uint8_t, 256> byteFor{};
    std::array<bool, 256> lacking{};
    // Single-byte target: the byte of each BMP character, 0 where the target lacks it (from 0x80 up).
    std::array<std::uint8_t, 0x10000> byteOf{};
    // UTF-8 source, single-byte target: byteOf for U+0400-U+047F, the characters whose UTF-8 starts
    // with D0 or D1, in eight rows of sixteen.
    alignas(16) std::uint8_t cyrillic[8][16]{};
#ifdef VEMKO_UTF8_AVX2
    Utf8Widest widest{};
#endif
    // Single-byte source, UTF-8 target: for each byte from 0x80, in eight rows of sixteen, its
    // character when it is U+0080-U+00BF, its character less U+0400 when it is U+0400-U+047F, 0xFF
    // otherwise.
    alignas(16) std::uint8_t twoByte[8][16]{};
#ifdef VEMKO_UTF8_AVX2
    SingleByteWidest singleByteWidest{};
#endif
    bool vectors = false;
    bool wideVectors = false;
    bool widestVectors = false;
};

UnicodeConversion::UnicodeConversion(TextEncoding from, TextEncoding to)
    : from_(from), to_(to), tables_(std::make_unique<Tables>()) {
    Tables& t = *tables_;
    if (IsSingleByte(from)) {
        for (int b = 0; b < 256; ++b) {
            char16_t c = CharacterOf(static_cast<ConversionCodePage>(from), static_cast<std::uint8_t>(b));
            const bool unassigned = b >= 0x80 && c == 0;
            char bytes[4] = {};
            std::size_t n = static_cast<std::size_t>(EncodeUtf8(unassigned ? u'?' : c, bytes) - bytes);
            std::memcpy(&t.utf8Of[b], bytes, 3);
            t.utf8Of[b] = (t.utf8Of[b] & 0xFFFFFF) | static_cast<std::uint32_t>(n) << 24;
            t.lacking[b] = unassigned;
        }
    }
    if (IsSingleByte(from) && to == TextEncoding::Utf8) {
        for (int i = 0; i < 128; ++i) {
            const char16_t c = CharacterOf(static_cast<ConversionCodePage>(from), static_cast<std::uint8_t>(0x80 + i));
            std::uint8_t& e = t.twoByte[i / 16][i % 16];
            e = 0xFF;
            if (c >= 0x80 && c <= 0xBF) e = static_cast<std::uint8_t>(c);
            if (c >= 0x400 && c <= 0x47F) e = static_cast<std::uint8_t>(c - 0x400);
#ifdef VEMKO_UTF8_AVX2
            const std::uint32_t bytes = t.utf8Of[0x80 + i];
            for (std::uint32_t k = 0; k < 3 && !t.lacking[0x80 + i]; ++k)
                if (k < bytes >> 24) t.singleByteWidest.bytes[k][i] = static_cast<std::uint8_t>(bytes >> (8 * k));
#endif
        }
#ifdef VEMKO_UTF8_SSSE3
        t.vectors = __builtin_cpu_supports("ssse3");
#ifdef VEMKO_UTF8_AVX2
        t.wideVectors = __builtin_cpu_supports("avx2");
        t.widestVectors = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                          __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2");
#endif
#endif
    }
    if (IsSingleByte(to)) {
        const charts::HighHalf& chart = ChartOf(static_cast<ConversionCodePage>(to));
        for (int i = 0; i < 128; ++i)
            if (chart[i]) t.byteOf[chart[i]] = static_cast<std::uint8_t>(0x80 + i);
    }
    if (from == TextEncoding::Utf8 && IsSingleByte(to)) {
        for (int i = 0; i < 128; ++i) t.cyrillic[i / 16][i % 16] = t.byteOf[0x400 + i];
#ifdef VEMKO_UTF8_AVX2
        std::memcpy(t.widest.cyrillic, t.cyrillic, 128);
        std::memcpy(t.widest.latin, &t.byteOf[0x80], 64);
        std::memcpy(t.widest.punctuation, &t.byteOf[0x2000], 64);
#endif
#ifdef VEMKO_UTF8_SSSE3
        t.vectors = __builtin_cpu_supports("ssse3");
#ifdef VEMKO_UTF8_AVX2
        t.wideVectors = __builtin_cpu_supports("avx2");
        t.widestVectors = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                          __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2");
#endif
#endif
        t.afterByte.assign(0x10000, kSlow);
        auto lead = [](std::uint32_t b) { return b >= 0xC2 && b <= 0xDF; };
        for (std::uint32_t prev = 0; prev < 256; ++prev) {
            for (std::uint32_t cur = 0; cur < 256; ++cur) {
                std::uint16_t& e = t.afterByte[prev << 8 | cur];
                if (cur < 0x80) {
                    if (!lead(prev)) e = static_cast<std::uint16_t>(cur | kKeep);
                } else if (lead(cur)) {
                    if (!lead(prev)) e = 0;
                } else if (cur <= 0xBF && lead(prev)) {
                    const std::uint32_t cp = (prev & 0x1F) << 6 | (cur & 0x3F);
                    if (t.byteOf[cp]) e = static_cast<std::uint16_t>(t.byteOf[cp] | kKeep);
                }
            }
        }
    }
    if (IsSingleByte(from) && IsSingleByte(to)) {
        for (int b = 0; b < 256; ++b) {
            char16_t c = CharacterOf(static_cast<ConversionCodePage>(from), static_cast<std::uint8_t>(b));
            std::uint8_t target = c < 0x80 ? static_cast<std::uint8_t>(c) : t.byteOf[c];
            t.lacking[b] = (b >= 0x80 && c == 0) || (c >= 0x80 && target == 0);
            t.byteFor[b] = t.lacking[b] ? '?' : target;
        }
    }
}

UnicodeConversion::~UnicodeConversion() = default;

UnicodeConversion::Step UnicodeConversion::Convert(const std::uint8_t* input, std::size_t size, bool atEnd,
                                                   char* out) {
    const Tables& t = *tables_;
    const std::uint8_t* p = input;
    const std::uint8_t* const end = input + size;
    char* const outStart = out;
    std::uint64_t replaced = 0;

    if (atStart_) {
        // Too short yet to tell whether a byte order mark is there.
        if (!atEnd && size < 3) return {0, 0};
        atStart_ = false;
        if (from_ == TextEncoding::Utf8 && size >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3;
        if (from_ == TextEncoding::Utf16LE && size >= 2 && p[0] == 0xFF && p[1] == 0xFE) p += 2;
        if (from_ == TextEncoding::Utf16BE && size >= 2 && p[0] == 0xFE && p[1] == 0xFF) p += 2;
        if (to_ == TextEncoding::Utf16LE) out = EncodeUtf16(0xFEFF, false, out);
        if (to_ == TextEncoding::Utf16BE) out = EncodeUtf16(0xFEFF, true, out);
    }

    if (IsSingleByte(from_) && IsSingleByte(to_)) {
        for (; p != end; ++p) {
            *out++ = static_cast<char>(t.byteFor[*p]);
            replaced += t.lacking[*p];
        }
    } else if (IsSingleByte(from_) && to_ == TextEncoding::Utf8) {
        const std::uint32_t* const utf8Of = t.utf8Of.data();
        const bool* const lacking = t.lacking.data();
        while (p != end) {
#ifdef VEMKO_UTF8_SSSE3
#ifdef VEMKO_UTF8_AVX2
            if (t.widestVectors) p = SingleByteToUtf8Avx512(p, end, out, t.twoByte, t.singleByteWidest);
            if (t.wideVectors) p = SingleByteToUtf8Avx2(p, end, out, t.twoByte);
#endif
            if (t.vectors) p = SingleByteToUtf8Vectors(p, end, out, t.twoByte);
#endif
            // What stopped the vectors (or the last bytes), one byte at a time.
            const std::uint8_t* const stop = p + std::min<std::ptrdiff_t>(end - p, 16);
            for (; p != stop; ++p) {
                const std::uint32_t e = utf8Of[*p];
                std::memcpy(out, &e, 4);
                out += e >> 24;
                replaced += lacking[*p];
            }
        }
    } else if (from_ == TextEncoding::Utf8 && IsSingleByte(to_)) {
        // Held in locals: stores through `out` could alias the tables' own pointers.
        const std::uint16_t* const afterByte = t.afterByte.data();
        const std::uint8_t* const byteOf = t.byteOf.data();
        while (p != end) {
#ifdef VEMKO_UTF8_SSSE3
#ifdef VEMKO_UTF8_AVX2
            if (t.widestVectors) p = Utf8ToSingleByteAvx512(p, end, out, t.widest);
            if (t.wideVectors) p = Utf8ToSingleByteAvx2(p, end, out, t.cyrillic);
#endif
            if (t.vectors) p = Utf8ToSingleByteVectors(p, end, out, t.cyrillic);
#endif
            // Without branches over runs of ASCII and two-byte characters: a run in which anything
            // else turns up is done again below, one character at a time.
            if (end - p > 1) {
                const std::uint8_t* runEnd = p + std::min<std::ptrdiff_t>(end - p, kRun);
                if (runEnd[-1] >= 0xC0) --runEnd;  // a character starting there goes on past the run
                std::uint32_t slow = 0, prev = 0;
                char* o = out;
                for (const std::uint8_t* q = p; q != runEnd; ++q) {
                    const std::uint32_t e = afterByte[prev << 8 | *q];
                    *o = static_cast<char>(e);
                    o += (e >> 8) & 1;
                    slow |= e;
                    prev = *q;
                }
                if (!(slow & kSlow) && prev < 0xC0) {  // nor a lead byte without its second byte
                    out = o;
                    p = runEnd;
                    continue;
                }
            }
            // One character at a time to the end of the run that needed it.
            const std::uint8_t* const careful = std::min<const std::uint8_t*>(end, p + kRun + 1);
            while (p < careful) {
                const std::uint8_t b = *p;
                if (b < 0x80) {
                    *out++ = static_cast<char>(b);
                    ++p;
                    continue;
                }
                std::size_t length;
                char32_t cp = DecodeUtf8(p, end, atEnd, length);
                if (cp == kCut) break;
                std::uint8_t byte = cp < 0x10000 ? byteOf[cp] : 0;
                if (byte == 0) {
                    byte = '?';
                    ++replaced;
                }
                *out++ = static_cast<char>(byte);
                p += length;
            }
            if (p < careful) break;  // cut
        }
    } else {
        while (p != end) {
            std::size_t length = 1;
            char32_t cp;
            if (IsSingleByte(from_)) {
                cp = CharacterOf(static_cast<ConversionCodePage>(from_), *p);
                if (*p >= 0x80 && cp == 0) cp = kInvalid;
            } else if (from_ == TextEncoding::Utf8) {
                cp = DecodeUtf8(p, end, atEnd, length);
            } else {
                cp = DecodeUtf16(p, end, atEnd, from_ == TextEncoding::Utf16BE, length);
            }
            if (cp == kCut) break;
            p += length;
            if (cp == kInvalid) {
                cp = '?';
                ++replaced;
            }
            if (IsSingleByte(to_)) {
                std::uint8_t byte = cp < 0x80 ? static_cast<std::uint8_t>(cp) : cp < 0x10000 ? t.byteOf[cp] : 0;
                if (cp >= 0x80 && byte == 0) {
                    byte = '?';
                    ++replaced;
                }
                *out++ = static_cast<char>(byte);
            } else if (to_ == TextEncoding::Utf8) {
                out = EncodeUtf8(cp, out);
            } else {
                out = EncodeUtf16(cp, to_ == TextEncoding::Utf16BE, out);
            }
        }
    }
    replaced_ += replaced;
    return {static_cast<std::size_t>(p - input), static_cast<std::size_t>(out - outStart)};
}

std::size_t UnicodeConversion::Append(std::string_view text, bool atEnd, std::string& out) {
    const std::size_t old = out.size();
    out.resize(old + MaxOutput(text.size()));
    Step step = Convert(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), atEnd, out.data() + old);
    out.resize(old + step.written);
    return step.consumed;
}

std::string ConvertText(std::string_view text, TextEncoding from, TextEncoding to, std::uint64_t* replaced) {
    UnicodeConversion conversion(from, to);
    std::string out;
    conversion.Append(text, true, out);
    if (replaced) *replaced += conversion.Replaced();
    return out;
}
