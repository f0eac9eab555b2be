// Thirty-two bytes at a time with AVX2.
#include "encoding/unicode_kernels.h"

#ifdef VEMKO_VECTORS_WIDE

#include "encoding/unicode_kernels_x86.h"

namespace unicode {

namespace {

__attribute__((target("avx2"))) inline __m256i Lookup128(const __m256i* steps, __m256i index) {
    const __m256i sixteen = _mm256_set1_epi8(16);
    __m256i value = _mm256_shuffle_epi8(steps[0], index);
    for (int k = 1; k < 8; ++k) {
        index = _mm256_sub_epi8(index, sixteen);
        value = _mm256_xor_si256(value, _mm256_shuffle_epi8(steps[k], index));
    }
    return value;
}

}  // namespace

// Single-byte source to UTF-8 as the SSSE3 kernel does, thirty-two bytes at a time.
__attribute__((target("avx2"))) const std::uint8_t* SingleByteToUtf8Avx2(const std::uint8_t* p, const std::uint8_t* end,
                                                                         char*& out, const KernelTables& tables) {
    const std::uint8_t(*twoByte)[16] = tables.twoByte;
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

// UTF-8 to a single-byte target as the SSSE3 kernel does, thirty-two bytes at a time.
__attribute__((target("avx2"))) const std::uint8_t* Utf8ToSingleByteAvx2(const std::uint8_t* p, const std::uint8_t* end,
                                                                         char*& out, const KernelTables& tables) {
    const std::uint8_t(*cyrillic)[16] = tables.cyrillic;
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

}  // namespace unicode

#endif
