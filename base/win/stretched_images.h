#pragma once
// Pictures of a strip brought to another size for an image list.
#include <windows.h>
#include <commctrl.h>

// Adds the square images of `strip` (as high as it is, side by side) to `list` at `size` pixels,
// stretched by nearest neighbour, which keeps every pixel one of the picture's own. A strip with an
// alpha channel (the system's standard images of today) keeps it, so `list` is to be made with
// ILC_COLOR32 | ILC_MASK; one without is masked by its first image's top left pixel, as a toolbar
// masks its own images. False when the strip or the memory for the copy is missing.
bool AddStretchedImages(HIMAGELIST list, HBITMAP strip, int size);
