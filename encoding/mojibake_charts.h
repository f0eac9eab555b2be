#pragma once
// What finding a chain of mis-readings and undoing it share: the repair's charts, read as the system
// and browsers read them (a byte a chart leaves unassigned is the C1 control of the same number), its
// UTF-8 decoding, which knows a character lost on the way, and its conversions of whole stretches.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "encoding/misreading.h"

namespace mojibake {

inline bool IsUtf16(RepairEncoding e) { return e == RepairEncoding::Utf16LE || e == RepairEncoding::Utf16BE; }
inline bool IsSingleByte(RepairEncoding e) { return e != RepairEncoding::Utf8 && !IsUtf16(e); }

// A single-byte encoding both ways over the basic plane.
struct ByteChart {
    std::array<char16_t, 256> character;
    std::array<std::int16_t, 0x10000> byte;  // -1: the encoding lacks the character
};

const ByteChart& ChartTables(RepairEncoding e);

// What one UTF-8 sequence at `p` decodes to. A sequence cut by a '?' is a character lost on the way
// (a saving encoding lacked one of its bytes' characters): the lead byte and the '?' make one '?'.
// The lead byte of "Р" followed by a blank is that letter: its second byte, read as a no-break space,
// became a blank on the way, as copied text does.
struct Decoded {
    char32_t character;
    int length;
    enum Kind { Good, Lost, Malformed } kind;
};

Decoded DecodeUtf8(const std::uint8_t* p, const std::uint8_t* end);
// A well-formed sequence of three bytes whose lead sets no bounds of its own on the next byte (signs,
// box drawing, kana and ideographs), decoded in line as DecodeUtf8 decodes it; 0 when it is not one.
inline char32_t PlainThreeBytes(const std::uint8_t* p, const std::uint8_t* end) {
    if (end - p < 3 || p[0] < 0xE1 || p[0] > 0xEF || p[0] == 0xED || (p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80)
        return 0;
    return static_cast<char32_t>((p[0] & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
}

// Room for what Recode writes for `size` bytes: three for a byte, and the vector kernels' wide stores.
constexpr std::size_t RecodeRoom(std::size_t size) { return 3 * size + 64; }

// Bytes in `from` to bytes in `to` at `out` (RecodeRoom of the input's size), a character `to` lacks
// and a byte that does not decode becoming '?' counted in `lost` (the bytes that do not decode also
// in `malformed`, when given); returns the end of what it wrote. UTF-8 to UTF-8 leaves what is
// well-formed as it is, and writes a character lost on the way as U+FFFD when `lostAsReplacement`
// (the damaged text showed its losses so). UTF-16 goes character by character.
char* Recode(std::string_view bytes, RepairEncoding from, RepairEncoding to, std::uint64_t& lost, char* out,
             std::uint64_t* malformed = nullptr, bool lostAsReplacement = false);
// The same into a string of its own.
std::string Recode(std::string_view bytes, RepairEncoding from, RepairEncoding to, std::uint64_t& lost,
                   std::uint64_t* malformed = nullptr);

// The characters of `bytes` in `e`: a byte that does not decode, or a sequence cut by '?', is U+FFFD,
// counted in `failed` (bytes that do not decode) and `lost` (sequences cut by '?').
std::u32string DecodeCharacters(std::string_view bytes, RepairEncoding e, std::size_t& failed, std::size_t& lost);
// `text` in `e`: a character `e` lacks becomes '?', counted in `failed`; U+FFFD, a character lost
// before, becomes '?' too, counted in `lost`. In a single-byte `e` it stops once `failed` passes
// `mostFailed`, what is written then being of no use to anyone.
std::string EncodeCharacters(std::u32string_view text, RepairEncoding e, std::size_t& failed, std::size_t& lost,
                             std::size_t mostFailed = SIZE_MAX);
// Whether `bytes`, read as UTF-16 into `text`, are no UTF-16: read in the other byte order than they
// were written in (UTF-16 of Latin letters then gives characters whose low byte is zero), or UTF-8,
// most of their bytes beyond ASCII in its sequences (some of them cut by '?'), which no UTF-16 but
// by chance is.
bool NoUtf16(std::string_view bytes, std::u32string_view text);

// Whether `bytes` decode as UTF-8 without a byte that does not, as DecodeCharacters reads them;
// stops at the first such byte.
bool WellFormedUtf8(std::string_view bytes);

}  // namespace mojibake
