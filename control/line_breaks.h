#pragma once
// Finding the bytes that can end a line (CR and LF) many at a time, for the line index of a text that
// is loaded or inserted: a text of tens of megabytes is scanned at the speed its memory is read, not
// a byte and a branch at a time. Sixteen bytes at a time where the compiler may use SSE2 (always on
// x86-64), eight at a time as plain words elsewhere.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace line_breaks {

// A bit at the top of each byte of `word` that is zero, and nowhere else (no carries between bytes).
inline std::uint64_t ZeroBytes(std::uint64_t word) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    return ~(((word & kLow7) + kLow7) | word | kLow7);
}

// The same test a word at a time, for any processor: the bytes that are CR or LF, each as the top
// bit of its byte.
inline std::uint64_t CrOrLfBytes(std::uint64_t word) {
    constexpr std::uint64_t kLf = 0x0A0A0A0A0A0A0A0AULL, kCr = 0x0D0D0D0D0D0D0D0DULL;
    return ZeroBytes(word ^ kLf) | ZeroBytes(word ^ kCr);
}

// Calls visit(i) for each i in [0, count) where bytes[i] is CR or LF, in ascending order, eight bytes
// at a time as plain words.
template <typename Visit>
std::size_t ForEachCrOrLfByWords(const char* bytes, std::size_t count, Visit&& visit, std::size_t i = 0) {
    for (; count - i >= 8; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        const std::uint64_t found = CrOrLfBytes(word);
        if (!found) continue;
        // The marks lie in the bytes of the word in the order of the text, whatever the byte order.
        unsigned char marks[8];
        std::memcpy(marks, &found, 8);
        for (unsigned b = 0; b < 8; ++b)
            if (marks[b]) visit(i + b);
    }
    for (; i < count; ++i)
        if (bytes[i] == '\n' || bytes[i] == '\r') visit(i);
    return i;
}

// The same, sixteen bytes at a time where SSE2 is there.
template <typename Visit>
void ForEachCrOrLf(const char* bytes, std::size_t count, Visit&& visit) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
    for (; count - i >= 16; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        unsigned found = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr))));
        for (; found; found &= found - 1) visit(i + static_cast<std::size_t>(std::countr_zero(found)));
    }
#endif
    ForEachCrOrLfByWords(bytes, count, visit, i);
}

}  // namespace line_breaks
