#pragma once
// The menu items that the program draws itself (made owner-drawn by BuildMenuTables): a 16 x 16
// picture (at 100 %; it grows with the monitor's scale) in a framed column at the left and the
// item's text in the menu font, in the system's menu colours; the recent files (900-909) with their
// shortened names and an icon by their extension.
// The main window hands WM_MEASUREITEM and WM_DRAWITEM here.
#include <windows.h>

#include "base/win/owned_handle.h"

// Makes the menu font, reads the metrics and loads the pictures for the DPI of `window`'s monitor;
// at start and whenever the window moves to a monitor of another scale.
void PrepareMenuLook(HWND window);
// Frees the font and the pictures at exit.
void ReleaseMenuLook();

// Both do nothing unless the record is for a menu item.
void MeasureMenuItem(MEASUREITEMSTRUCT& item);
void DrawMenuItem(const DRAWITEMSTRUCT& item);
