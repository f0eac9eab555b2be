#pragma once
// The editor control's reader for RTF streamed in (the "RTF -> ANSI" transform): the plain text an
// RTF document describes, as 1251 bytes.
//
// - \par, \line, \sect, \page and \row become CR LF; \tab and \cell a TAB; \~ a no-break space;
//   \emdash, \endash, \bullet and the quote words their 1251 signs; \{ \} \\ the brace or backslash.
// - \'hh is a byte of the document's code page (\ansicpg, 1251 when none is given; a font of the
//   font table that names a Cyrillic code page by \fcharset204 or \cpg overrides it while that font
//   is in effect). Bytes of 866, KOI8-R, ISO 8859-5 and Mac Cyrillic come out as the program's own
//   conversion to 1251 gives them, bytes of 1252 as the same character in 1251 or '?'; bytes of any
//   other code page are kept as they are.
// - \uN gives the 1251 byte of the character and skips its \ucN fallback; a character that 1251
//   lacks gives the fallback instead, or '?' when there is none.
// - Destinations whose text is not part of the document are dropped: every \* group, the font,
//   colour, style, list and revision tables, \info, pictures and objects, headers, footers,
//   footnotes, field instructions (a field's result stays), index and contents entries; \bin data
//   is skipped by its length.
// - Malformed input never fails: text ends where the outermost group closes or where the input
//   ends, missing braces are taken as closed, stray and truncated control words are ignored.
// Input that does not begin with "{\rtf" is not RTF and comes back unchanged.
#include <string>
#include <string_view>

std::string RtfToPlainText(std::string_view rtf);
