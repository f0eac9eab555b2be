#include "encoding/code_page_tables.h"

#include <span>
#include <string_view>

#include "base/charts.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && !defined(_WIN32)
#include <immintrin.h>
#endif

// The tables are generated at compile time: a byte goes to the position that the target's chart
// gives the same character, and only the characters that the target lacks are listed by hand. The
// generator refuses (as a compile error) a hand-listed byte whose character the target has, a byte
// listed twice, and a table that leaves a byte without an entry, so the lists cannot drift from the
// charts.

const char* const CodePageNames[kConversionCodePageCount] = {"ANSI (1251)", "OEM (866)", "KOI8 R", "ISO",
                                                             "MAC"};
const std::int32_t FromTable[kConversionCodePageCount] = {kAnsiToOem, kNoTable, kKoi8ToOem, kIsoToOem, kMacToOem};
const std::int32_t ToTable[kConversionCodePageCount] = {kOemToAnsi, kNoTable, kOemToKoi8, kOemToIso, kOemToMac};

namespace {

using HighTable = std::array<std::uint8_t, 128>;

// Bytes of the source code page whose character the target lacks, and the byte they become.
struct Substitute {
    std::uint8_t result;
    std::string_view sources;
};

enum class Unlisted {
    Forbidden,  // every byte is either on the chart or listed
    Unchanged,  // a byte whose character the target lacks stays as it is
};

constexpr HighTable ByCharts(const charts::HighHalf& source, const charts::HighHalf& target, Unlisted unlisted,
                             std::span<const Substitute> substitutes) {
    HighTable table{};
    std::array<bool, 128> onChart{};
    std::array<bool, 128> assigned{};
    for (int i = 0; i < 128; ++i) {
        char16_t character = source[i];
        int position = character == 0 ? -1 : charts::PositionOf(target, character);
        if (position >= 0) {
            table[i] = static_cast<std::uint8_t>(position);
            onChart[i] = assigned[i] = true;
        } else if (unlisted == Unlisted::Unchanged) {
            table[i] = static_cast<std::uint8_t>(0x80 + i);
        }
    }
    std::array<bool, 128> listed{};
    for (const Substitute& substitute : substitutes) {
        for (char c : substitute.sources) {
            int i = static_cast<unsigned char>(c) - 0x80;
            if (i < 0) throw "only bytes 0x80-0xFF have entries";
            if (onChart[i]) throw "a listed byte whose character the target has";
            if (listed[i]) throw "a byte listed twice";
            listed[i] = assigned[i] = true;
            table[i] = substitute.result;
        }
    }
    if (unlisted == Unlisted::Forbidden)
        for (bool a : assigned)
            if (!a) throw "a byte without an entry";
    return table;
}

// 866 to 1251: the pseudo-graphics become look-alikes.
constexpr Substitute kOemToAnsiSubstitutes[] = {
    {'+', "\xB4\xC1\xC3\xC5\xCE\xD7\xD8"},
    {'-', "\xB0\xB1\xB2\xBC\xBD\xBE\xC4\xD5\xD9\xDA\xDB\xDC\xDF"},
    {'=', "\xCD"},
    {'L', "\xC0\xC8\xD3\xD4"},
    {'T', "\xC2\xCB\xD1\xD2"},
    {'v', "\xFB"},
    {0x95, "\xF9"},
    {0xA6, "\xB3\xB5\xB6\xB9\xBA\xC6\xC7\xCA\xCC\xCF\xD0\xDD\xDE\xFE"},
    {0xAC, "\xB7\xB8\xBB\xBF"},
    {0xE3, "\xC9\xD6"},
};

// 1251 to 866. 0x07, 0x14 and 0x15 are where OEM fonts draw the bullet, pilcrow and section sign.
constexpr Substitute kAnsiToOemSubstitutes[] = {
    {0x07, "\x95"},
    {0x14, "\xB6"},
    {0x15, "\xA7"},
    {'"', "\x84\x93\x94"},
    {'%', "\x89"},
    {'\'', "\x82\x91\x92"},
    {'+', "\xB1"},
    {'-', "\x96\x97\xAD"},
    {':', "\x85"},
    {'<', "\x8B\xAB"},
    {'>', "\x9B\xBB"},
    {'?', "\x80\x81\x83\x88\x8A\x8C\x8D\x8E\x8F\x90\x98\x9A\x9C\x9D\x9E\x9F\xA3\xA5\xB4\xBC\xBD\xBE"},
    {'I', "\xB2"},
    {'R', "\xAE"},
    {'T', "\x99"},
    {'c', "\xA9"},
    {'i', "\xB3"},
    {0xB3, "\xA6"},
    {0xBF, "\xAC"},
    {0xC5, "\x86"},
    {0xD8, "\x87"},
    {0xE7, "\xB5"},
};

constexpr Substitute kOemToKoi8Substitutes[] = {
    {'E', "\xF2"}, {'e', "\xF3"}, {'I', "\xF4"}, {'i', "\xF5"},
    {'Y', "\xF6"}, {'y', "\xF7"}, {'N', "\xFC"}, {0xBF, "\xFD"},
};

constexpr Substitute kKoi8ToOemSubstitutes[] = {
    {0xB3, "\x93\x9B"}, {0xCD, "\x97"}, {'<', "\x98"}, {'>', "\x99"},
    {0xF8, "\x9D"},     {':', "\x9F"},  {0xFD, "\xBF"},
};

constexpr Substitute kMacToOemSubstitutes[] = {
    {'<', "\xC7"},
    {'>', "\xC8"},
    {'-', "\xD0\xD1"},
};

// Each 866 letter's first Latin letter, for А-Я, а-п, р-я, Ё and ё; the engine adds a second letter
// to some of them. Ы gives I but ы gives y, the letter of й.
constexpr std::string_view kLatinCapitals = "ABVGDEZZIYKLMNOPRSTUFHCCSS'I'EII";
constexpr std::string_view kLatinSmall = "abvgdezziyklmnoprstufhccss'y'eii";

constexpr HighTable Translit() {
    HighTable table{};
    for (int i = 0; i < 128; ++i) table[i] = static_cast<std::uint8_t>(0x80 + i);
    for (int i = 0; i < 32; ++i) {
        table[0x00 + i] = static_cast<std::uint8_t>(kLatinCapitals[i]);  // 866 80-9F
        int small = i < 16 ? 0x20 + i : 0x60 + (i - 16);                 // 866 A0-AF, E0-EF
        table[small] = static_cast<std::uint8_t>(kLatinSmall[i]);
    }
    table[0x70] = 'E';  // Ё
    table[0x71] = 'e';  // ё
    return table;
}

constexpr std::array<std::uint8_t, kByteTableCount * 128> Generate() {
    using charts::kCp866, charts::kIso8859_5, charts::kKoi8R, charts::kMacCyrillic, charts::kWindows1251;
    // Mac Cyrillic and ISO 8859-5 lack most of what 866 has beyond the letters; such bytes keep their
    // value, as they always have, while every character both have goes to its place.
    const HighTable tables[kByteTableCount] = {
        ByCharts(kCp866, kWindows1251, Unlisted::Forbidden, kOemToAnsiSubstitutes),
        ByCharts(kWindows1251, kCp866, Unlisted::Forbidden, kAnsiToOemSubstitutes),
        ByCharts(kCp866, kKoi8R, Unlisted::Forbidden, kOemToKoi8Substitutes),
        ByCharts(kKoi8R, kCp866, Unlisted::Forbidden, kKoi8ToOemSubstitutes),
        ByCharts(kCp866, kMacCyrillic, Unlisted::Unchanged, {}),
        ByCharts(kMacCyrillic, kCp866, Unlisted::Unchanged, kMacToOemSubstitutes),
        ByCharts(kCp866, kIso8859_5, Unlisted::Unchanged, {}),
        ByCharts(kIso8859_5, kCp866, Unlisted::Unchanged, {}),
        Translit(),
    };
    std::array<std::uint8_t, kByteTableCount * 128> all{};
    for (int n = 0; n < kByteTableCount; ++n)
        for (int i = 0; i < 128; ++i) all[n * 128 + i] = tables[n][i];
    return all;
}

constexpr std::array<std::uint8_t, kByteTableCount * 128> kGenerated = Generate();

}  // namespace

const std::array<std::uint8_t, kByteTableCount * 128> ByteTables = kGenerated;

void MapHighInPlace(int table, std::uint8_t* bytes, std::size_t count) {
    const std::uint8_t* entries = ByteTables.data() + static_cast<std::size_t>(table) * 128 - 0x80;
    for (std::size_t i = 0; i < count; ++i)
        if (bytes[i] >= 0x80) bytes[i] = entries[bytes[i]];
}

ConversionMap ComposeConversion(int fromTable, int toTable) {
    ConversionMap map{};
    for (int b = 0; b < 256; ++b) {
        std::uint8_t byte = static_cast<std::uint8_t>(b);
        if (fromTable >= 0 && fromTable < kByteTableCount) byte = MapHigh(fromTable, byte);
        if (toTable >= 0 && toTable < kByteTableCount) {
            byte = MapHigh(toTable, byte);
        } else if (toTable == FidoTarget) {
            if (byte == 0x8D) byte = 'H';  // 866 Н
            else if (byte == 0xE0) byte = 'p';  // 866 р
        }
        map.byteFor[b] = byte;
    }
    return map;
}

namespace {

void ApplyConversionBytewise(const ConversionMap& map, std::uint8_t* bytes, std::size_t count) {
    const std::uint8_t* byteFor = map.byteFor.data();
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint8_t* p = bytes + i;
        p[0] = byteFor[p[0]];
        p[1] = byteFor[p[1]];
        p[2] = byteFor[p[2]];
        p[3] = byteFor[p[3]];
        p[4] = byteFor[p[4]];
        p[5] = byteFor[p[5]];
        p[6] = byteFor[p[6]];
        p[7] = byteFor[p[7]];
    }
    for (; i < count; ++i) bytes[i] = byteFor[bytes[i]];
}

// Not on Windows: there GCC cannot promise the 32-byte stack alignment that spilled AVX registers
// need, and the byte-wise loop is fast enough for the editor.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && !defined(_WIN32)
#define VEMKO_HAVE_AVX2_CONVERSION 1

// 32 bytes at a time. Each high byte, less 0x80, is looked up in the eight 16-byte rows of the high
// half by byte shuffles: the saturating add keeps the low nibble for the row the byte is in and sets
// the top bit (which makes the shuffle give 0) for every other row. Bytes below 0x80 are put back as
// they were, which holds for every conversion since no table has entries for them.
__attribute__((target("avx2"))) void ApplyConversionAvx2(const ConversionMap& map, std::uint8_t* bytes,
                                                         std::size_t count) {
    __m256i rows[8];
    for (int g = 0; g < 8; ++g)
        rows[g] = _mm256_broadcastsi128_si256(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(map.byteFor.data() + 0x80 + 16 * g)));
    const __m256i rowWidth = _mm256_set1_epi8(16);
    const __m256i keepNibble = _mm256_set1_epi8(0x70);
    const __m256i highBit = _mm256_set1_epi8(static_cast<char>(0x80));
    const __m256i minusOne = _mm256_set1_epi8(-1);
    std::size_t i = 0;
    for (; i + 32 <= count; i += 32) {
        __m256i* at = reinterpret_cast<__m256i*>(bytes + i);
        const __m256i x = _mm256_loadu_si256(at);
        __m256i index = _mm256_xor_si256(x, highBit);
        __m256i result = _mm256_setzero_si256();
        for (int g = 0; g < 8; ++g) {
            result = _mm256_or_si256(result, _mm256_shuffle_epi8(rows[g], _mm256_adds_epu8(index, keepNibble)));
            index = _mm256_sub_epi8(index, rowWidth);
        }
        result = _mm256_blendv_epi8(result, x, _mm256_cmpgt_epi8(x, minusOne));
        _mm256_storeu_si256(at, result);
    }
    ApplyConversionBytewise(map, bytes + i, count - i);
}

bool KeepsAscii(const ConversionMap& map) {
    for (int b = 0; b < 0x80; ++b)
        if (map.byteFor[b] != b) return false;
    return true;
}
#endif

}  // namespace

void ApplyConversion(const ConversionMap& map, std::uint8_t* bytes, std::size_t count) {
#ifdef VEMKO_HAVE_AVX2_CONVERSION
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2 && count >= 64 && KeepsAscii(map)) {
        ApplyConversionAvx2(map, bytes, count);
        return;
    }
#endif
    ApplyConversionBytewise(map, bytes, count);
}

ConversionMap ConversionBetween(ConversionCodePage source, ConversionCodePage target) {
    return ComposeConversion(FromTable[source], ToTable[target]);
}
