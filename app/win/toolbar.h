#pragma once
// The toolbar at the top of the main window: the system's 15 standard images and the program's strip
// of 8, the buttons the user chose (saved as "TBS" by the toolbar's own save-and-restore), and the
// button states refreshed whenever the message queue runs empty. Null while hidden.
#include <windows.h>
#include <commctrl.h>

#include "base/win/owned_handle.h"
#include "base/win/program.h"

// What the customisation dialog offers, by list position.
inline constexpr int kAvailableButtonCount = 32;
extern const TBBUTTON AvailableButtons[kAvailableButtonCount];

void CreateToolBar();
void DestroyToolBar();
// Rebuilds the buttons from "TBS" (at creation and for the customisation dialog's reset).
void RestoreToolBarLayout();
// Writes the buttons to "TBS" (after each change the user makes).
void SaveToolBarLayout();
// Command 45: shows the toolbar if hidden, makes room for it and opens the customisation dialog.
void CustomizeToolBar();
// The idle step: paste, cut, copy, delete, save, undo and word wrap enabled, greyed or checked.
void RefreshToolBarStates();
// Deletes the held bitmap, if any, and holds the bitmap resource of the module loaded with its 3-D
// colours mapped to the system's; the held handle is null when it cannot be loaded.
void LoadBitmapResource(HINSTANCE module, int resource, GdiBitmap& held);
