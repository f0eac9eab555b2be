#include "encoding/unicode_kernels.h"

#ifdef VEMKO_VECTORS_WIDE

#include "encoding/unicode_kernels_x86.h"

namespace unicode {

// With AVX-512 (byte shuffles across the whole register, and packing by a mask), sixty-four bytes at
// a time from UTF-8 and thirty-two to it: one shuffle looks a byte up in 128 entries, and the bytes
// kept are packed in one step.
#define VEMKO_AVX512 "avx512f,avx512bw,avx512vbmi,avx512vbmi2,popcnt"

__attribute__((target(VEMKO_AVX512))) const std::uint8_t* Utf8ToSingleByteAvx512(const std::uint8_t* p,
                                                                                 const std::uint8_t* end, char*& out,
                                                                                 const KernelTables& kernelTables) {
    const Utf8Widest& tables = kernelTables.widest;
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

__attribute__((target(VEMKO_AVX512))) const std::uint8_t* SingleByteToUtf8Avx512(const std::uint8_t* p,
                                                                                 const std::uint8_t* end, char*& out,
                                                                                 const KernelTables& tables) {
    const std::uint8_t(*twoByte)[16] = tables.twoByte;
    const SingleByteWidest& widest = tables.singleByteWidest;
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

}  // namespace unicode

#endif
