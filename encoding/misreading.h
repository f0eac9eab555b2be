#pragma once
// What a repair finds, as types: the encodings a mis-reading goes through, a mis-reading, a chain of
// them, and the verdict on a text. The search (mojibake_search), the charts (mojibake_charts) and the
// repair itself (mojibake_repair) share them.
#include <vector>

#include "encoding/unicode_conversion.h"

// The encodings a mis-reading goes through: 0-4 are the conversion code pages, then UTF-8, the
// Western code page (1252, taking Latin-1's controls at 0x80-0x9F too), the other common single-byte
// code pages a text is read through, and UTF-16, which is only ever the encoding a text was written in.
enum class RepairEncoding : int {
    Cp1251 = kAnsi1251,
    Cp866 = kOem866,
    Koi8R = kKoi8R,
    Iso8859_5 = kIso8859_5,
    MacCyrillic = kMacCyrillic,
    Utf8,
    Western,
    Koi8U,
    Cp1250,
    Cp1253,
    Cp1254,
    Cp1255,
    Cp1256,
    Cp1257,
    Cp1258,
    Cp437,
    Cp850,
    Cp852,
    MacRoman,
    Iso8859_2,
    Iso8859_7,
    Cp874,
    Utf16LE,
    Utf16BE,
};
inline constexpr int kRepairEncodingCount = 24;

// One mis-reading: text written in `written` was read as `readAs` and saved as `savedAs`.
struct Misreading {
    RepairEncoding written;
    RepairEncoding readAs;
    RepairEncoding savedAs;
    bool operator==(const Misreading&) const = default;
};

inline constexpr int kMostMisreadings = 3;

struct MisreadingChain {
    int length = 0;           // 0-3; 0 is a text with nothing to undo
    Misreading steps[kMostMisreadings] = {};  // in the order they happened
    RepairEncoding now = RepairEncoding::Utf8;  // the encoding the text is in now
    // The text is mojibake written as HTML character references ("&ETH;&iexcl;"), undone first.
    bool references = false;
    // The encoding the text was first written in (`now` for a clean text).
    RepairEncoding Original() const { return length == 0 ? now : steps[0].written; }
};

struct RepairFinding {
    enum class Kind { Clean, Repair, Unknown };
    Kind kind = Kind::Unknown;
    MisreadingChain chain;  // for Repair; for Clean, `now` is the encoding the text reads right in
    // For Unknown: the readings that came near enough to be plausible, the likeliest first, for a
    // person to choose from.
    std::vector<MisreadingChain> candidates;
};
