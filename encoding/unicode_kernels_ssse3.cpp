// The narrowest kernels: sixteen bytes at a time with SSSE3 byte shuffles.
#include "encoding/unicode_kernels.h"

#ifdef VEMKO_VECTORS_SSSE3

#include "encoding/unicode_kernels_x86.h"

namespace unicode {

// Sixteen bytes at a time while they are ASCII and two-byte characters from D0 or D1 that the target
// has; returns where it stopped (at a character boundary, as it started).
__attribute__((target("ssse3"))) const std::uint8_t* Utf8ToSingleByteSsse3(const std::uint8_t* p,
                                                                            const std::uint8_t* end, char*& out,
                                                                            const KernelTables& tables) {
    const std::uint8_t(*cyrillic)[16] = tables.cyrillic;
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

// Single-byte source to UTF-8, sixteen bytes at a time while every byte is ASCII or a character of
// U+0080-U+00BF or U+0400-U+047F (`twoByte`: for each byte from 0x80, 0x80-0xBF for the first range,
// 0x00-0x7F for the character less U+0400, 0xFF for anything else); returns where it stopped. Writes
// at most twice the bytes it takes.
__attribute__((target("ssse3"))) const std::uint8_t* SingleByteToUtf8Ssse3(const std::uint8_t* p,
                                                                            const std::uint8_t* end, char*& out,
                                                                            const KernelTables& tables) {
    const std::uint8_t(*twoByte)[16] = tables.twoByte;
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

}  // namespace unicode

#endif
