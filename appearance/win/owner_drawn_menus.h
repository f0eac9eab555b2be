#pragma once
// The menu items that the program draws itself (made owner-drawn by BuildMenuTables): their size
// and their painting, for WM_MEASUREITEM and WM_DRAWITEM of the main window.
#include <windows.h>

#include <string>

// The text an owner-drawn item shows: its MenuTexts entry, or for a recent-file item (900-909) "&",
// the digit, a blank and the file's name; empty for a free recent-file position.
std::string OwnerDrawnItemText(UINT command);
// Both do nothing unless the record is for a menu item.
void MeasureMenuItem(MEASUREITEMSTRUCT& item);
void DrawMenuItem(const DRAWITEMSTRUCT& item);
