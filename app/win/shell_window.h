#pragma once
// What the shell does to its main window besides the window procedure: the layout of its children,
// its title, its placement kept for the next run, the About box, and what goes when it is destroyed.
#include <windows.h>

// The toolbar at the top, the status bar at the bottom and the editor in between, for a client area
// of the given size.
void LayoutChildWindows(int clientWidth, int clientHeight);
// On destroy of the main window: the recovery copies, the printer choice, the EditorControl and the
// undo journal.
void ReleaseShellResources();

// Command 51.
void ShowAboutBox();
// For the destroy handler: writes the main window's placement as "DEF" when the placement is to be
// restored (Program().switches.restorePlacement) and the settings key exists.
void SaveWindowPlacement();
// "[" + the name of the document + "]-VEMKO": the file's own name as stored on disk, or the untitled
// name, or the full path of a file that no longer exists.
void UpdateTitle();
