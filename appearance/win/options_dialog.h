#pragma once
// The options dialog (command 37): toolbar, status bar, big buttons, the program's undo journal,
// window size and caret memory, and the paragraph layout of the alignment commands. Confirmed, the
// switches are written to the settings and the window's bars are rebuilt at once.
#include <windows.h>

#include "appearance/options.h"

// "AU": the window placement is remembered from one run to the next.
extern bool RememberWindowSize;
// The window placement is restored at start and saved at exit ("AU" on and a normal start).
extern bool RestorePlacement;

// Runs the modal dialog over `owner` with the switches as `choices` holds them; on OK (result 1) the
// dialog has written the paragraph settings and `choices` holds the ticked switches. Cancel gives 2
// and leaves both alone.
INT_PTR RunOptionsDialog(HWND owner, OptionChoices& choices);

// Command 37: the dialog over the MainWindow and, when confirmed, the settings and the chrome.
void ShowOptionsDialog();
