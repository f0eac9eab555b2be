#pragma once
// The font dialog (commands 40-42): the face, character set, size and effects of one view code
// page's font, whichever view is being shown, with a live sample in that code page's bytes. Only OK
// writes the settings; then the view is re-applied, so the change shows at once when it is the view
// being shown.
#include <windows.h>

#include "tools/view_font.h"

// Runs the modal dialog owned by `owner` for the view (0 ANSI, 1 OEM, 2 KOI8-R), starting from
// `font`. On OK (result 1) `font` holds the choice; Cancel gives 2 and leaves it.
INT_PTR ShowFontDialog(HWND owner, int view, ViewFont& font);

// Commands 40, 41, 42: view = command - 40.
void ChooseViewFont(int view);
