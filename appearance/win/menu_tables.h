#pragma once
// The menu tables, filled once right after the main window is created and read-only afterwards:
// the pop-ups of the menu bar, the text of every command item as the menu resource has it (the
// tooltips, the toolbar customisation and the owner-drawn items show it), and the mnemonics of the
// owner-drawn items, which the system no longer sees once an item has no text of its own.
#include <windows.h>

// The tables themselves are the context's (Program().menus, base/win/program.h).
#include "base/win/program.h"

// Reads the tables from the MainWindow's menu and makes the items of the program's own drawing
// owner-drawn. Called once, before anything is drawn.
void BuildMenuTables(HMENU bar);
// Re-declares the item of the command, in the pop-up of index popup, as owner-drawn and records the
// mnemonic of its text.
void MakeOwnerDrawn(int popup, UINT command);
// The text of a command from MenuTexts; an empty text for an id outside 1-64.
const char* MenuText(UINT command);
// Re-declares the ten recent-file items 909 down to 900, so that the menu measures them anew.
void RedeclareRecentMenuItems();
// Re-declares every owner-drawn item, so that the menus measure them anew (at another scale).
void RedeclareOwnerDrawnItems();
// The answer to WM_MENUCHAR: a typed character in an open menu that holds owner-drawn items.
LRESULT AnswerMenuCharacter(HWND window, wchar_t typed, HMENU openMenu);
