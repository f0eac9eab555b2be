#pragma once
// What the control draws for a character of the view, on screen and on paper alike. The single-byte
// views draw each byte as its glyph (control/view_decoding.h). The UTF-8 and UTF-16 views draw a
// character as itself (the control bytes as the other views draw them); a byte of no character as
// its two hexadecimal digits in a small grey box, a lone surrogate of UTF-16 as its four, so a broken
// file shows where it is broken; the byte order mark as a faint empty box.
#include <windows.h>

#include "base/win/owned_handle.h"
#include "control/text_layout.h"
#include "control/utf8_characters.h"
#include "control/utf16_characters.h"
#include "encoding/code_page_tables.h"  // IsUnicodeView



// A character beyond U+FFFF is drawn and measured by the glyph index its font's character map gives
// (control/font_cmap.h): one glyph, its own or the missing glyph, never two boxes for its two units.
struct ShownCharacter {
    enum Kind { Glyph, GlyphIndex, StrayByte, ByteOrderMark } kind = Glyph;
    wchar_t unit = 0;   // Glyph: the character
    char32_t code = 0;  // GlyphIndex: the character beyond U+FFFF
};
ShownCharacter ShowCharacter(int view, const Utf8Character& c);

// The glyph index of a character beyond U+FFFF in the font selected into dc; 0, the missing glyph,
// when the font lacks it.
WORD GlyphIndexOf(HDC dc, char32_t code);

// The font the small boxes' digits are drawn in: the same face, three fifths as high.
GdiFont SmallFontFor(HFONT font);

// The UTF-8 view's widths of characters beyond ASCII, measured in `font` on a device like `like`
// (the screen or a printer) when the layout first meets each.
TextLayout::MeasureCharacter Utf8Measure(HDC like, HFONT font);

// The value a box of no character shows: the stray byte, or the lone surrogate.
inline unsigned BoxValue(const Utf8Character& c) { return c.unit ? c.unit : c.byte; }

// A byte or unit of no character (box only for the byte order mark) in the width w of its place, at
// the top left x, y of a line of the given height, with the small font for its digits: two for a
// value up to FF, four above.
void DrawCharacterBox(HDC dc, const ShownCharacter& shown, unsigned value, int x, int y, int w, int height,
                      HFONT small);
