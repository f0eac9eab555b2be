#pragma once
// Line starts of UTF-16 text: a line break is the unit CR followed by the unit LF, a lone CR or a lone
// LF, each unit at an even offset of the text; a line starts after each. The text may come in pieces
// of any length (a unit may be cut between two), and a long text is scanned sixteen bytes at a time
// where SSE2 is there: only the units whose low byte is CR or LF are looked at one by one.
#include <bit>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

class Utf16LineStarts {
public:
    explicit Utf16LineStarts(bool bigEndian, std::size_t position = 0) : bigEndian_(bigEndian), position_(position) {}

    // The next `count` bytes of the text; visit(s) for each line start s they decide, in order.
    template <typename Visit>
    void Feed(const char* bytes, std::size_t count, Visit&& visit) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes);
        std::size_t i = 0;
        if (count > 0 && half_ >= 0) {
            const std::uint8_t unit[2] = {static_cast<std::uint8_t>(half_), data[0]};
            half_ = -1;
            Unit(position_ - 1, Value(unit), visit);
            i = 1;
            ++position_;
        }
        const std::size_t whole = i + ((count - i) & ~std::size_t{1});
#if defined(__SSE2__)
        const __m128i lfs = _mm_set1_epi8('\n'), crs = _mm_set1_epi8('\r'), zero = _mm_setzero_si128();
        for (; whole - i >= 16; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            const unsigned breaks = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lfs), _mm_cmpeq_epi8(v, crs))));
            const unsigned zeros = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)));
            // The low byte of a unit comes first in little-endian order, second in big-endian.
            unsigned units = bigEndian_ ? (breaks >> 1 & zeros & 0x5555u) : (breaks & zeros >> 1 & 0x5555u);
            for (; units; units &= units - 1) {
                const std::size_t at = static_cast<std::size_t>(std::countr_zero(units));
                Unit(position_ + at, Value(data + i + at), visit);
            }
            position_ += 16;
        }
#endif
        for (; i < whole; i += 2, position_ += 2) {
            const char16_t unit = Value(data + i);
            if (unit == '\r' || unit == '\n') Unit(position_, unit, visit);
        }
        if (i < count) {
            half_ = data[i];
            ++position_;
        }
        // A CR before the units just scanned was followed by none of CR and LF.
        const std::size_t scanned = position_ - (half_ >= 0 ? 1 : 0);
        if (pendingCrEnd_ != kNone && pendingCrEnd_ < scanned) Emit(visit);
    }

    // The end of the text: a CR that ends it (a single byte after it or not) ends its line.
    template <typename Visit>
    void Finish(Visit&& visit) {
        if (pendingCrEnd_ != kNone) Emit(visit);
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    char16_t Value(const std::uint8_t* bytes) const {
        return static_cast<char16_t>(bigEndian_ ? bytes[0] << 8 | bytes[1] : bytes[1] << 8 | bytes[0]);
    }

    template <typename Visit>
    void Emit(Visit& visit) {
        visit(pendingCrEnd_);
        pendingCrEnd_ = kNone;
    }

    // A CR or LF unit at `at`; the units between the last one and it were neither.
    template <typename Visit>
    void Unit(std::size_t at, char16_t unit, Visit& visit) {
        if (pendingCrEnd_ != kNone) {
            if (pendingCrEnd_ == at && unit == '\n') pendingCrEnd_ = kNone;
            else Emit(visit);
        }
        if (unit == '\n') visit(at + 2);
        else if (unit == '\r') pendingCrEnd_ = at + 2;
    }

    bool bigEndian_;
    std::size_t position_;  // of the next byte fed
    int half_ = -1;         // the first byte of a unit the next piece completes
    std::size_t pendingCrEnd_ = kNone;  // after a CR whose next unit is not seen yet
};
