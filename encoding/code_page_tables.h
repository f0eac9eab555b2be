#pragma once
// Every change of code page is a byte-for-byte lookup through one pivot, OEM 866: a table takes the
// source code page to 866 and another takes 866 to the target. Bytes below 0x80 have no entries and
// never change, so a conversion keeps every ASCII byte (NUL, CR and LF included) and the length.
#include <array>
#include <cstddef>
#include <cstdint>

// 0-2 are the view code pages (`CodePageIndex`); 3 and 4 are only ever source or target of a
// conversion.
enum ConversionCodePage : int {
    kAnsi1251 = 0,
    kOem866 = 1,
    kKoi8R = 2,
    kIso8859_5 = 3,
    kMacCyrillic = 4,
};
inline constexpr int kConversionCodePageCount = 5;

// The views beyond the three code pages, which go by characters of Unicode: UTF-8 (`CodePageIndex`
// 3, where 3 is ISO 8859-5 among the conversion code pages) and UTF-16, little- and big-endian. An
// encoding names them as TextEncoding (text_encoding.h).
inline constexpr int kUtf8View = 3;
inline constexpr int kUtf16LeView = 4;
inline constexpr int kUtf16BeView = 5;
inline constexpr bool IsUtf16View(int view) { return view == kUtf16LeView || view == kUtf16BeView; }
// The views that go by characters of Unicode rather than by bytes.
inline constexpr bool IsUnicodeView(int view) { return view == kUtf8View || IsUtf16View(view); }

// The tables, by number.
enum ByteTable : int {
    kOemToAnsi = 0,
    kAnsiToOem = 1,
    kOemToKoi8 = 2,
    kKoi8ToOem = 3,
    kOemToMac = 4,
    kMacToOem = 5,
    kOemToIso = 6,
    kIsoToOem = 7,
};
// Table 8 is not a conversion: it gives each 866 letter its first Latin letter.
inline constexpr int TranslitTable = 8;
inline constexpr int kByteTableCount = 9;
// `RunTransform`'s target that is not a table: 866 with Н and р written as Latin H and p.
inline constexpr int FidoTarget = 9;
// "No table": 866 is the pivot and needs none.
inline constexpr int kNoTable = -1;

extern const char* const CodePageNames[kConversionCodePageCount];
// The table that takes a code page to 866, and the one that takes 866 to it; kNoTable for 866.
extern const std::int32_t FromTable[kConversionCodePageCount];
extern const std::int32_t ToTable[kConversionCodePageCount];

// Nine tables for the bytes 0x80-0xFF laid end to end: the entry of table n for byte b is at
// n * 128 + (b - 0x80).
extern const std::array<std::uint8_t, kByteTableCount * 128> ByteTables;

inline std::uint8_t MapHigh(int table, std::uint8_t byte) {
    return byte < 0x80 ? byte : ByteTables[static_cast<std::size_t>(table) * 128 + (byte - 0x80)];
}

// MapHigh with one table over a whole buffer, in place.
void MapHighInPlace(int table, std::uint8_t* bytes, std::size_t count);

// A whole conversion folded into one lookup of all 256 byte values, so that a long text is rewritten
// in a single pass: first `fromTable` (to 866) when it is a table, then `toTable` (from 866) when it
// is a table, or the Fido substitution when it is FidoTarget. Either may be kNoTable.
struct ConversionMap {
    std::array<std::uint8_t, 256> byteFor;
};
ConversionMap ComposeConversion(int fromTable, int toTable);
void ApplyConversion(const ConversionMap& map, std::uint8_t* bytes, std::size_t count);

// The conversion from one conversion code page to another, always through the 866 pivot (so that
// 1251 to 1251 is not the identity).
ConversionMap ConversionBetween(ConversionCodePage source, ConversionCodePage target);
