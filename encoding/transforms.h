#pragma once
// The byte work of the commands that rewrite the text in place: code page conversion (with the Fido
// substitution), transliteration, quoted-printable decoding, bare-CR repair and paragraph alignment.
// Each takes the bytes of the working range and gives the new bytes; none knows about the window.
// Outputs grow as needed, so no indent or margin can make a transform write past its buffer.
//
// The per-byte transforms also come in an appending form for text that arrives in blocks: such a
// function consumes what it can decide from `text`, appends the result to `out` and returns the
// number of bytes consumed. Unless `atEnd`, it stops before the last one or two bytes when their
// meaning depends on bytes not yet seen; the caller hands them in again in front of the next block.
// With `atEnd` the range ends there, and bytes past it read as 0.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "encoding/line_ends.h"

// Code page conversion in place: `fromTable` takes the text to 866 and `toTable` takes it from 866
// (a table number, FidoTarget, or kNoTable for either). The length never changes.
void ConvertCodePage(std::string& text, int fromTable, int toTable);

// Transliteration of text in the view code page `viewCodePage` (0-2): the text goes to 866 first,
// then each Cyrillic letter becomes its Latin letters (Ж ZH, Щ SH, Ю IU, Я IA, ...). Bytes that have
// no Latin letters stay 866 bytes, whatever the view. In the UTF-8 view (3) the same letters become
// the same Latin letters, and every other character keeps its bytes.
std::string Transliterate(std::string_view text, int viewCodePage);
void AppendTransliterated(std::string_view text, int viewCodePage, std::string& out);

// "=XX" with two upper-case hex digits becomes the byte XX; anything else after '=' (lower-case
// digits, a line break, the end of the range) leaves the '=' as it is.
std::string DecodeQuotedPrintable(std::string_view text);
std::size_t AppendQuotedPrintableDecoded(std::string_view text, bool atEnd, std::string& out);

// A CR not followed by LF gets a LF; a LF without CR stays alone. A CR that ends the range counts as
// bare. In a document whose lines end with LF the bare CR becomes its LF instead.
std::string RepairBareCr(std::string_view text, LineEndKind documentLineEnd = LineEndKind::CrLf);
std::size_t AppendBareCrRepaired(std::string_view text, bool atEnd, std::string& out);

enum class Alignment { Justify, Centre, Left, Right };

// The four paragraph settings, in the units of the settings "IG", "LI", "FI" and "RI".
struct ParagraphSettings {
    std::int32_t ignoreLineBreaks = 0;  // IG: non-zero makes the whole range one paragraph
    std::int32_t leftIndent = 0;        // LI
    std::int32_t firstLineIndent = 0;   // FI: only the first line of the whole range
    std::int32_t rightMargin = 80;      // RI: the column at which lines end
};

// The ranges the options dialog offers for the indents and the right margin.
inline constexpr std::int32_t kLargestIndent = 80;
inline constexpr std::int32_t kSmallestRightMargin = 10;
inline constexpr std::int32_t kLargestRightMargin = 128;

// Read anew from the settings for every alignment command. A value outside its range (a setting
// edited by hand) reads as the default, as the dialog would store it: a margin near 2^31 would ask
// for gigabytes a line.
ParagraphSettings ReadParagraphSettings();

// Lays the words of `text` out again in lines of CR LF that end at the right margin. An empty range
// gives nothing. With `utf8Characters` a column is a character of the UTF-8 view, not a byte.
std::string AlignParagraphs(std::string_view text, Alignment alignment, ParagraphSettings settings,
                            bool utf8Characters = false);
