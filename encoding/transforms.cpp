#include "encoding/transforms.h"

#include <algorithm>
#include <array>

#include "base/settings.h"
#include "base/charts.h"
#include "encoding/code_page_tables.h"
#include "encoding/utf8_sequences.h"

namespace {

std::uint8_t ByteAt(std::string_view text, std::size_t i) {
    return i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
}

// The 866 letters that take a second Latin letter after the one from TranslitTable.
char SecondLatinLetter(std::uint8_t oem) {
    switch (oem) {
    case 0x86: case 0x97: case 0x98: case 0x99: return 'H';  // Ж Ч Ш Щ
    case 0xA6: case 0xE7: case 0xE8: case 0xE9: return 'h';  // ж ч ш щ
    case 0x9E: return 'U';                                   // Ю
    case 0xEE: return 'u';                                   // ю
    case 0x9F: return 'A';                                   // Я
    case 0xEF: return 'a';                                   // я
    default: return 0;
    }
}

int HexDigit(std::uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsBlank(std::uint8_t c) { return c == 0 || c == '\t' || c == '\n' || c == '\r' || c == ' '; }

void AppendSpaces(std::string& out, std::int64_t count) {
    if (count > 0) out.append(static_cast<std::size_t>(count), ' ');
}

// The 866 byte of a character above U+007F, or 0 when 866 lacks it.
std::uint8_t OemByteOf(char32_t character) {
    static const auto table = [] {
        std::array<std::uint8_t, 0x10000> bytes{};
        for (int i = 0; i < 128; ++i) bytes[charts::kCp866[i]] = static_cast<std::uint8_t>(0x80 + i);
        return bytes;
    }();
    return character > 0xFFFF ? 0 : table[character];
}

// The UTF-8 view: each character that 866 has as a letter becomes its Latin letters; every other
// character, and every malformed byte, stays as its bytes were.
void AppendTransliteratedUtf8(std::string_view text, std::string& out) {
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Character c = ReadUtf8Character(text, i);
        const std::uint8_t oem = c.WellFormed() && c.code >= 0x80 ? OemByteOf(c.code) : 0;
        const std::uint8_t latin = oem ? MapHigh(TranslitTable, oem) : 0;
        if (latin != 0 && latin < 0x80) {
            out += static_cast<char>(latin);
            if (char second = SecondLatinLetter(oem)) out += second;
        } else {
            out.append(text.substr(i, c.length));
        }
        i += c.length;
    }
}

// The characters of the UTF-8 view take one column each, whatever their length in bytes; the last
// character, like the last byte of the other views, is never counted.
bool CountsAsColumn(std::string_view text, std::int64_t i, bool utf8Characters) {
    if (!utf8Characters) return true;
    const auto at = static_cast<std::size_t>(i);
    return StartsUtf8Character(text, at) && at + ReadUtf8Character(text, at).length < text.size();
}

}  // namespace

void ConvertCodePage(std::string& text, int fromTable, int toTable) {
    ApplyConversion(ComposeConversion(fromTable, toTable), reinterpret_cast<std::uint8_t*>(text.data()), text.size());
}

void AppendTransliterated(std::string_view text, int viewCodePage, std::string& out) {
    if (viewCodePage == kUtf8View) {
        out.reserve(out.size() + text.size());
        AppendTransliteratedUtf8(text, out);
        return;
    }
    const int toOem = viewCodePage == kOem866 ? kNoTable : FromTable[viewCodePage];
    out.reserve(out.size() + text.size() + text.size() / 4);
    for (char c : text) {
        std::uint8_t byte = static_cast<std::uint8_t>(c);
        if (byte < 0x80) {
            out += c;
            continue;
        }
        if (toOem != kNoTable) byte = MapHigh(toOem, byte);
        out += static_cast<char>(MapHigh(TranslitTable, byte));
        if (char second = SecondLatinLetter(byte)) out += second;
    }
}

std::string Transliterate(std::string_view text, int viewCodePage) {
    std::string out;
    AppendTransliterated(text, viewCodePage, out);
    return out;
}

std::size_t AppendQuotedPrintableDecoded(std::string_view text, bool atEnd, std::string& out) {
    out.reserve(out.size() + text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '=') {
            if (!atEnd && i + 2 >= text.size()) break;
            int high = HexDigit(ByteAt(text, i + 1));
            int low = HexDigit(ByteAt(text, i + 2));
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 3;
                continue;
            }
        }
        out += text[i++];
    }
    return i;
}

std::string DecodeQuotedPrintable(std::string_view text) {
    std::string out;
    AppendQuotedPrintableDecoded(text, true, out);
    return out;
}

std::size_t AppendBareCrRepaired(std::string_view text, bool atEnd, std::string& out) {
    out.reserve(out.size() + text.size() + text.size() / 64);
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 == text.size() && !atEnd) break;
        out += text[i];
        if (text[i] == '\r' && ByteAt(text, i + 1) != '\n') out += '\n';
    }
    return i;
}

std::string RepairBareCr(std::string_view text, LineEndKind documentLineEnd) {
    std::string out;
    if (documentLineEnd != LineEndKind::Lf) {
        AppendBareCrRepaired(text, true, out);
        return out;
    }
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        out += text[i] == '\r' && ByteAt(text, i + 1) != '\n' ? '\n' : text[i];
    return out;
}

namespace {

std::int32_t ReadSettingInRange(std::string_view name, std::int32_t lower, std::int32_t upper, std::int32_t missing) {
    const std::uint32_t value = ReadSettingDword(name, static_cast<std::uint32_t>(missing));
    return value >= static_cast<std::uint32_t>(lower) && value <= static_cast<std::uint32_t>(upper)
               ? static_cast<std::int32_t>(value) : missing;
}

}  // namespace

ParagraphSettings ReadParagraphSettings() {
    ParagraphSettings settings;
    settings.ignoreLineBreaks = static_cast<std::int32_t>(ReadSettingDword("IG", 0));
    settings.leftIndent = ReadSettingInRange("LI", 0, kLargestIndent, settings.leftIndent);
    settings.firstLineIndent = ReadSettingInRange("FI", 0, kLargestIndent, settings.firstLineIndent);
    settings.rightMargin = ReadSettingInRange("RI", kSmallestRightMargin, kLargestRightMargin, settings.rightMargin);
    return settings;
}

namespace {

// The words of one output line: how many, the columns they take, and the last byte of the line.
struct LineWords {
    std::int64_t words = 0;
    std::int64_t chars = 0;
    std::int64_t end = 0;
};

std::uint8_t ByteOf(std::string_view text, std::int64_t i) { return static_cast<std::uint8_t>(text[static_cast<std::size_t>(i)]); }

// Gathers the words from `j` that fit in `room` columns. A word that starts at the last byte counts as
// a word (its byte, like the last byte always, adds no length): left out, it would be written without
// the gap before it, glued to the word in front.
LineWords GatherLine(std::string_view text, std::int64_t j, std::int64_t room, bool ignoreLineBreaks, bool utf8Characters) {
    auto at = [text](std::int64_t i) { return ByteOf(text, i); };
    const std::int64_t last = static_cast<std::int64_t>(text.size()) - 1;  // never counted, only copied
    std::int64_t words = 0, chars = 0, k = j;
    if (k == last && !IsBlank(at(k))) words = 1;
    while (k < last && words + chars - 1 <= room) {
        bool lineBreak = false;
        while (k < last && IsBlank(at(k))) {
            ++k;
            if (!ignoreLineBreaks && at(k) == '\n') {
                lineBreak = true;
                break;
            }
        }
        if (lineBreak) break;
        if (k < last || !IsBlank(at(k))) ++words;
        while (k < last && !IsBlank(at(k))) {
            if (CountsAsColumn(text, k, utf8Characters)) ++chars;
            ++k;
        }
    }
    // The word that overflowed goes to the next line, unless it is the only one. Stepping back over
    // the last byte takes nothing off the length, since it was never counted.
    if (words + chars - 1 > room && words > 1) {
        --words;
        while (k > 0 && IsBlank(at(k))) --k;
        while (k > 0 && !IsBlank(at(k))) {
            if (k != last && CountsAsColumn(text, k, utf8Characters)) --chars;
            --k;
        }
    }
    return {words, chars, k};
}

// Writes the line's words from `j`, placed by the alignment in `room` columns; returns where the next
// line starts.
std::int64_t WriteLine(std::string& out, std::string_view text, std::int64_t j, const LineWords& line,
                       Alignment alignment, std::int64_t room) {
    auto at = [text](std::int64_t i) { return ByteOf(text, i); };
    const std::int64_t last = static_cast<std::int64_t>(text.size()) - 1;
    const std::int64_t words = line.words, k = line.end;
    const std::int64_t free = room - (line.chars + words - 1);

    const bool stretch = alignment == Alignment::Justify && free > 0 && words > 1 && k < last;
    if (alignment == Alignment::Centre) AppendSpaces(out, free / 2);
    if (alignment == Alignment::Right) AppendSpaces(out, free);
    std::int64_t wordsLeft = words, gap = 0;
    while (j <= k) {
        while (j <= k && IsBlank(at(j))) ++j;
        const std::int64_t start = j;
        while (j <= k && !IsBlank(at(j))) ++j;
        if (j == start) continue;
        out.append(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(j - start)));
        --wordsLeft;
        if (wordsLeft > 0 && j < k) {
            std::int64_t spaces = 1;
            if (stretch) spaces = free / (words - 1) + 1 + (gap < free % (words - 1) ? 1 : 0);
            AppendSpaces(out, spaces);
            ++gap;
        }
    }
    return j;
}

}  // namespace

// The line layout keeps two long-standing habits: the last byte of the range is copied with the last
// line but never counted in its length (a range that does not end in a line break ends one column
// beyond the margin), and a LF ends a line only right after a blank, as in CR LF.
std::string AlignParagraphs(std::string_view text, Alignment alignment, ParagraphSettings settings, bool utf8Characters) {
    std::string out;
    const std::int64_t length = static_cast<std::int64_t>(text.size());
    if (length == 0) return out;

    // A stored value with its top bit set would read as a negative indent or margin, and a negative
    // margin would break lines inside words; such values count as 0.
    const bool ignoreLineBreaks = settings.ignoreLineBreaks != 0;
    const std::int64_t rightMargin = std::max<std::int64_t>(settings.rightMargin, 0);
    std::int64_t leftIndent = std::max<std::int64_t>(settings.leftIndent, 0);
    std::int64_t firstLineIndent = std::max<std::int64_t>(settings.firstLineIndent, 0);
    if (alignment == Alignment::Centre) firstLineIndent = leftIndent;
    if (leftIndent >= rightMargin - 8) leftIndent = 0;
    if (firstLineIndent >= rightMargin - 8) firstLineIndent = 0;

    out.reserve(text.size() + text.size() / 8 + 2);
    AppendSpaces(out, firstLineIndent);
    std::int64_t indent = firstLineIndent;
    bool firstLine = true;
    std::int64_t j = 0;
    while (j < length) {
        if (!firstLine) {
            AppendSpaces(out, leftIndent);
            indent = leftIndent;
        }
        firstLine = false;
        const std::int64_t room = rightMargin - indent;

        const LineWords line = GatherLine(text, j, room, ignoreLineBreaks, utf8Characters);
        j = WriteLine(out, text, j, line, alignment, room);
        out += "\r\n";
    }
    return out;
}
