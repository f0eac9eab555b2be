#pragma once
// The options dialog (command 37): toolbar, status bar, big buttons, the program's undo journal,
// window size and caret memory, and the paragraph layout of the alignment commands. Confirmed, the
// switches are written to the settings (the shell then rebuilds its bars).
#include <windows.h>

#include "appearance/options.h"

// Runs the modal dialog over `owner` with the switches as `choices` holds them; on OK (result 1) the
// dialog has written the paragraph settings and `choices` holds the ticked switches. Cancel gives 2
// and leaves both alone.
INT_PTR RunOptionsDialog(HWND owner, OptionChoices& choices);
