#pragma once
// An encoding of text: the one identity by which the parts of the program name an encoding to one
// another (the views, the conversions and the chooser's lists, the repair, the detection and the
// command-line tool). Beside it live only numberings that are another thing's own, each reached from
// an encoding by a named conversion: the view code page (`CodePageIndex`, the settings' W, D and K),
// the conversion code pages of the 866 tables and their byte tables (code_page_tables.h), and the
// repair's wider set of encodings (mojibake_repair.h).
#include <cstdint>
#include <optional>

#include "encoding/code_page_tables.h"

// The single-byte encodings first, as the conversion code pages number them; the chooser lists all
// eight in this order.
enum class TextEncoding : int {
    Cp1251 = kAnsi1251,
    Cp866 = kOem866,
    Koi8R = kKoi8R,
    Iso8859_5 = kIso8859_5,
    MacCyrillic = kMacCyrillic,
    Utf8,
    Utf16LE,
    Utf16BE,
};
inline constexpr int kTextEncodingCount = 8;

constexpr bool IsSingleByte(TextEncoding encoding) { return static_cast<int>(encoding) < kConversionCodePageCount; }
constexpr bool IsUtf16(TextEncoding encoding) {
    return encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE;
}

// A single-byte encoding as the tables' conversion code page, and back.
constexpr ConversionCodePage CodePageOf(TextEncoding singleByte) {
    return static_cast<ConversionCodePage>(static_cast<int>(singleByte));
}
constexpr TextEncoding EncodingOf(ConversionCodePage codePage) { return static_cast<TextEncoding>(static_cast<int>(codePage)); }

// The encoding a view code page shows the bytes in (0 ANSI, 1 OEM, 2 KOI8-R, 3 UTF-8, 4 UTF-16 LE,
// 5 UTF-16 BE), and the view that shows an encoding: none for ISO 8859-5 and Mac Cyrillic.
constexpr TextEncoding EncodingOfView(int view) {
    switch (view) {
    case kUtf8View: return TextEncoding::Utf8;
    case kUtf16LeView: return TextEncoding::Utf16LE;
    case kUtf16BeView: return TextEncoding::Utf16BE;
    default: return static_cast<TextEncoding>(view);
    }
}
constexpr std::optional<std::uint8_t> ViewOf(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Cp1251:
    case TextEncoding::Cp866:
    case TextEncoding::Koi8R: return static_cast<std::uint8_t>(encoding);
    case TextEncoding::Utf8: return std::uint8_t{kUtf8View};
    case TextEncoding::Utf16LE: return std::uint8_t{kUtf16LeView};
    case TextEncoding::Utf16BE: return std::uint8_t{kUtf16BeView};
    default: return std::nullopt;
    }
}

// A conversion of text from one encoding into another; `fido` writes Н and р as Latin H and p on the
// way, into 866. Between two single-byte encodings it is a lookup through the 866 tables that keeps
// the length; with Unicode on a side it goes by the published charts.
struct TextConversion {
    TextEncoding source;
    TextEncoding target;
    bool fido = false;

    constexpr bool ByCharts() const { return !IsSingleByte(source) || !IsSingleByte(target); }
};

// The lookup of a conversion between single-byte encodings: the source's table to 866, then 866's
// table to the target (or the Fido substitution).
ConversionMap PivotMapOf(const TextConversion& singleByte);
