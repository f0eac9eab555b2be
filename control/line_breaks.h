#pragma once
// Finding where lines start in a run of bytes, many bytes at a time, for the line index of a text that
// is loaded or inserted: a text of tens of megabytes is scanned at about the speed its memory is read,
// not a byte and a branch at a time. Sixteen bytes at a time where the compiler may use SSE2 (always
// on x86-64), eight at a time as plain words elsewhere.
//
// A line break is CR LF, a lone CR or a lone LF; a line starts after each. A CR that is the last byte
// of the run is left to the caller, whose next bytes decide whether a LF pairs with it.
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

// The bytes of `word` equal to `byte`, each as the top bit of its byte.
inline std::uint64_t BytesEqual(std::uint64_t word, unsigned char byte) {
    return ZeroBytes(word ^ (0x0101010101010101ULL * byte));
}

// The rest of the run one byte at a time, from i; true when its last byte is a CR.
template <typename Visit>
bool LineStartsOneByOne(const char* bytes, std::size_t count, std::size_t i, Visit& visit) {
    for (; i < count; ++i) {
        if (bytes[i] == '\n') {
            visit(i + 1);
        } else if (bytes[i] == '\r') {
            if (i + 1 == count) return true;
            if (bytes[i + 1] != '\n') visit(i + 1);
        }
    }
    return false;
}

// Calls visit(s) in ascending order for each line start s in (0, count] that bytes[0, count) decide:
// after each LF, and after each CR not followed by a LF. True when the last byte is a CR (whose start
// is not visited). Eight bytes at a time as plain words, on any processor.
template <typename Visit>
bool ForEachLineStartByWords(const char* bytes, std::size_t count, Visit&& visit, std::size_t i = 0) {
    // The mark of the word's last byte in memory, and the shift that moves each byte's mark onto the
    // byte before it.
    constexpr bool kLittle = std::endian::native == std::endian::little;
    constexpr std::uint64_t kLastByte = kLittle ? 0x80ULL << 56 : 0x80ULL;
    // The byte after the word is always there to tell whether a LF follows a CR at its end.
    for (; count - i > 8; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        const std::uint64_t lf = BytesEqual(word, '\n'), cr = BytesEqual(word, '\r');
        if (!(lf | cr)) continue;
        const std::uint64_t lfNext = (kLittle ? lf >> 8 : lf << 8) | (bytes[i + 8] == '\n' ? kLastByte : 0);
        const std::uint64_t starts = lf | (cr & ~lfNext);
        // The marks lie in the bytes in the order of the text, whatever the byte order.
        unsigned char marks[8];
        std::memcpy(marks, &starts, 8);
        for (std::size_t b = 0; b < 8; ++b)
            if (marks[b]) visit(i + b + 1);
    }
    return LineStartsOneByOne(bytes, count, i, visit);
}

// The same, sixteen bytes at a time where SSE2 is there.
template <typename Visit>
bool ForEachLineStart(const char* bytes, std::size_t count, Visit&& visit) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i lfs = _mm_set1_epi8('\n'), crs = _mm_set1_epi8('\r');
    for (; count - i > 16; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        const unsigned lf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lfs)));
        const unsigned cr = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, crs)));
        if (!(lf | cr)) continue;
        const unsigned lfNext = lf >> 1 | (bytes[i + 16] == '\n' ? 0x8000u : 0u);
        for (unsigned starts = lf | (cr & ~lfNext); starts; starts &= starts - 1)
            visit(i + static_cast<std::size_t>(std::countr_zero(starts)) + 1);
    }
#endif
    return ForEachLineStartByWords(bytes, count, visit, i);
}

}  // namespace line_breaks
