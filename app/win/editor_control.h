#pragma once
// The program's own text control, registered as class "RICHEDIT": it holds the document's bytes and
// draws them decoded with the view code page, answering the rich-edit messages the program sends
// with their usual meanings, in byte offsets.
//
// The class is an ANSI window, as the system's RICHEDIT is: the program sends its texts (WM_SETTEXT,
// EM_REPLACESEL, WM_GETTEXT, ...) as bytes, and a Unicode window would have them converted through
// the system code page on the way. WM_CHAR carries the byte to insert: the editor subclass in front
// of the control turns the keyboard's 1251 character into the view's byte. WM_UNICHAR carries a
// character, which the control turns into the view's byte itself.
//
// Line breaks are CR LF, a lone CR or a lone LF; each ends a line. A lone CR or LF shows its glyph
// (as the view decoding draws it) at the end of its line, so it is told apart from a CR LF.
#include <windows.h>

// The control's own message: wParam = view code page index (0 ANSI 1251, 1 OEM 866, 2 KOI8-R).
// Only the drawing changes; the bytes never do. Returns the previous index.
#define EM_SETVIEWCODEPAGE (WM_USER + 0x200)
// Returns the view code page index.
#define EM_GETVIEWCODEPAGE (WM_USER + 0x201)

bool RegisterEditorControlClass(HINSTANCE instance);
