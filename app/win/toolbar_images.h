#pragma once
// The toolbar's pictures at a size of the screen's scale: the system's 15 standard images and the
// program's strip of 8, stretched from the nearest size they are drawn at (16 or 24 pixels).
#include <windows.h>

// Gives the toolbar an image list of `size`-pixel pictures in the order the buttons name them
// (standard images first, then the strip); false when a picture cannot be had, and the toolbar
// then takes them at their own size.
bool SetScaledToolBarImages(HWND toolBar, int size);
// Frees the image list once the toolbar that used it is gone.
void ReleaseToolBarImages();
