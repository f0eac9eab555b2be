#pragma once
// The program's own text control, registered as class "RICHEDIT": it holds the document's bytes and
// draws them decoded with the view code page, answering the rich-edit messages the program sends.
#include <windows.h>

// The control's own message: wParam = view code page index (0 ANSI 1251, 1 OEM 866, 2 KOI8-R).
// Only the drawing changes; the bytes never do.
#define EM_SETVIEWCODEPAGE (WM_USER + 0x200)

bool RegisterEditorControlClass(HINSTANCE instance);
