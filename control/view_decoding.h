#pragma once
// How the editor control shows the document's bytes in each view code page, and which byte a
// character typed into the control stands for. The bytes never change by a view switch; only these
// tables do.
//
// Each view has 256 distinct glyphs, one per byte value, so whatever a file holds is shown and no
// two bytes look alike:
// - bytes a code page's published chart assigns show as that character (ASCII 0x20-0x7E included);
// - the control bytes 0x01-0x1F and 0x7F show as the glyphs DOS screens drew for them
//   (☺☻♥♦♣♠•◘○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼ and ⌂), in every view: the fonts at hand (DejaVu under Wine,
//   the usual monospaced faces on Windows) carry these, not the Unicode control pictures; and the
//   866 view needs them anyway, because 1251 text converted to 866 puts •, ¶ and § at 0x07, 0x14
//   and 0x15, where OEM fonts draw them;
// - 0x00 shows as ∅ (DOS left it blank, which would hide it);
// - the 1251 chart itself holds •, ¶ and §, so its view shows 0x07, 0x14 and 0x15 as ◦, ⁋ and ◊,
//   and 0x98, which that chart leaves unassigned, as the replacement character U+FFFD.
// TAB, CR and LF have glyphs too (○, ♪, ◙): the control lays out tabs and CR LF pairs itself and
// uses the glyph only for what it shows as a character, such as a CR or an LF standing alone.
#include <array>
#include <optional>

using ViewGlyphTable = std::array<char16_t, 256>;

// codePageIndex is the view code page: 0 ANSI (1251), 1 OEM (866), 2 KOI8-R; any other value is
// taken as ANSI.
const ViewGlyphTable& ViewGlyphs(int codePageIndex);

inline char16_t ViewGlyph(int codePageIndex, unsigned char byte) { return ViewGlyphs(codePageIndex)[byte]; }

// The byte of the view that `character` stands for, or nothing when the view has none. The exact
// inverse of ViewGlyphs; in addition the control characters U+0000-U+001F and U+007F themselves
// give their own byte, so a pasted or typed tab or line break keeps its meaning in every view.
std::optional<unsigned char> ViewByteFor(int codePageIndex, char16_t character);
