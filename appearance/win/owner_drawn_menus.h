#pragma once
// The menu items that the program draws itself (made owner-drawn by BuildMenuTables): a 16 x 16
// picture in a framed column at the left and the item's text in the menu font, in the system's menu
// colours; the recent files (900-909) with their shortened names and an icon by their extension.
// The main window hands WM_MEASUREITEM and WM_DRAWITEM here.
#include <windows.h>

#include "base/win/owned_handle.h"

extern GdiFont MenuFont;
// The system's menu metrics, for measuring owner-drawn menu items.
extern NONCLIENTMETRICSA NonClientMetrics;
// The 16 x 16 images of the owner-drawn menus: the program's strip and the system's standard set.
extern GdiBitmap MenuStripBitmap;
extern GdiBitmap StandardSmallBitmap;

// Both do nothing unless the record is for a menu item.
void MeasureMenuItem(MEASUREITEMSTRUCT& item);
void DrawMenuItem(const DRAWITEMSTRUCT& item);
