#pragma once
// What the x86 kernels share: the 128-entry table lookup by byte shuffles and the shuffles that pack or
// spread bytes by a mask. Included only by the kernel files, each of which is built for its processor.
#include <immintrin.h>

#include <cstdint>

namespace unicode {

// A table of 128 bytes in eight rows of sixteen, held for Lookup128: row k exclusive-or row k - 1.
__attribute__((target("ssse3"))) inline void TableSteps(const std::uint8_t (*table)[16], __m128i* steps) {
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

}  // namespace unicode
