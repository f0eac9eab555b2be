#pragma once
// The decisions the editor control's subclass takes on a key before the control sees it, over the
// same small text interface the undo journal uses, so they are tested natively.
#include <cstdint>

#include "document/text_access.h"

// Tab, 0x20-0x7E and 0x80-0xFF: the characters that are typed into the text (and recorded).
bool IsPrintableTyped(std::uint8_t ansiByte);

// The byte a character typed as 1251 stands for in the view code page (0 ANSI, 1 OEM, 2 KOI8-R):
// 1251 to 866, then 866 to KOI8-R. A 1251 character whose 866 form is ASCII (a typographic quote
// or dash) stays that ASCII byte in the KOI8-R view as well.
std::uint8_t ViewByteOfTyped(std::uint8_t ansiByte, std::uint8_t codePage);

// Typing over a selection of more than two characters that ends with CR LF keeps that line break:
// the selection is shrunk in front of it. True when it was.
bool KeepLineBreakWhenTyping(TextAccess& text);

// Delete over a selection of more than two characters that ends with a line break and starts
// inside a line keeps the line break; one that starts at a line start deletes whole lines with
// their breaks. `lineStartOfSelection` is the first position of the line holding the selection
// start. The break is CR LF, or a lone LF as files from elsewhere have it (only the LF is then kept
// out, not the character in front of it).
void KeepLineBreakWhenDeleting(TextAccess& text, std::int32_t lineStartOfSelection);

// In the OEM view, 1251's 0xE0 (its 866 form 0xA0) is put in by the subclass itself. In overwrite
// mode it takes the place of the character under the caret, unless that is a line break or the
// end of the text: returns whether to select that one character first.
bool OvertypeSelectsNextCharacter(TextAccess& text);
