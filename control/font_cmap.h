#pragma once
// The glyph a font gives a character beyond U+FFFF, read from the font's own character map (its
// 'cmap' table as the font file holds it). The system's text functions take such a character as two
// UTF-16 units and, under Wine, draw each as a missing glyph; asked by glyph index they draw and
// measure the character's own glyph, or one missing glyph when the font has none.
#include <cstddef>
#include <cstdint>

// The glyph index of `code` in a 'cmap' table of `size` bytes, by its Unicode subtable of format 12
// (Windows full repertoire 3/10, or Unicode 0/4 or 0/6); 0, the missing glyph, when the font lacks
// the character or the table is short or malformed. Never reads outside the table.
std::uint32_t GlyphOfCharacter(const unsigned char* table, std::size_t size, char32_t code);
